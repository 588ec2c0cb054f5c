#pragma once
// Compiles filter expression text into a Program, resolving every name
// through a scope once, at compile time.
#include <cstddef>
#include <string_view>
#include <variant>

#include "platform/expression_lexer.h"
#include "platform/expression_program.h"
#include "platform/expression_scope.h"

namespace vornel::platform::expr {

// Deepest nesting of parentheses, function calls, NOT and unary minus.
inline constexpr std::size_t kMaxNesting = 256;

std::variant<Program, SyntaxError> Parse(std::string_view text, const NameScope& scope);

}  // namespace vornel::platform::expr

#pragma once
// The filter expression language of lists, views and reports: compile a text
// once against the names in scope, then evaluate it per record. The language
// is described in docs/expressions.md.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "platform/expression_program.h"
#include "platform/expression_scope.h"
#include "platform/expression_value.h"

namespace vornel::platform {

// Why a text did not compile. `position` is the 1-based character position
// of the fault; `message` names it too ("Unknown name 'xyz' at position 14").
struct CompileError {
  std::size_t position = 0;
  std::string message;
};

// A compiled expression. It reads its bound variables at each evaluation, so
// one compiled filter follows the record buffer from record to record.
// Evaluation uses a work space inside the object: one thread at a time may
// evaluate a given Expression (copies are independent).
class Expression {
 public:
  static std::variant<Expression, CompileError> Compile(std::string_view text, const NameScope& scope);

  ExprValue Evaluate() const;
  // Whether the value is true (a non-zero number or a non-blank text); the
  // per-record test of a filter, which does not allocate.
  bool Test() const;

  const std::string& Text() const { return text_; }

 private:
  Expression(std::string_view text, expr::Program program);

  std::string text_;
  std::shared_ptr<const expr::Program> program_;
  mutable expr::Scratch scratch_;
};

}  // namespace vornel::platform

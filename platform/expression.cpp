#include "platform/expression.h"

#include "platform/expression_evaluator.h"
#include "platform/expression_parser.h"

namespace vornel::platform {

Expression::Expression(std::string_view text, expr::Program program)
    : text_(text), program_(std::make_shared<const expr::Program>(std::move(program))) {
  scratch_.FitTo(*program_);
}

std::variant<Expression, CompileError> Expression::Compile(std::string_view text, const NameScope& scope) {
  auto parsed = expr::Parse(text, scope);
  if (auto* error = std::get_if<expr::SyntaxError>(&parsed)) {
    return CompileError{error->position, std::move(error->message)};
  }
  return Expression(text, std::get<expr::Program>(std::move(parsed)));
}

ExprValue Expression::Evaluate() const { return expr::Evaluate(*program_, scratch_); }

bool Expression::Test() const { return expr::Test(*program_, scratch_); }

}  // namespace vornel::platform

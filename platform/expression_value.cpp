#include "platform/expression_value.h"

#include "platform/expression_rules.h"

namespace vornel::platform {

double ExprValue::AsNumber() const {
  if (const double* number = std::get_if<double>(&value_)) return *number;
  return expr::TextToNumber(std::get<std::string>(value_));
}

std::string ExprValue::AsText() const {
  if (const std::string* text = std::get_if<std::string>(&value_)) return *text;
  char buffer[expr::kNumberTextSize];
  return std::string(expr::FormatNumber(std::get<double>(value_), buffer));
}

std::string_view ExprValue::TextView() const {
  if (const std::string* text = std::get_if<std::string>(&value_)) return *text;
  return {};
}

bool ExprValue::IsTrue() const {
  if (const double* number = std::get_if<double>(&value_)) return *number != 0;
  return !expr::IsBlankText(std::get<std::string>(value_));
}

int ExprValue::Compare(const ExprValue& a, const ExprValue& b) {
  if (a.IsNumber() && b.IsNumber()) {
    return expr::CompareNumbers(expr::Sane(std::get<double>(a.value_)),
                                expr::Sane(std::get<double>(b.value_)));
  }
  if (a.IsText() && b.IsText()) return expr::CompareTexts(a.TextView(), b.TextView());
  if (a.IsNumber()) return expr::CompareNumberWithText(expr::Sane(std::get<double>(a.value_)), b.TextView());
  return -expr::CompareNumberWithText(expr::Sane(std::get<double>(b.value_)), a.TextView());
}

}  // namespace vornel::platform

#pragma once
// A value of the filter expression language: a number or a text.
#include <string>
#include <string_view>
#include <variant>

namespace vornel::platform {

// What an expression evaluates to, and what a bound function returns.
class ExprValue {
 public:
  ExprValue() = default;  // the number 0
  ExprValue(double number) : value_(number) {}
  ExprValue(int number) : value_(static_cast<double>(number)) {}
  ExprValue(std::string text) : value_(std::move(text)) {}
  ExprValue(std::string_view text) : value_(std::string(text)) {}
  ExprValue(const char* text) : value_(std::string(text)) {}

  bool IsNumber() const { return std::holds_alternative<double>(value_); }
  bool IsText() const { return !IsNumber(); }

  // The number; a text counts as its number when it reads wholly as one, else 0.
  double AsNumber() const;
  // The text; a number gives its plain decimal text ("12.5", "-3", "0").
  std::string AsText() const;
  // The stored text, or an empty view for a number.
  std::string_view TextView() const;

  // True for a non-zero number or a text that is not blank.
  bool IsTrue() const;

  // Three-way comparison by the language's rules (-1, 0, 1); see docs/expressions.md.
  static int Compare(const ExprValue& a, const ExprValue& b);

  // Same kind and same value (texts byte for byte): for tests and caches.
  friend bool operator==(const ExprValue&, const ExprValue&) = default;

 private:
  std::variant<double, std::string> value_ = 0.0;
};

}  // namespace vornel::platform

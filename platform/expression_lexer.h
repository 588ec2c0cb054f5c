#pragma once
// Splits filter expression text into tokens (used by the expression compiler).
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vornel::platform::expr {

enum class TokenKind {
  kName, kNumber, kText,
  kLeftParen, kRightParen, kComma,
  kEqual, kNotEqual, kLess, kGreater, kLessEqual, kGreaterEqual,
  kPlus, kMinus, kStar, kSlash,
  kAnd, kOr, kNot,
  kEnd,
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::size_t position = 0;  // 1-based character position in the text
  std::string_view spelling;  // the token as written
  double number = 0;          // kNumber
  std::string text;           // kText, with doubled quotes made single
};

// The first fault found in an expression's text.
struct SyntaxError {
  std::size_t position = 0;
  std::string message;  // names the position too
};

// The tokens of `text`, always ending with a kEnd token, or the first error.
std::variant<std::vector<Token>, SyntaxError> Tokenize(std::string_view text);

// How a token is named in messages: "'abc'", "')'", "end of text".
std::string DescribeToken(const Token& token);

}  // namespace vornel::platform::expr

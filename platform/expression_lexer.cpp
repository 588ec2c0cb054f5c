#include "platform/expression_lexer.h"

#include <charconv>
#include <optional>

#include "platform/text.h"

namespace vornel::platform::expr {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c) || c == ':'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string At(std::size_t position) { return " at position " + std::to_string(position); }

// A piece of the text as a message shows it, cut when long.
std::string Quote(std::string_view spelling) {
  return "'" + std::string(Cut(spelling, 40)) + (spelling.size() > 40 ? "...'" : "'");
}

// A character as a message shows it: itself when printable, else its code.
std::string ShowChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 0x21 && u < 0x7f) return std::string("'") + c + "'";
  static const char kHex[] = "0123456789ABCDEF";
  return std::string("character 0x") + kHex[u >> 4] + kHex[u & 15];
}

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  std::variant<std::vector<Token>, SyntaxError> Run() {
    std::vector<Token> tokens;
    while (true) {
      while (i_ < text_.size() && IsSpace(text_[i_])) ++i_;
      Token token;
      token.position = i_ + 1;
      if (i_ >= text_.size()) {
        token.kind = TokenKind::kEnd;
        tokens.push_back(std::move(token));
        return tokens;
      }
      std::size_t start = i_;
      char c = text_[i_];
      if (IsNameStart(c)) {
        while (i_ < text_.size() && IsNameChar(text_[i_])) ++i_;
        token.kind = KeywordOrName(text_.substr(start, i_ - start));
      } else if (IsDigit(c) || (c == '.' && i_ + 1 < text_.size() && IsDigit(text_[i_ + 1]))) {
        if (std::optional<SyntaxError> error = Number(token)) return *std::move(error);
      } else if (c == '\'') {
        if (std::optional<SyntaxError> error = Text(token)) return *std::move(error);
      } else if (std::optional<TokenKind> kind = Operator()) {
        token.kind = *kind;
      } else {
        return SyntaxError{i_ + 1, "Unexpected " + ShowChar(c) + At(i_ + 1)};
      }
      token.spelling = text_.substr(start, i_ - start);
      tokens.push_back(std::move(token));
    }
  }

 private:
  static TokenKind KeywordOrName(std::string_view word) {
    if (EqualNoCase(word, "AND")) return TokenKind::kAnd;
    if (EqualNoCase(word, "OR")) return TokenKind::kOr;
    if (EqualNoCase(word, "NOT")) return TokenKind::kNot;
    return TokenKind::kName;
  }

  // Digits with at most one decimal point. Letters, ':' or a second point
  // straight after a number make the whole run a malformed number rather
  // than two tokens, so "80123abc" is reported as what it is.
  std::optional<SyntaxError> Number(Token& token) {
    std::size_t start = i_;
    std::size_t points = 0;
    while (i_ < text_.size() && (IsNameChar(text_[i_]) || text_[i_] == '.')) {
      if (text_[i_] == '.') ++points;
      else if (!IsDigit(text_[i_])) points = 2;  // marks the run as malformed
      ++i_;
    }
    std::string_view spelling = text_.substr(start, i_ - start);
    auto [ptr, ec] = std::from_chars(spelling.data(), spelling.data() + spelling.size(), token.number,
                                     std::chars_format::fixed);
    if (points > 1 || (ec == std::errc() && ptr != spelling.data() + spelling.size())) {
      return SyntaxError{start + 1, "Invalid number " + Quote(spelling) + At(start + 1)};
    }
    if (ec != std::errc()) {
      return SyntaxError{start + 1, "Number " + Quote(spelling) + " is out of range" + At(start + 1)};
    }
    token.kind = TokenKind::kNumber;
    return std::nullopt;
  }

  // A quoted text; two quotes in a row stand for one quote.
  std::optional<SyntaxError> Text(Token& token) {
    std::size_t start = i_;
    ++i_;
    while (true) {
      if (i_ >= text_.size()) {
        return SyntaxError{start + 1, "Unterminated text (no closing quote)" + At(start + 1)};
      }
      char c = text_[i_++];
      if (c != '\'') {
        token.text.push_back(c);
      } else if (i_ < text_.size() && text_[i_] == '\'') {
        token.text.push_back('\'');
        ++i_;
      } else {
        break;
      }
    }
    token.kind = TokenKind::kText;
    return std::nullopt;
  }

  std::optional<TokenKind> Operator() {
    char c = text_[i_];
    char next = i_ + 1 < text_.size() ? text_[i_ + 1] : '\0';
    auto take = [this](std::size_t n, TokenKind kind) {
      i_ += n;
      return kind;
    };
    switch (c) {
      case '(': return take(1, TokenKind::kLeftParen);
      case ')': return take(1, TokenKind::kRightParen);
      case ',': return take(1, TokenKind::kComma);
      case '=': return take(1, TokenKind::kEqual);
      case '+': return take(1, TokenKind::kPlus);
      case '-': return take(1, TokenKind::kMinus);
      case '*': return take(1, TokenKind::kStar);
      case '/': return take(1, TokenKind::kSlash);
      case '<':
        if (next == '>') return take(2, TokenKind::kNotEqual);
        if (next == '=') return take(2, TokenKind::kLessEqual);
        return take(1, TokenKind::kLess);
      case '>':
        if (next == '=') return take(2, TokenKind::kGreaterEqual);
        return take(1, TokenKind::kGreater);
      default:
        return std::nullopt;
    }
  }

  std::string_view text_;
  std::size_t i_ = 0;
};

}  // namespace

std::variant<std::vector<Token>, SyntaxError> Tokenize(std::string_view text) { return Lexer(text).Run(); }

std::string DescribeToken(const Token& token) {
  if (token.kind == TokenKind::kEnd) return "end of text";
  return Quote(token.spelling);
}

}  // namespace vornel::platform::expr

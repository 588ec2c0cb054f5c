#include "platform/expression_parser.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/expression_evaluator.h"
#include "platform/text.h"

namespace vornel::platform::expr {
namespace {

constexpr std::uint32_t kFailed = ~std::uint32_t{0};

std::string At(std::size_t position) { return " at position " + std::to_string(position); }

std::optional<Relation> RelationOf(TokenKind kind) {
  switch (kind) {
    case TokenKind::kEqual: return Relation::kEqual;
    case TokenKind::kNotEqual: return Relation::kNotEqual;
    case TokenKind::kLess: return Relation::kLess;
    case TokenKind::kGreater: return Relation::kGreater;
    case TokenKind::kLessEqual: return Relation::kLessEqual;
    case TokenKind::kGreaterEqual: return Relation::kGreaterEqual;
    default: return std::nullopt;
  }
}

bool IsConstant(const Node& node) { return node.op == Op::kNumber || node.op == Op::kText; }

// Recursive descent, one function per precedence level, loosest first:
// OR, AND, NOT, comparisons, + -, * /, unary minus, operands. Every function
// returns the index of the node it built, or kFailed with error_ set.
class Parser {
 public:
  Parser(std::vector<Token> tokens, const NameScope& scope) : tokens_(std::move(tokens)), scope_(scope) {}

  std::variant<Program, SyntaxError> Run() {
    if (Peek().kind == TokenKind::kEnd) {
      return SyntaxError{1, "The expression is empty" + At(1)};
    }
    std::uint32_t root = ParseOr();
    if (root != kFailed && Peek().kind != TokenKind::kEnd) {
      const Token& extra = Peek();
      if (extra.kind == TokenKind::kRightParen) {
        Fail(extra.position, "Unexpected ')'" + At(extra.position) + " (no '(' to close)");
      } else {
        Fail(extra.position, "Unexpected " + DescribeToken(extra) + At(extra.position) +
                                 " (an operator or the end was expected)");
      }
    }
    if (error_) return *std::move(error_);
    program_.root = root;
    return std::move(program_);
  }

 private:
  const Token& Peek() const { return tokens_[next_]; }
  const Token& Take() { return tokens_[next_ == tokens_.size() - 1 ? next_ : next_++]; }

  std::uint32_t Fail(std::size_t position, std::string message) {
    if (!error_) error_ = SyntaxError{position, std::move(message)};
    return kFailed;
  }

  // Guards the parser's own recursion; the matching Leave follows the call.
  bool Enter(std::size_t position) {
    if (++nesting_ <= kMaxNesting) return true;
    Fail(position, "The expression is nested too deeply" + At(position) + " (more than " +
                       std::to_string(kMaxNesting) + " levels)");
    return false;
  }
  void Leave() { --nesting_; }

  std::uint32_t ParseOr() { return ParseList(TokenKind::kOr, Op::kOr, &Parser::ParseAnd); }
  std::uint32_t ParseAnd() { return ParseList(TokenKind::kAnd, Op::kAnd, &Parser::ParseNot); }

  // A chain of ANDs or of ORs becomes one node with a list of operands, so
  // a long filter does not become a deep tree.
  std::uint32_t ParseList(TokenKind separator, Op op, std::uint32_t (Parser::*operand)()) {
    std::uint32_t first = (this->*operand)();
    if (first == kFailed || Peek().kind != separator) return first;
    std::size_t position = Peek().position;
    std::vector<std::uint32_t> items{first};
    while (Peek().kind == separator) {
      Take();
      std::uint32_t item = (this->*operand)();
      if (item == kFailed) return kFailed;
      items.push_back(item);
    }
    Node node;
    node.op = op;
    node.kind = Kind::kNumber;
    node.a = static_cast<std::uint32_t>(program_.lists.size());
    node.b = static_cast<std::uint32_t>(items.size());
    program_.lists.insert(program_.lists.end(), items.begin(), items.end());
    return Add(node, items, position);
  }

  std::uint32_t ParseNot() {
    if (Peek().kind != TokenKind::kNot) return ParseComparison();
    std::size_t position = Take().position;
    if (!Enter(position)) return kFailed;
    std::uint32_t operand = ParseNot();
    Leave();
    if (operand == kFailed) return kFailed;
    Node node;
    node.op = Op::kNot;
    node.a = operand;
    return Add(node, {operand}, position);
  }

  std::uint32_t ParseComparison() {
    std::uint32_t left = ParseSum();
    while (left != kFailed) {
      std::optional<Relation> relation = RelationOf(Peek().kind);
      if (!relation) break;
      std::size_t position = Take().position;
      std::uint32_t right = ParseSum();
      if (right == kFailed) return kFailed;
      Kind lk = program_.nodes[left].kind;
      Kind rk = program_.nodes[right].kind;
      Node node;
      node.op = lk == Kind::kNumber && rk == Kind::kNumber ? Op::kCompareNumbers
                : lk == Kind::kText && rk == Kind::kText   ? Op::kCompareTexts
                                                           : Op::kCompareAny;
      node.relation = *relation;
      node.a = left;
      node.b = right;
      left = Add(node, {left, right}, position);
    }
    return left;
  }

  std::uint32_t ParseSum() {
    return ParseArithmetic(&Parser::ParseProduct, TokenKind::kPlus, Op::kAdd, TokenKind::kMinus,
                           Op::kSubtract);
  }
  std::uint32_t ParseProduct() {
    return ParseArithmetic(&Parser::ParseUnary, TokenKind::kStar, Op::kMultiply, TokenKind::kSlash,
                           Op::kDivide);
  }

  std::uint32_t ParseArithmetic(std::uint32_t (Parser::*operand)(), TokenKind first_token, Op first_op,
                                TokenKind second_token, Op second_op) {
    std::uint32_t left = (this->*operand)();
    while (left != kFailed && (Peek().kind == first_token || Peek().kind == second_token)) {
      const Token& token = Take();
      Node node;
      node.op = token.kind == first_token ? first_op : second_op;
      std::size_t position = token.position;
      std::uint32_t right = (this->*operand)();
      if (right == kFailed) return kFailed;
      node.a = left;
      node.b = right;
      left = Add(node, {left, right}, position);
    }
    return left;
  }

  std::uint32_t ParseUnary() {
    if (Peek().kind != TokenKind::kMinus) return ParseOperand();
    std::size_t position = Take().position;
    if (!Enter(position)) return kFailed;
    std::uint32_t operand = ParseUnary();
    Leave();
    if (operand == kFailed) return kFailed;
    Node node;
    node.op = Op::kNegate;
    node.a = operand;
    return Add(node, {operand}, position);
  }

  std::uint32_t ParseOperand() {
    const Token& token = Peek();
    switch (token.kind) {
      case TokenKind::kNumber: {
        Node node;
        node.op = Op::kNumber;
        node.number = Take().number;
        return Add(node, {}, token.position);
      }
      case TokenKind::kText: return Add(TextConstant(Take().text), {}, token.position);
      case TokenKind::kName:
        if (tokens_[next_ + 1].kind == TokenKind::kLeftParen) return ParseCall();
        return ParseName();
      case TokenKind::kLeftParen: {
        std::size_t position = Take().position;
        if (!Enter(position)) return kFailed;
        std::uint32_t inner = ParseOr();
        Leave();
        if (inner == kFailed) return kFailed;
        if (Peek().kind != TokenKind::kRightParen) {
          return Fail(Peek().position, "Missing ')'" + At(Peek().position) + " to close the '(' at position " +
                                           std::to_string(position) + ", found " + DescribeToken(Peek()));
        }
        Take();
        return inner;
      }
      default:
        return Fail(token.position, "Missing operand" + At(token.position) + ", found " + DescribeToken(token));
    }
  }

  std::uint32_t ParseCall() {
    const Token& name = Take();
    std::size_t position = name.position;
    Node node;
    if (EqualNoCase(name.spelling, "UPPER")) {
      node.op = Op::kUpper;
    } else if (EqualNoCase(name.spelling, "LOWER")) {
      node.op = Op::kLower;
    } else if (EqualNoCase(name.spelling, "CLIP")) {
      node.op = Op::kClip;
    } else {
      return Fail(position, "Unknown function " + DescribeToken(name) + At(position));
    }
    std::string function = Upper(name.spelling);
    Take();  // '('
    if (!Enter(position)) return kFailed;
    std::uint32_t argument = ParseOr();
    Leave();
    if (argument == kFailed) return kFailed;
    if (Peek().kind == TokenKind::kComma) {
      return Fail(Peek().position, function + " takes one argument; unexpected ','" + At(Peek().position));
    }
    if (Peek().kind != TokenKind::kRightParen) {
      return Fail(Peek().position, "Missing ')'" + At(Peek().position) + " to close " + function +
                                       "( at position " + std::to_string(position) + ", found " +
                                       DescribeToken(Peek()));
    }
    Take();
    node.kind = Kind::kText;
    node.a = argument;
    node.slot = program_.text_slots++;
    return Add(node, {argument}, position);
  }

  std::uint32_t ParseName() {
    const Token& name = Take();
    std::optional<Binding> binding = scope_.Find(name.spelling);
    if (!binding) return Fail(name.position, "Unknown name " + DescribeToken(name) + At(name.position));
    if (!binding->IsUsable()) {
      return Fail(name.position, "Name " + DescribeToken(name) + " is bound to nothing readable" + At(name.position));
    }
    Node node;
    node.address = binding->address;
    node.width = binding->width;
    switch (binding->type) {
      case Binding::Type::kUInt8: node.op = Op::kLoadUInt8; break;
      case Binding::Type::kInt16: node.op = Op::kLoadInt16; break;
      case Binding::Type::kInt32: node.op = Op::kLoadInt32; break;
      case Binding::Type::kDouble: node.op = Op::kLoadDouble; break;
      case Binding::Type::kFixedText:
        node.op = Op::kLoadFixedText;
        node.kind = Kind::kText;
        // A zero-width field has no storage to point at; any address reads nothing.
        if (node.address == nullptr) node.address = "";
        break;
      case Binding::Type::kString:
        node.op = Op::kLoadString;
        node.kind = Kind::kText;
        break;
      case Binding::Type::kFunction:
        node.op = Op::kCall;
        node.kind = Kind::kAny;
        node.a = static_cast<std::uint32_t>(program_.functions.size());
        node.slot = program_.value_slots++;
        program_.functions.push_back(std::move(binding->function));
        break;
    }
    return Add(node, {}, name.position);
  }

  Node TextConstant(std::string_view text) {
    Node node;
    node.op = Op::kText;
    node.kind = Kind::kText;
    node.a = static_cast<std::uint32_t>(program_.text_pool.size());
    node.b = static_cast<std::uint32_t>(text.size());
    program_.text_pool.append(text);
    return node;
  }

  // Appends a node after checking the depth limit, and folds it into a
  // constant when all its operands are constants (UPPER('O''NEIL') is
  // computed once here, not once per record).
  std::uint32_t Add(Node node, std::initializer_list<std::uint32_t> children, std::size_t position) {
    return Add(node, std::vector<std::uint32_t>(children), position);
  }

  std::uint32_t Add(Node node, const std::vector<std::uint32_t>& children, std::size_t position) {
    std::uint32_t depth = 0;
    bool constant = !children.empty();
    for (std::uint32_t child : children) {
      depth = std::max(depth, program_.nodes[child].depth);
      constant = constant && IsConstant(program_.nodes[child]);
    }
    node.depth = depth + 1;
    if (node.depth > kMaxTreeDepth) {
      return Fail(position, "The expression is too deeply nested" + At(position) + " (more than " +
                                std::to_string(kMaxTreeDepth) + " levels of operators)");
    }
    auto index = static_cast<std::uint32_t>(program_.nodes.size());
    program_.nodes.push_back(node);
    if (constant) Fold(index);
    return index;
  }

  void Fold(std::uint32_t index) {
    Scratch scratch;
    scratch.FitTo(program_);
    ExprValue value = EvaluateNode(program_, scratch, index);
    Node folded;
    if (value.IsText()) {
      folded = TextConstant(value.TextView());
    } else {
      folded.op = Op::kNumber;
      folded.number = value.AsNumber();
    }
    folded.depth = 1;  // a constant costs no evaluation depth
    program_.nodes[index] = folded;
  }

  std::vector<Token> tokens_;
  const NameScope& scope_;
  std::size_t next_ = 0;
  std::size_t nesting_ = 0;
  std::optional<SyntaxError> error_;
  Program program_;
};

}  // namespace

std::variant<Program, SyntaxError> Parse(std::string_view text, const NameScope& scope) {
  auto tokens = Tokenize(text);
  if (auto* error = std::get_if<SyntaxError>(&tokens)) return *std::move(error);
  return Parser(std::get<std::vector<Token>>(std::move(tokens)), scope).Run();
}

}  // namespace vornel::platform::expr

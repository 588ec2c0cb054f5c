#include "platform/expression_evaluator.h"

#include <cstring>
#include <string_view>

#include "platform/expression_rules.h"
#include "platform/text.h"

namespace vornel::platform::expr {
namespace {

// A value during evaluation. Text is a view into the bound field, the
// program's constants or the scratch space, so passing values around never
// copies or allocates.
struct Val {
  bool is_text = false;
  double number = 0;
  std::string_view text;
};

Val NumberVal(double number) { return Val{false, number, {}}; }
Val TextVal(std::string_view text) { return Val{true, 0, text}; }

template <typename T>
T Read(const void* address) {
  T value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

inline bool Holds(Relation relation, int order) {
  switch (relation) {
    case Relation::kEqual: return order == 0;
    case Relation::kNotEqual: return order != 0;
    case Relation::kLess: return order < 0;
    case Relation::kGreater: return order > 0;
    case Relation::kLessEqual: return order <= 0;
    case Relation::kGreaterEqual: return order >= 0;
  }
  return false;
}

int CompareVals(const Val& a, const Val& b) {
  if (!a.is_text && !b.is_text) return CompareNumbers(a.number, b.number);
  if (a.is_text && b.is_text) return CompareTexts(a.text, b.text);
  if (!a.is_text) return CompareNumberWithText(a.number, b.text);
  return -CompareNumberWithText(b.number, a.text);
}

// Kept out of line so that the number buffer does not sit in every frame of
// the recursive walk.
[[gnu::noinline]] void AssignNumberText(std::string& out, double number) {
  char buffer[kNumberTextSize];
  out.assign(FormatNumber(number, buffer));
}

class Walker {
 public:
  Walker(const Program& program, Scratch& scratch) : p_(program), s_(scratch) {}

  double Num(std::uint32_t i) {
    const Node& n = p_.nodes[i];
    switch (n.op) {
      case Op::kNumber: return n.number;
      case Op::kLoadUInt8: return Read<std::uint8_t>(n.address);
      case Op::kLoadInt16: return Read<std::int16_t>(n.address);
      case Op::kLoadInt32: return Read<std::int32_t>(n.address);
      case Op::kLoadDouble: return Sane(Read<double>(n.address));
      case Op::kNegate: return -NumOf(n.a);
      case Op::kNot: return Truth(n.a) ? 0.0 : 1.0;
      case Op::kAdd: {
        double left = NumOf(n.a);
        return Sane(left + NumOf(n.b));
      }
      case Op::kSubtract: {
        double left = NumOf(n.a);
        return Sane(left - NumOf(n.b));
      }
      case Op::kMultiply: {
        double left = NumOf(n.a);
        return Sane(left * NumOf(n.b));
      }
      case Op::kDivide: {
        double left = NumOf(n.a);
        double right = NumOf(n.b);
        return right == 0 ? 0.0 : Sane(left / right);
      }
      case Op::kCompareNumbers: {
        double left = NumOf(n.a);
        return Holds(n.relation, CompareNumbers(left, NumOf(n.b))) ? 1.0 : 0.0;
      }
      case Op::kCompareTexts: {
        std::string_view left = TextOf(n.a);
        return Holds(n.relation, CompareTexts(left, TextOf(n.b))) ? 1.0 : 0.0;
      }
      case Op::kCompareAny: {
        Val left = Eval(n.a);
        return Holds(n.relation, CompareVals(left, Eval(n.b))) ? 1.0 : 0.0;
      }
      case Op::kAnd:
        for (std::uint32_t k = n.a; k < n.a + n.b; ++k) {
          if (!Truth(p_.lists[k])) return 0.0;
        }
        return 1.0;
      case Op::kOr:
        for (std::uint32_t k = n.a; k < n.a + n.b; ++k) {
          if (Truth(p_.lists[k])) return 1.0;
        }
        return 0.0;
      default: {
        Val v = Eval(i);
        return v.is_text ? TextToNumber(v.text) : v.number;
      }
    }
  }

  Val Eval(std::uint32_t i) {
    const Node& n = p_.nodes[i];
    switch (n.op) {
      case Op::kText: return TextVal(std::string_view(p_.text_pool).substr(n.a, n.b));
      case Op::kLoadFixedText:
        return TextVal(std::string_view(static_cast<const char*>(n.address), n.width));
      case Op::kLoadString: return TextVal(*static_cast<const std::string*>(n.address));
      case Op::kCall: {
        ExprValue& result = s_.values[n.slot];
        result = p_.functions[n.a]();
        if (result.IsText()) return TextVal(result.TextView());
        return NumberVal(Sane(result.AsNumber()));
      }
      case Op::kUpper:
      case Op::kLower:
      case Op::kClip: return TextFunction(n);
      default: return NumberVal(Num(i));
    }
  }

  bool Truth(std::uint32_t i) {
    if (p_.nodes[i].kind == Kind::kNumber) return Num(i) != 0;
    Val v = Eval(i);
    return v.is_text ? !IsBlankText(v.text) : v.number != 0;
  }

 private:
  // Operands of comparisons and arithmetic are mostly bound fields and
  // constants. Reading those here, inlined into each operator, keeps the
  // common filter free of a nested dispatch per operand.
  [[gnu::always_inline]] double NumOf(std::uint32_t i) {
    const Node& n = p_.nodes[i];
    if (n.op == Op::kLoadInt32) return Read<std::int32_t>(n.address);
    if (n.op == Op::kNumber) return n.number;
    if (n.op == Op::kLoadDouble) return Sane(Read<double>(n.address));
    return Num(i);
  }

  [[gnu::always_inline]] std::string_view TextOf(std::uint32_t i) {
    const Node& n = p_.nodes[i];
    if (n.op == Op::kLoadFixedText) return std::string_view(static_cast<const char*>(n.address), n.width);
    if (n.op == Op::kText) return std::string_view(p_.text_pool.data() + n.a, n.b);
    return Eval(i).text;
  }

  Val TextFunction(const Node& n) {
    Val arg = Eval(n.a);
    std::string& out = s_.texts[n.slot];
    if (n.op == Op::kClip && arg.is_text) return TextVal(Clip(arg.text));
    if (arg.is_text) {
      out.assign(arg.text);
    } else {
      AssignNumberText(out, arg.number);
    }
    for (char& c : out) {
      if (n.op == Op::kUpper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (n.op == Op::kLower && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return TextVal(out);
  }

  const Program& p_;
  Scratch& s_;
};

ExprValue ToExprValue(const Val& v) {
  if (v.is_text) return ExprValue(v.text);
  return ExprValue(v.number);
}

}  // namespace

ExprValue Evaluate(const Program& program, Scratch& scratch) {
  return EvaluateNode(program, scratch, program.root);
}

ExprValue EvaluateNode(const Program& program, Scratch& scratch, std::uint32_t node) {
  return ToExprValue(Walker(program, scratch).Eval(node));
}

bool Test(const Program& program, Scratch& scratch) { return Walker(program, scratch).Truth(program.root); }

}  // namespace vornel::platform::expr

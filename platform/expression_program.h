#pragma once
// The compiled form of a filter expression: a flat tree of typed nodes that
// the compiler builds once and the evaluator walks per record.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/expression_value.h"

namespace vornel::platform::expr {

// Deepest tree the compiler accepts; the evaluator recurses once per level.
inline constexpr std::size_t kMaxTreeDepth = 1000;

// What a node yields, as far as the compiler can tell. Comparisons of two
// statically numeric or two statically textual operands skip the run-time
// type test.
enum class Kind : std::uint8_t { kNumber, kText, kAny };

enum class Op : std::uint8_t {
  kNumber,        // constant `number`
  kText,          // constant: text_pool[a, a + b)
  kLoadUInt8,     // bound variables at `address`
  kLoadInt16,
  kLoadInt32,
  kLoadDouble,
  kLoadFixedText, // `width` bytes at `address`
  kLoadString,    // std::string at `address`
  kCall,          // functions[a], result kept in value slot `slot`
  kNegate,        // -child a
  kNot,           // NOT child a
  kAdd, kSubtract, kMultiply, kDivide,  // children a, b
  kCompareNumbers, kCompareTexts, kCompareAny,  // children a, b; `relation`
  kAnd, kOr,      // children list[a, a + b), short-circuit
  kUpper, kLower, kClip,  // child a; UPPER and LOWER write text slot `slot`
};

enum class Relation : std::uint8_t { kEqual, kNotEqual, kLess, kGreater, kLessEqual, kGreaterEqual };

struct Node {
  Op op = Op::kNumber;
  Kind kind = Kind::kNumber;
  Relation relation = Relation::kEqual;
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  std::uint32_t slot = 0;
  std::uint32_t depth = 1;  // height of the subtree, for the depth limit
  double number = 0;
  const void* address = nullptr;
  std::size_t width = 0;
};

struct Program {
  std::vector<Node> nodes;
  std::vector<std::uint32_t> lists;  // children of AND and OR nodes
  std::string text_pool;             // constant texts
  std::vector<std::function<ExprValue()>> functions;
  std::uint32_t root = 0;
  std::uint32_t text_slots = 0;
  std::uint32_t value_slots = 0;
};

// Per-expression work space for results that need storage (UPPER, LOWER,
// function calls). It keeps its capacity between evaluations, so evaluating
// again does not allocate once the longest value has been seen.
struct Scratch {
  std::vector<std::string> texts;
  std::vector<ExprValue> values;

  void FitTo(const Program& program) {
    texts.resize(program.text_slots);
    values.resize(program.value_slots);
  }
};

}  // namespace vornel::platform::expr

#pragma once
// Evaluates a compiled filter expression against the current values of its
// bound variables.
#include <cstdint>

#include "platform/expression_program.h"
#include "platform/expression_value.h"

namespace vornel::platform::expr {

// The value of node `node` (the root when omitted). `scratch` must have been
// fitted to the program.
ExprValue Evaluate(const Program& program, Scratch& scratch);
ExprValue EvaluateNode(const Program& program, Scratch& scratch, std::uint32_t node);

// Whether the root's value is true; the per-record path of a filter, which
// never builds an ExprValue.
bool Test(const Program& program, Scratch& scratch);

}  // namespace vornel::platform::expr

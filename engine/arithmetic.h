// Arithmetic shared by the evaluator and the functions; not part of the
// public face of the engine.
#pragma once

#include "engine/numeric/numeric.h"

#include <optional>

namespace tolvane::engine {

// The power rule, base a and exponent b, in extended precision: a whole b with
// |b| <= 2147483647 by repeated squaring (b = 0 gives 1, a negative b the
// reciprocal); otherwise 0 for a = 0, a numeric fault (nullopt) for a < 0, and
// e^(b ln a) for a > 0. Base 0 with a negative whole exponent is a fault too.
[[nodiscard]] std::optional<Extended> PowerRule(Extended a, Extended b);

} // namespace tolvane::engine

// The engine's transcendental functions on Extended, the same bits on every machine.
//
// Each is computed in integer arithmetic from the exact argument, with tables made by
// scripts/extended_tables.py, and rounded to Extended once: first by a fast route in fixed point
// that rounds only when it is sure of the rounding, else by a careful 128-bit route
// (extended_math_routes.h), which is correctly rounded unless the exact result lies within
// about 2^-110 of a tie, which the tests have not met. Sin, Cos and Tan reduce every finite
// argument exactly (2/pi to 17,000 bits), huge ones included.
//
// Faults as the x87 library functions raise them: Exp overflow gives infinity with the
// overflow fault, Exp underflow a denormal or zero silently; Ln, Log2 and Log10 of 0 give
// -infinity with division by zero and of a negative number NaN with invalid; Arcsin and Arccos
// beyond [-1, 1] and Sin, Cos, Tan of an infinity give NaN with invalid. A NaN argument comes
// back quieted.
#pragma once

#include "engine/numeric/numeric.h"

namespace tolvane::engine {

[[nodiscard]] Extended Exp(Extended x);
[[nodiscard]] Extended Ln(Extended x);
[[nodiscard]] Extended Log2(Extended x);
[[nodiscard]] Extended Log10(Extended x);
[[nodiscard]] Extended Sin(Extended x); // radians
[[nodiscard]] Extended Cos(Extended x);
[[nodiscard]] Extended Tan(Extended x);
[[nodiscard]] Extended Arctan(Extended x); // in [-pi/2, pi/2]
[[nodiscard]] Extended Arcsin(Extended x); // in [-pi/2, pi/2]
[[nodiscard]] Extended Arccos(Extended x); // in [0, pi]

} // namespace tolvane::engine

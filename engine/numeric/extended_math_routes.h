// Internal to the numeric layer: the two routes each transcendental function of extended_math.h
// takes.
//
// The public function answers the special arguments (NaN, infinities, zeros, arguments beyond
// the domain or the range) itself, then asks the fast route, and the careful route only when
// the fast one cannot decide:
//
// - fast:: computes in 128-bit fixed point with 64-bit tails, tables and a double-precision
//   first guess for reciprocals and roots, to within 2^-100 of the exact value (relative). It
//   rounds only when that approximation lies further than 2^-90 from every rounding boundary
//   (halfway between two neighbouring Extended values), so the answer is the correctly rounded
//   one; otherwise, and outside the argument range it was made for, it answers nullopt. About
//   one argument in 2^25 takes the careful route.
// - careful:: computes in 128-bit floating point (wide_float.h), exactly enough that only an
//   exact result within about 2^-110 of a boundary could be misrounded.
//
// Both are integer arithmetic and IEEE double operations with one correct rounding each, so
// every machine takes the same route and gets the same bits. The tests call the routes one by
// one: fast against careful, both against MPFR.
#pragma once

#include "engine/numeric/extended_tables.h"
#include "engine/numeric/numeric.h"
#include "engine/numeric/wide_float.h"

#include <bit>
#include <cstddef>
#include <optional>

namespace tolvane::engine {

// x >= 0 finite as quadrant * pi/2 + r, |r| <= pi/4 (slightly more through rounding).
struct QuarterTurns {
    WideFloat r;
    unsigned quadrant = 0; // 0..3
};
[[nodiscard]] QuarterTurns ReduceQuarterTurns(Extended x);

// How both routes take a logarithm apart: a finite x > 0 is 2^e * f, and f times a short
// multiplier R/4096 from the table (tables::kLogMultipliers[i], i the significand's top nine
// fraction bits) lands within 2^-9 of 1: f R / 4096 = product / 2^scale exactly, so
// ln x = e ln 2 - ln(R/4096) + ln(product / 2^scale). For f in [1.5, 2) the step takes f/2 in
// [0.75, 1) instead, one more in e and in scale.
struct LogSteps {
    long e = 0;
    std::size_t i = 0; // the table entry
    int scale = 75;    // 75, or 76 for the upper half
    Uint128 product;   // the significand (top bit set) times R
};
[[nodiscard]] inline LogSteps ReduceLogArgument(Extended x)
{
    const ExtendedBits bits = x.Bits();
    const int biased = bits.signExponent & 0x7fff;
    const int zeros = std::countl_zero(bits.significand);
    const std::uint64_t m = bits.significand << zeros;
    LogSteps steps;
    steps.e = (biased == 0 ? 1 : biased) - 16383 - zeros;
    steps.i = static_cast<std::size_t>((m >> 54) & 511);
    if (steps.i >= 256) {
        ++steps.e;
        steps.scale = 76;
    }
    steps.product = MultiplyWide(m, tables::kLogMultipliers[steps.i]);
    return steps;
}

namespace fast {

// Each takes what the public function passes on: a finite x within its domain (Ln, Log2, Log10:
// x > 0; Sin, Tan, Arctan, Arcsin: x != 0; Arcsin, Arccos: |x| <= 1).
[[nodiscard]] std::optional<Extended> Exp(Extended x);
[[nodiscard]] std::optional<Extended> Ln(Extended x);
[[nodiscard]] std::optional<Extended> Log2(Extended x);
[[nodiscard]] std::optional<Extended> Log10(Extended x);
[[nodiscard]] std::optional<Extended> Sin(Extended x);
[[nodiscard]] std::optional<Extended> Cos(Extended x);
[[nodiscard]] std::optional<Extended> Tan(Extended x);
[[nodiscard]] std::optional<Extended> Arctan(Extended x);
[[nodiscard]] std::optional<Extended> Arcsin(Extended x);
[[nodiscard]] std::optional<Extended> Arccos(Extended x);

// v rounded to Extended when an error of 2^-90 relative could not change the rounding and the
// result is a normal number; nullopt otherwise.
[[nodiscard]] std::optional<Extended> RoundIfSafe(const WideFloat& v);

} // namespace fast

namespace careful {

// The same arguments as the fast routes (Exp: -11500 <= x <= 11357).
[[nodiscard]] Extended Exp(Extended x);
[[nodiscard]] Extended Ln(Extended x);
[[nodiscard]] Extended Log2(Extended x);
[[nodiscard]] Extended Log10(Extended x);
[[nodiscard]] Extended Sin(Extended x);
[[nodiscard]] Extended Cos(Extended x);
[[nodiscard]] Extended Tan(Extended x);
[[nodiscard]] Extended Arctan(Extended x);
[[nodiscard]] Extended Arcsin(Extended x);
[[nodiscard]] Extended Arccos(Extended x);

} // namespace careful
} // namespace tolvane::engine

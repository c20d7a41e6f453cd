// Roots, powers, logarithms, trigonometry in radians, rounding, remainder.
// All arithmetic runs in extended precision on the arguments; the function
// step rounds the result to a double once.
#include "engine/arithmetic.h"
#include "engine/constants.h"
#include "engine/function_call.h"
#include "engine/functions.h"
#include "engine/messages.h"
#include "engine/numeric/extended_math.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace tolvane::engine {
namespace {

// The signed 64-bit range in extended precision; both bounds are exact.
constexpr Extended kInt64Low = std::numeric_limits<std::int64_t>::min();                 // -2^63
constexpr Extended kInt64End = Extended::FromBits({std::uint64_t{1} << 63, 16383 + 63}); // 2^63

// A whole number converted to a signed 64-bit integer, or nullopt beyond that
// range: a numeric fault.
std::optional<std::int64_t> WholeToInt64(Extended whole)
{
    if (!(whole >= kInt64Low && whole < kInt64End))
        return std::nullopt;
    return ToInt64(whole);
}

// Nearest whole number, ties to the even one.
Extended RoundHalfEven(Extended v)
{
    const Extended below = Floor(v);
    const Extended fraction = v - below; // exact
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return Fmod(below, 2) == 0 ? below : below + 1;
}

// Rounds to a whole number (ties to even) and passes it through a signed
// 64-bit integer.
FunctionOutcome RoundThroughInt64(Extended v)
{
    const auto whole = WholeToInt64(RoundHalfEven(v));
    if (!whole)
        return std::nullopt;
    return *whole;
}

FunctionOutcome Logarithm(const FunctionCall& call, Extended (*logarithm)(Extended))
{
    if (call.x <= 0) {
        AppendError(call.errors, msg::kLogPositive);
        return std::nullopt;
    }
    return logarithm(call.x);
}

} // namespace

namespace handlers {

FunctionOutcome Abs(const FunctionCall& call)
{
    return engine::Abs(call.x);
}

// Every argument is reduced exactly, so even arguments of 2^63 and beyond get
// their true sine, cosine and tangent.
FunctionOutcome Sin(const FunctionCall& call)
{
    return engine::Sin(call.x);
}

FunctionOutcome Cos(const FunctionCall& call)
{
    return engine::Cos(call.x);
}

FunctionOutcome Tan(const FunctionCall& call)
{
    return engine::Tan(call.x);
}

FunctionOutcome Arctan(const FunctionCall& call)
{
    return engine::Arctan(call.x);
}

FunctionOutcome Degrad(const FunctionCall& call)
{
    return call.x * kDecimalPi / 180;
}

FunctionOutcome Raddeg(const FunctionCall& call)
{
    return call.x * 180 / kDecimalPi;
}

FunctionOutcome Int(const FunctionCall& call)
{
    return engine::Trunc(call.x);
}

FunctionOutcome Trunc(const FunctionCall& call)
{
    const auto whole = WholeToInt64(engine::Trunc(call.x));
    if (!whole)
        return std::nullopt;
    return *whole;
}

FunctionOutcome Round(const FunctionCall& call)
{
    return RoundThroughInt64(call.x);
}

FunctionOutcome Frac(const FunctionCall& call)
{
    return call.x - engine::Trunc(call.x);
}

FunctionOutcome Exp(const FunctionCall& call)
{
    return engine::Exp(call.x);
}

FunctionOutcome Power(const FunctionCall& call)
{
    const auto y = SecondArgument(call, msg::kPowerArguments);
    if (!y)
        return std::nullopt;
    return PowerRule(call.x, *y);
}

FunctionOutcome Sqrt(const FunctionCall& call)
{
    if (call.x < 0) {
        AppendError(call.errors, msg::kSqrtNegative);
        return std::nullopt;
    }
    return engine::Sqrt(call.x);
}

FunctionOutcome Arcsin(const FunctionCall& call)
{
    if (call.x < -1 || call.x > 1) {
        AppendError(call.errors, msg::kArcsinRange);
        return std::nullopt;
    }
    return engine::Arcsin(call.x);
}

FunctionOutcome Arccos(const FunctionCall& call)
{
    if (call.x > 1 || call.x < -1) {
        AppendError(call.errors, msg::kArccosRange);
        return std::nullopt;
    }
    return engine::Arccos(call.x);
}

FunctionOutcome Log2(const FunctionCall& call)
{
    return Logarithm(call, engine::Log2);
}

FunctionOutcome Log10(const FunctionCall& call)
{
    return Logarithm(call, engine::Log10);
}

FunctionOutcome Ln(const FunctionCall& call)
{
    return Logarithm(call, engine::Ln);
}

// logN(base, value): the first argument is the base.
FunctionOutcome LogN(const FunctionCall& call)
{
    const auto y = SecondArgument(call, msg::kLognArguments);
    if (!y)
        return std::nullopt;
    if (call.x <= 0 || *y <= 0 || call.x == 1) {
        AppendError(call.errors, msg::kLognDomain);
        return std::nullopt;
    }
    return engine::Log2(*y) / engine::Log2(call.x);
}

// roundto(x, d): x rounded to a multiple of 10^d. The factor is a double, and
// 10^-d is 1 / 10^d, so roundto(2.675,-2) divides the double just below 2.675
// by the double nearest 0.01 and gives 2.67, as it always has.
FunctionOutcome Roundto(const FunctionCall& call)
{
    const auto y = SecondArgument(call, msg::kRoundtoDigits);
    if (!y)
        return std::nullopt;
    if (!IsWhole(*y) || *y >= 15 || *y <= -15) {
        AppendError(call.errors, msg::kRoundtoDigits);
        return std::nullopt;
    }
    const auto digits = static_cast<int>(ToInt64(*y));
    Extended tens = 1;
    for (int k = 0; k < std::abs(digits); ++k)
        tens *= 10;
    const double factor = ToDouble(digits < 0 ? 1 / tens : tens);
    const Extended quotient = Extended(ToDouble(call.x)) / factor;
    const FunctionOutcome whole = RoundThroughInt64(quotient);
    if (!whole)
        return std::nullopt;
    return *whole * factor;
}

// mod(x, y): both whole, y positive; the remainder takes the sign of x.
FunctionOutcome Mod(const FunctionCall& call)
{
    const auto y = SecondArgument(call, msg::kModArguments);
    if (!y)
        return std::nullopt;
    if (!IsWhole(*y) || !IsWhole(call.x) || *y <= 0) {
        AppendError(call.errors, msg::kModDomain);
        return std::nullopt;
    }
    const auto dividend = WholeToInt64(call.x);
    const auto divisor = WholeToInt64(*y);
    if (!dividend || !divisor)
        return std::nullopt;
    return *dividend % *divisor;
}

} // namespace handlers
} // namespace tolvane::engine

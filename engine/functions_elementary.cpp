// Roots, powers, logarithms, trigonometry in radians, rounding, remainder.
// All arithmetic runs in extended precision on the arguments; the function
// step rounds the result to a double once.
#include "engine/arithmetic.h"
#include "engine/constants.h"
#include "engine/function_call.h"
#include "engine/functions.h"
#include "engine/messages.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tolvane::engine {
namespace {

// The signed 64-bit range in extended precision; both bounds are exact.
constexpr long double kInt64Low = -9223372036854775808.0L; // -2^63
constexpr long double kInt64End = 9223372036854775808.0L;  // 2^63, the first value beyond

// A whole number converted to a signed 64-bit integer, or nullopt beyond that
// range (where the conversion would be undefined): a numeric fault.
std::optional<std::int64_t> ToInt64(long double whole)
{
    if (!(whole >= kInt64Low && whole < kInt64End))
        return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

// Nearest whole number, ties to the even one, whatever the rounding mode of
// the floating-point unit happens to be.
long double RoundHalfEven(long double v)
{
    const long double below = std::floor(v);
    const long double fraction = v - below; // exact
    if (fraction > 0.5L)
        return below + 1;
    if (fraction < 0.5L)
        return below;
    return std::fmod(below, 2.0L) == 0 ? below : below + 1;
}

// Rounds to a whole number (ties to even) and passes it through a signed
// 64-bit integer.
FunctionOutcome RoundThroughInt64(long double v)
{
    const auto whole = ToInt64(RoundHalfEven(v));
    if (!whole)
        return std::nullopt;
    return static_cast<long double>(*whole);
}

FunctionOutcome Logarithm(const FunctionCall& call, long double (*log)(long double))
{
    if (call.x <= 0) {
        AppendError(call.errors, msg::kLogPositive);
        return std::nullopt;
    }
    return log(call.x);
}

} // namespace

FunctionOutcome Abs(const FunctionCall& call)
{
    return std::fabs(call.x);
}

// The C library reduces any argument exactly, so even arguments of 2^63 and
// beyond get their true sine, cosine and tangent.
FunctionOutcome Sin(const FunctionCall& call)
{
    return std::sin(call.x);
}

FunctionOutcome Cos(const FunctionCall& call)
{
    return std::cos(call.x);
}

FunctionOutcome Tan(const FunctionCall& call)
{
    return std::tan(call.x);
}

FunctionOutcome Arctan(const FunctionCall& call)
{
    return std::atan(call.x);
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
    return std::trunc(call.x);
}

FunctionOutcome Trunc(const FunctionCall& call)
{
    const auto whole = ToInt64(std::trunc(call.x));
    if (!whole)
        return std::nullopt;
    return static_cast<long double>(*whole);
}

FunctionOutcome Round(const FunctionCall& call)
{
    return RoundThroughInt64(call.x);
}

FunctionOutcome Frac(const FunctionCall& call)
{
    return call.x - std::trunc(call.x);
}

FunctionOutcome Exp(const FunctionCall& call)
{
    return std::exp(call.x);
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
    return std::sqrt(call.x);
}

FunctionOutcome Arcsin(const FunctionCall& call)
{
    if (call.x < -1 || call.x > 1) {
        AppendError(call.errors, msg::kArcsinRange);
        return std::nullopt;
    }
    return std::asin(call.x);
}

FunctionOutcome Arccos(const FunctionCall& call)
{
    if (call.x > 1 || call.x < -1) {
        AppendError(call.errors, msg::kArccosRange);
        return std::nullopt;
    }
    return std::acos(call.x);
}

FunctionOutcome Log2(const FunctionCall& call)
{
    return Logarithm(call, [](long double v) { return std::log2(v); });
}

FunctionOutcome Log10(const FunctionCall& call)
{
    return Logarithm(call, [](long double v) { return std::log10(v); });
}

FunctionOutcome Ln(const FunctionCall& call)
{
    return Logarithm(call, [](long double v) { return std::log(v); });
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
    return std::log2(*y) / std::log2(call.x);
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
    const int digits = static_cast<int>(*y);
    long double tens = 1;
    for (int k = 0; k < std::abs(digits); ++k)
        tens *= 10;
    const auto factor = static_cast<double>(digits < 0 ? 1 / tens : tens);
    const long double quotient = static_cast<long double>(static_cast<double>(call.x)) / factor;
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
    const auto dividend = ToInt64(call.x);
    const auto divisor = ToInt64(*y);
    if (!dividend || !divisor)
        return std::nullopt;
    return static_cast<long double>(*dividend % *divisor);
}

} // namespace tolvane::engine

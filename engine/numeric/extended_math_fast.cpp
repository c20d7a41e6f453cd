// The fast route of the transcendental functions (see extended_math_routes.h).
//
// Bounded quantities are unsigned 128-bit fixed-point numbers with two integer bits (Q2.126,
// fixed_point.h); signs are tracked beside them, and each series is arranged so that every partial
// sum of its Horner scheme stays positive. Small quantities that need their relative precision (a
// tiny argument, a sine near zero) stay floating (WideFloat) and meet the fixed-point series, which
// is close to 1 there, in one multiplication. The last terms of each series are summed in
// 64-bit fixed point: their size times 2^-62 is far below the 2^-100 the route answers for.
// Each bound quoted in a comment is the largest term left out or the largest error let in.
#include "engine/numeric/extended_math_routes.h"
#include "engine/numeric/extended_tables.h"
#include "engine/numeric/fixed_point.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace tolvane::engine::fast {
namespace {

using namespace fixed;

// ---- Tables and constants ------------------------------------------------------------------

constexpr auto kFactorialInverse = FixedTable(tables::kFactorialInverse); // 1/k!
constexpr auto kInverse = FixedTable(tables::kInverse);                   // 1/(k+1)
constexpr auto kExp2 = FixedTable(tables::kExp2);
constexpr auto kLogOfMultiplier = FixedTable(tables::kLogOfMultiplier); // magnitudes
constexpr auto kSinStep = FixedTable(tables::kSinStep);
constexpr auto kCosStep = FixedTable(tables::kCosStep);
constexpr auto kAtanStep = FixedTable(tables::kAtanStep);
constexpr Fixed kHalfPi = ToFixed(tables::kConstants[0]);
constexpr Fixed kPi = ToFixed(tables::kConstants[1]);
constexpr Fixed kLog2E = ToFixed(tables::kConstants[3]);

constexpr auto kShortFactorialInverse = FractionTable(tables::kFactorialInverse);
constexpr auto kShortInverse = FractionTable(tables::kInverse);

constexpr std::uint64_t ShortFactorialInverse(int k) // 1/k!
{
    return kShortFactorialInverse[static_cast<std::size_t>(k)];
}
constexpr std::uint64_t ShortInverse(int k) // 1/k
{
    return kShortInverse[static_cast<std::size_t>(k - 1)];
}

// Compares magnitudes.
bool Smaller(const WideFloat& a, const WideFloat& b)
{
    if (IsZero(a) || IsZero(b))
        return IsZero(a) && !IsZero(b);
    if (a.exponent != b.exponent)
        return a.exponent < b.exponent;
    return Below(a.significand, b.significand);
}

// sin(b) / b and cos(b) for z = b^2 < 2^-14 (|b| <= 1/128): the first term left out is
// z^6/13! < 2^-116 and z^7/14! < 2^-134; the tails' errors are below 2^-104.
Fixed SineOverArgument(Fixed z)
{
    const std::uint64_t tail = ShortHorner(
        Fraction64(z),
        {ShortFactorialInverse(7), ShortFactorialInverse(9), ShortFactorialInverse(11)}, true);
    return Horner(z, {kOne, kFactorialInverse[3], kFactorialInverse[5]}, tail, true);
}

Fixed Cosine(Fixed z)
{
    const std::uint64_t tail = ShortHorner(
        Fraction64(z),
        {ShortFactorialInverse(8), ShortFactorialInverse(10), ShortFactorialInverse(12)}, true);
    return Horner(z, {kOne, kFactorialInverse[2], kFactorialInverse[4], kFactorialInverse[6]}, tail,
                  true);
}

// atan(t) / t for z = t^2 < 2^-14: the first term left out is z^7/15 < 2^-101.
Fixed ArctanOverArgument(Fixed z)
{
    const std::uint64_t tail =
        ShortHorner(Fraction64(z),
                    {ShortInverse(7), ShortInverse(9), ShortInverse(11), ShortInverse(13)}, true);
    return Horner(z, {kOne, kInverse[2], kInverse[4]}, tail, true);
}

// ---- Reciprocals and roots ---------------------------------------------------------------

// The double holding the top 53 bits of a Q2.126 value in [1, 4), exactly.
double ToDouble53(Fixed v)
{
    const int zeros = std::countl_zero(v.high); // 0 or 1
    const std::uint64_t top = (v.high << zeros) >> 11;
    const auto exponent = static_cast<std::uint64_t>(1023 + 1 - zeros);
    return std::bit_cast<double>((exponent << 52) | (top & ((std::uint64_t{1} << 52) - 1)));
}

// A double in [1/4, 4) in Q2.126, exactly.
Fixed FromDouble(double d)
{
    const auto bits = std::bit_cast<std::uint64_t>(d);
    const long exponent = static_cast<long>((bits >> 52) & 0x7ff) - 1023;
    const std::uint64_t significand =
        (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    return ShiftLeft({0, significand}, 74 + exponent);
}

// 1/d for d in [1, 4): a correctly rounded double division (the same on every machine), then
// one Newton step, y (2 - d y), which squares the error: below 2^-104.
Fixed Inverse(Fixed d)
{
    const Fixed y = FromDouble(1.0 / ToDouble53(d));
    const Fixed two = {std::uint64_t{1} << 63, 0};
    return Times(y, Minus(two, Times(d, y)));
}

WideFloat Inverse(const WideFloat& a)
{
    const Fixed y = Inverse(ShiftRight(a.significand, 1)); // 1 / (a's significand in [1, 2))
    return ToWide(y, -a.exponent, a.negative);
}

// ---- Atan on [0, 1] -------------------------------------------------------------------------

// atan t for 0 < t <= 1 (t carried as a WideFloat): for t < 1/128 t times the series; else
// atan(j/64) + atan(d), d = (t - j/64) / (1 + t j/64), |d| <= 2^-7.
WideFloat AtanUnit(const WideFloat& t)
{
    if (t.exponent < -7) {
        const Fixed z = ToFixed(Multiply(t, t));
        return Multiply(t, ToWide(ArctanOverArgument(z), 0, false));
    }
    const Fixed a = ToFixed(t);
    const auto j = static_cast<std::uint64_t>((a.high + (std::uint64_t{1} << 55)) >> 56);
    const Fixed c = {j << 56, 0};
    const bool below = Below(a, c);
    const Fixed difference = below ? Minus(c, a) : Minus(a, c);
    const Fixed d = Times(difference, Inverse(Plus(kOne, TimesWhole(a, j, 6))));
    const Fixed atanD = Times(d, ArctanOverArgument(Times(d, d)));
    const Fixed& step = kAtanStep[static_cast<std::size_t>(j)];
    return ToWide(below ? Minus(step, atanD) : Plus(step, atanD), 0, false);
}

// ---- Sine and cosine on [-pi/4, pi/4] ------------------------------------------------------

struct SineCosine {
    WideFloat sine;
    WideFloat cosine;
};

// Below 1/128 the series directly; else the angle sums over the table at j/64, |b| <= 1/128.
SineCosine SinCos(const WideFloat& r)
{
    if (r.exponent < -7) {
        const Fixed z = ToFixed(Multiply(r, r));
        return {Multiply(r, ToWide(SineOverArgument(z), 0, false)), ToWide(Cosine(z), 0, false)};
    }
    const Fixed a = ToFixed(r);
    const auto j = static_cast<std::size_t>((a.high + (std::uint64_t{1} << 55)) >> 56);
    const Fixed c = {static_cast<std::uint64_t>(j) << 56, 0};
    const bool below = Below(a, c);
    const Fixed b = below ? Minus(c, a) : Minus(a, c);
    const Fixed z = Times(b, b);
    const Fixed sinB = Times(b, SineOverArgument(z));
    const Fixed cosB = Cosine(z);
    const Fixed sinJCosB = Times(kSinStep[j], cosB);
    const Fixed cosJSinB = Times(kCosStep[j], sinB);
    const Fixed cosJCosB = Times(kCosStep[j], cosB);
    const Fixed sinJSinB = Times(kSinStep[j], sinB);
    // sin(c -+ b) = sin c cos b -+ cos c sin b; cos(c -+ b) = cos c cos b +- sin c sin b.
    const Fixed sine = below ? Minus(sinJCosB, cosJSinB) : Plus(sinJCosB, cosJSinB);
    const Fixed cosine = below ? Plus(cosJCosB, sinJSinB) : Minus(cosJCosB, sinJSinB);
    return {ToWide(sine, 0, r.negative), ToWide(cosine, 0, false)};
}

SineCosine SinCosOf(Extended x, unsigned& quadrant)
{
    const QuarterTurns reduced = ReduceQuarterTurns(Abs(x));
    quadrant = reduced.quadrant;
    return SinCos(reduced.r);
}

// ---- Logarithms -----------------------------------------------------------------------------

// x taken apart as ReduceLogArgument does, product / 2^scale = 1 + u, |u| < 2^-9, exactly;
// ln x = e ln 2 - ln(R/4096) + u s with s = ln(1 + u) / u, whose first term left out is
// u^11/12 < 2^-102.
struct LogParts {
    long e = 0;
    std::size_t i = 0;    // the table entry
    bool nearOne = false; // R/4096 = 1 and e = 0: ln x = u s, carried floating
    Fixed u;              // |u|
    bool uNegative = false;
    Fixed s;
};

LogParts LogOf(Extended x)
{
    const LogSteps steps = ReduceLogArgument(x);
    LogParts p;
    p.e = steps.e;
    p.i = steps.i;
    const std::uint64_t multiplier = tables::kLogMultipliers[p.i];
    // u 2^126 = (product - 2^scale) 2^(126 - scale), exactly.
    const int scale = steps.scale;
    const Fixed product = steps.product;
    const Fixed one = {std::uint64_t{1} << (scale - 64), 0};
    p.uNegative = Below(product, one);
    p.u = ShiftLeft(p.uNegative ? Minus(one, product) : Minus(product, one), 126 - scale);
    p.nearOne = multiplier == 4096 && p.e == 0;
    const std::uint64_t tail = ShortHorner(Fraction64(p.u),
                                           {ShortInverse(6), ShortInverse(7), ShortInverse(8),
                                            ShortInverse(9), ShortInverse(10), ShortInverse(11)},
                                           !p.uNegative);
    p.s =
        Horner(p.u, {kOne, kInverse[1], kInverse[2], kInverse[3], kInverse[4]}, tail, !p.uNegative);
    return p;
}

// -ln(R/4096) + u s in Q2.126 with its sign (|value| < 1/2).
Fixed StepPlusSeries(const LogParts& p, bool& negative)
{
    const Fixed us = Times(p.u, p.s);
    const Fixed& step = kLogOfMultiplier[p.i];
    const bool stepNegative = tables::kLogOfMultiplier[p.i].negative;
    if (stepNegative == p.uNegative) {
        negative = stepNegative;
        return Plus(step, us);
    }
    negative = Below(step, us) ? p.uNegative : stepNegative;
    return Below(step, us) ? Minus(us, step) : Minus(step, us);
}

// A magnitude in Q15.113 (which holds e ln 2 and e for any Extended) plus one in Q2.126, each
// with its sign, as a WideFloat.
WideFloat WholePlus(Fixed whole113, bool wholeNegative, Fixed v, bool vNegative)
{
    const Fixed part = ShiftRight(v, 13);
    if (wholeNegative == vNegative)
        return ToWide(Plus(whole113, part), 13, vNegative);
    if (Below(whole113, part))
        return ToWide(Minus(part, whole113), 13, vNegative);
    return ToWide(Minus(whole113, part), 13, wholeNegative);
}

// ln x as a WideFloat (for x not near 1, within 2^-112 absolute, and |ln x| > 2^-10).
WideFloat NaturalLog(const LogParts& p)
{
    if (p.nearOne)
        return Multiply(ToWide(p.u, 0, p.uNegative), ToWide(p.s, 0, false));
    bool negative = false;
    const Fixed rest = StepPlusSeries(p, negative);
    if (p.e == 0)
        return ToWide(rest, 0, negative);
    // |e| ln 2 in Q15.113: |e| < 2^15 times ln 2 to 128 bits, then 15 bits dropped.
    const auto magnitude = static_cast<std::uint64_t>(p.e < 0 ? -p.e : p.e);
    const WideFloat& ln2 = tables::kConstants[2]; // ln 2 2^128 is its significand
    return WholePlus(TimesWhole(ln2.significand, magnitude, 15), p.e < 0, rest, negative);
}

} // namespace

// ---- The rounding test ---------------------------------------------------------------------

std::optional<Extended> RoundIfSafe(const WideFloat& v)
{
    // 2^-90 of the value in units of the 128-bit significand's last place.
    constexpr std::uint64_t kMargin = std::uint64_t{1} << 37;
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
    if (IsZero(v) || v.exponent < -16382 || v.exponent > 16383)
        return std::nullopt;
    const std::uint64_t rest = v.significand.low;
    const std::uint64_t distance = rest >= kHalf ? rest - kHalf : kHalf - rest;
    if (distance <= kMargin)
        return std::nullopt;
    return RoundWide(v.negative, v.exponent, v.significand, false);
}

// ---- The functions --------------------------------------------------------------------------

// exp(x) = 2^(n/256) exp(r), r = x - n ln2/256, |r| <= ln2/512 < 2^-9.5; the first term left
// out of the series is r^9/9! < 2^-104.
std::optional<Extended> Exp(Extended x)
{
    const ExtendedBits bits = x.Bits();
    const int biased = bits.signExponent & 0x7fff;
    if (biased < 16383 - 66) // |x| < 2^-66: 1 is nearer than any neighbour to the result
        return Extended(1);
    if (Abs(x) > 11354)
        return std::nullopt; // results at the ends of the range: the careful route
    const std::uint64_t m = bits.significand;
    const long q = biased - 16383 - 63; // |x| = m 2^q
    const bool negative = SignBit(x);
    long n = 0;
    Fixed r;
    bool rNegative = negative;
    if (q >= -73) { // |x| >= 2^-10
        // n = nearest(|x| 256/ln2) from the top 64 bits of 256/ln2 (exponent 8).
        const WideFloat& k = tables::kConstants[5];
        const Fixed scaled = MultiplyWide(m, k.significand.high);
        n = static_cast<long>((ShiftRight(scaled, 54 - q).low + 1) >> 1);
        // r = |x| - n ln2/256 in units of 2^-73: the 64-bit head of ln2/256 times n is exact,
        // and so is the difference, which is below 2^64; the tail then in Q2.126.
        const WideFloat& head = tables::kLn2Over256[0]; // a 64-bit significand, exponent -9
        const WideFloat& tail = tables::kLn2Over256[1];
        const Fixed x73 = ShiftLeft({0, m}, q + 73);
        const Fixed nHead =
            ShiftLeft(MultiplyWide(head.significand.high, static_cast<std::uint64_t>(n)), 1);
        const bool headAbove = Below(x73, nHead);
        const Fixed d = ShiftLeft(headAbove ? Minus(nHead, x73) : Minus(x73, nHead), 53);
        const Fixed nTail =
            TimesWhole(tail.significand, static_cast<std::uint64_t>(n), 1 - tail.exponent);
        // |x| - n ln2/256 = (+-d) - nTail.
        if (headAbove) {
            r = Plus(d, nTail);
            rNegative = !negative;
        } else if (Below(d, nTail)) {
            r = Minus(nTail, d);
            rNegative = !negative;
        } else {
            r = Minus(d, nTail);
        }
    } else {
        r = ShiftLeft({0, m}, q + 126);
        if (q + 126 < 0)
            r = ShiftRight({0, m}, -(q + 126));
    }
    if (negative)
        n = -n;
    // exp(r) = 1 + r (1 + r (1/2 + r (1/6 + r (1/24 + r tail)))), signs alternating for r < 0.
    const std::uint64_t tail = ShortHorner(Fraction64(r),
                                           {ShortFactorialInverse(5), ShortFactorialInverse(6),
                                            ShortFactorialInverse(7), ShortFactorialInverse(8)},
                                           rNegative);
    const Fixed series =
        Horner(r, {kOne, kOne, kFactorialInverse[2], kFactorialInverse[3], kFactorialInverse[4]},
               tail, rNegative);
    const long whole = n >= 0 ? n / 256 : -((-n + 255) / 256);
    const auto part = static_cast<std::size_t>(n - whole * 256);
    return RoundIfSafe(ToWide(Times(series, kExp2[part]), whole, false));
}

std::optional<Extended> Ln(Extended x)
{
    return RoundIfSafe(NaturalLog(LogOf(x)));
}

std::optional<Extended> Log2(Extended x)
{
    const LogParts p = LogOf(x);
    if (p.nearOne) {
        const WideFloat ln = Multiply(ToWide(p.u, 0, p.uNegative), ToWide(p.s, 0, false));
        return RoundIfSafe(Multiply(ln, tables::kConstants[3]));
    }
    bool negative = false;
    const Fixed rest = Times(StepPlusSeries(p, negative), kLog2E);
    const auto magnitude = static_cast<std::uint64_t>(p.e < 0 ? -p.e : p.e);
    return RoundIfSafe(WholePlus(ShiftLeft({0, magnitude}, 113), p.e < 0, rest, negative));
}

std::optional<Extended> Log10(Extended x)
{
    return RoundIfSafe(Multiply(NaturalLog(LogOf(x)), tables::kConstants[4]));
}

std::optional<Extended> Sin(Extended x)
{
    unsigned quadrant = 0;
    const SineCosine sc = SinCosOf(x, quadrant);
    WideFloat v = (quadrant & 1) != 0 ? sc.cosine : sc.sine;
    v.negative = (v.negative != ((quadrant & 2) != 0)) != SignBit(x);
    return RoundIfSafe(v);
}

std::optional<Extended> Cos(Extended x)
{
    unsigned quadrant = 0;
    const SineCosine sc = SinCosOf(x, quadrant);
    WideFloat v = (quadrant & 1) != 0 ? Negated(sc.sine) : sc.cosine;
    v.negative = v.negative != ((quadrant & 2) != 0);
    return RoundIfSafe(v);
}

std::optional<Extended> Tan(Extended x)
{
    unsigned quadrant = 0;
    const SineCosine sc = SinCosOf(x, quadrant);
    if (IsZero(sc.sine) || IsZero(sc.cosine))
        return std::nullopt;
    WideFloat v = (quadrant & 1) != 0 ? Negated(Multiply(sc.cosine, Inverse(sc.sine)))
                                      : Multiply(sc.sine, Inverse(sc.cosine));
    v.negative = v.negative != SignBit(x);
    return RoundIfSafe(v);
}

// Above 1: pi/2 - atan(1/|x|).
std::optional<Extended> Arctan(Extended x)
{
    const WideFloat a = WideFromExtended(Abs(x));
    WideFloat v;
    if (a.exponent >= 0 && !(a.exponent == 0 && a.significand.high == std::uint64_t{1} << 63 &&
                             a.significand.low == 0))
        v = ToWide(Minus(kHalfPi, ToFixed(AtanUnit(Inverse(a)))), 0, false);
    else
        v = AtanUnit(a);
    v.negative = SignBit(x);
    return RoundIfSafe(v);
}

namespace {

// s = sqrt(1 - a^2) = sqrt((1 - a)(1 + a)) and 1/s for 0 <= a < 1: the product is exact to
// 2^-126 relative; a double root gives 53 bits of 1/s, one Newton step y (3 - p y^2) / 2 the
// rest (error below 2^-104).
void Complement(const WideFloat& a, WideFloat& s, WideFloat& inverse)
{
    const WideFloat one = WideFromInteger(1);
    const WideFloat p = Multiply(Subtract(one, a), Add(one, a));
    // p = P 2^(2k) with P in [1, 4).
    const long e = p.exponent;
    const long k = e >= 0 ? e / 2 : -((-e + 1) / 2);
    const Fixed big = ShiftRight(p.significand, 1 - (e - 2 * k));
    const Fixed y0 = FromDouble(1.0 / std::sqrt(ToDouble53(big)));
    const Fixed three = {std::uint64_t{3} << 62, 0};
    const Fixed y = ShiftRight(Times(y0, Minus(three, Times(big, Times(y0, y0)))), 1);
    inverse = ToWide(y, -k, false);
    s = ToWide(Times(big, y), k, false);
}

} // namespace

std::optional<Extended> Arcsin(Extended x)
{
    const WideFloat a = WideFromExtended(Abs(x));
    WideFloat v;
    if (Abs(x) == 1) {
        v = tables::kConstants[0];
    } else {
        WideFloat s;
        WideFloat inverse;
        Complement(a, s, inverse);
        if (Smaller(a, s))
            v = AtanUnit(Multiply(a, inverse));
        else
            v = ToWide(Minus(kHalfPi, ToFixed(AtanUnit(Multiply(s, Inverse(a))))), 0, false);
    }
    v.negative = SignBit(x);
    return RoundIfSafe(v);
}

// acos |x|: atan(s/a) near 1, pi/2 - atan(a/s) below 1/sqrt 2; for x < 0, pi minus that.
std::optional<Extended> Arccos(Extended x)
{
    if (x == 0)
        return RoundIfSafe(tables::kConstants[0]);
    if (x == 1)
        return std::nullopt; // exactly 0: the careful route says so
    const WideFloat a = WideFromExtended(Abs(x));
    const bool negative = SignBit(x);
    if (Abs(x) == 1)
        return RoundIfSafe(tables::kConstants[1]);
    WideFloat s;
    WideFloat inverse;
    Complement(a, s, inverse);
    Fixed v;
    if (Smaller(a, s)) {
        const Fixed atan = ToFixed(AtanUnit(Multiply(a, inverse)));
        v = negative ? Plus(kHalfPi, atan) : Minus(kHalfPi, atan);
    } else {
        const WideFloat atan = AtanUnit(Multiply(s, Inverse(a)));
        if (!negative)
            return RoundIfSafe(atan);
        v = Minus(kPi, ToFixed(atan));
    }
    return RoundIfSafe(ToWide(v, 0, false));
}

} // namespace tolvane::engine::fast

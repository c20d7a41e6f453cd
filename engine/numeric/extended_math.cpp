// The public functions and the careful route (see extended_math_routes.h).
#include "engine/numeric/extended_math.h"

#include "engine/numeric/extended_math_routes.h"
#include "engine/numeric/extended_tables.h"
#include "engine/numeric/wide_float.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace tolvane::engine {
namespace {

const WideFloat& kHalfPi = tables::kConstants[0];
const WideFloat& kPi = tables::kConstants[1];
const WideFloat& kLn2 = tables::kConstants[2];
const WideFloat& kLog2E = tables::kConstants[3];
const WideFloat& kLog10E = tables::kConstants[4];
const WideFloat& k256OverLn2 = tables::kConstants[5];

std::size_t Index(long k)
{
    return static_cast<std::size_t>(k);
}

// The nearest integer to v (halves away from zero), for |v| < 2^62.
long NearestInteger(const WideFloat& v)
{
    if (IsZero(v) || v.exponent < -1)
        return 0;
    // floor(2|v|) from the top bits, then (that + 1) / 2.
    const auto twice = static_cast<long>(v.significand.high >> (62 - v.exponent));
    const long n = (twice + 1) / 2;
    return v.negative ? -n : n;
}

// Compares magnitudes.
bool Below(const WideFloat& a, const WideFloat& b)
{
    if (IsZero(a) || IsZero(b))
        return IsZero(a) && !IsZero(b);
    if (a.exponent != b.exponent)
        return a.exponent < b.exponent;
    if (a.significand.high != b.significand.high)
        return a.significand.high < b.significand.high;
    return a.significand.low < b.significand.low;
}

Extended Overflow()
{
    return RoundWide(false, 1'000'000, {std::uint64_t{1} << 63, 0}, false);
}

Extended InvalidResult()
{
    const Extended zero = Settle(Extended(0));
    return zero / zero;
}

// ---- exp ---------------------------------------------------------------------------------

// exp(x) = 2^(n/256) * exp(r) with r = x - n ln2/256, |r| <= ln2/512: eleven terms of the
// series leave an error below 2^-130.
WideFloat WideExp(const WideFloat& x)
{
    const long n = NearestInteger(Multiply(x, k256OverLn2));
    const WideFloat wn = WideFromInteger(n);
    // The head of ln2/256 has 64 bits and n at most 23, so the first product and difference
    // are exact.
    WideFloat r = Subtract(x, Multiply(wn, tables::kLn2Over256[0]));
    r = Subtract(r, Multiply(wn, tables::kLn2Over256[1]));
    WideFloat p = tables::kFactorialInverse[11];
    for (long k = 10; k >= 0; --k)
        p = Add(Multiply(p, r), tables::kFactorialInverse[Index(k)]);
    const long whole = n >= 0 ? n / 256 : -((-n + 255) / 256);
    const long part = n - whole * 256;
    return Scaled(Multiply(p, tables::kExp2[Index(part)]), whole);
}

// ---- logarithms --------------------------------------------------------------------------

// x taken apart as ReduceLogArgument does, with product / 2^scale = 1 + u computed exactly, and
// ln x = e ln2 - ln(R/4096) + ln(1 + u), the last by fifteen terms of its series. Answers e and
// ln f separately, so log2 keeps e exact.
struct LogParts {
    long e = 0;
    WideFloat lnF;
};

LogParts LogOf(Extended x)
{
    const LogSteps steps = ReduceLogArgument(x);
    LogParts parts;
    parts.e = steps.e;
    const std::size_t i = steps.i;
    const Uint128& product = steps.product;
    // u = product / 2^scale - 1, scale = 63 + 12 (+ 1 for the upper half).
    const int scale = steps.scale;
    const std::uint64_t oneHigh = std::uint64_t{1} << (scale - 64);
    WideFloat u;
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    if (product.high > oneHigh || (product.high == oneHigh && product.low > 0)) {
        low = product.low;
        high = product.high - oneHigh;
    } else {
        low = ~product.low + 1;
        high = oneHigh - product.high - (product.low != 0 ? 1 : 0);
        u.negative = true;
    }
    if (high != 0 || low != 0) {
        u.significand = {high, low};
        u.exponent = 127 - NormalizeWide(u.significand) - scale;
    }
    // ln(1 + u) = u - u^2/2 + u^3/3 - ...
    WideFloat q = tables::kInverse[14]; // 1/15
    for (long k = 14; k >= 1; --k) {
        const WideFloat& c = tables::kInverse[Index(k - 1)];
        q = Add(Multiply(q, u), (k % 2 == 0) ? Negated(c) : c);
    }
    parts.lnF = Add(tables::kLogOfMultiplier[i], Multiply(q, u));
    return parts;
}

// The special arguments of a logarithm, or nullopt for a positive finite one.
std::optional<Extended> LogSpecial(Extended x)
{
    if (IsNan(x))
        return x + x;
    if (x == 0)
        return Extended(-1) / Settle(Extended(0)); // -infinity, division by zero
    if (x < 0)
        return InvalidResult();
    if (IsInf(x))
        return x;
    return std::nullopt;
}

// ---- trigonometry ------------------------------------------------------------------------

// Bits [position, position + 63] of a little-endian multi-word number (zeros beyond it).
std::uint64_t BitsAt(const std::array<std::uint64_t, 5>& n, long position)
{
    const auto word = [&](long w) {
        return w >= 0 && w < 5 ? n[static_cast<std::size_t>(w)] : std::uint64_t{0};
    };
    const long w = position >= 0 ? position / 64 : -((-position + 63) / 64);
    const auto offset = static_cast<int>(position - w * 64);
    if (offset == 0)
        return word(w);
    return (word(w) >> offset) | (word(w + 1) << (64 - offset));
}

} // namespace

// Payne and Hanek's reduction: only the 256 bits of 2/pi from just above the argument's lowest
// bit matter modulo 4, so x * 2/pi mod 4 is one 64 x 256-bit product, exact to 2^-190.
QuarterTurns ReduceQuarterTurns(Extended x)
{
    const ExtendedBits bits = x.Bits();
    const int biased = bits.signExponent & 0x7fff;
    QuarterTurns out;
    if (biased < 16382) { // below 1/2: nothing to take off
        out.r = WideFromExtended(x);
        return out;
    }
    const std::uint64_t m = bits.significand;
    const long e = biased - 16383 - 63; // x = m * 2^e
    const long k0 = e - 1 > 1 ? e - 1 : 1;
    // The window: bits of weight 2^-k0 .. 2^-(k0+255), as four words, most significant last.
    std::array<std::uint64_t, 4> window{};
    const long startWord = (k0 - 1) / 64;
    const auto offset = static_cast<int>((k0 - 1) % 64);
    for (int i = 0; i < 4; ++i) {
        const std::uint64_t a = tables::kTwoOverPi[Index(startWord + i)];
        const std::uint64_t b = tables::kTwoOverPi[Index(startWord + i + 1)];
        window[static_cast<std::size_t>(3 - i)] =
            offset == 0 ? a : (a << offset) | (b >> (64 - offset));
    }
    std::array<std::uint64_t, 5> p{};
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const Uint128 t = MultiplyWide(m, window[i]);
        p[i] = t.low + carry;
        carry = t.high + (p[i] < carry ? 1 : 0);
    }
    p[4] = carry;
    // p * 2^-s is x * 2/pi modulo 4.
    const long s = k0 + 255 - e;
    out.quadrant = static_cast<unsigned>(BitsAt(p, s) & 3);
    // Keep the fraction: clear everything from bit s up.
    for (long w = 0; w < 5; ++w) {
        const long low = w * 64;
        auto& word = p[static_cast<std::size_t>(w)];
        if (low >= s)
            word = 0;
        else if (low + 64 > s)
            word &= (std::uint64_t{1} << (s - low)) - 1;
    }
    const bool aboveHalf = ((BitsAt(p, s - 1) & 1) != 0);
    if (aboveHalf) {
        // 1 - fraction: negate within s bits.
        ++out.quadrant;
        std::uint64_t borrow = 1;
        for (auto& word : p) {
            word = ~word + borrow;
            borrow = (borrow != 0 && word == 0) ? 1 : 0;
        }
        for (long w = 0; w < 5; ++w) {
            const long low = w * 64;
            auto& word = p[static_cast<std::size_t>(w)];
            if (low >= s)
                word = 0;
            else if (low + 64 > s)
                word &= (std::uint64_t{1} << (s - low)) - 1;
        }
        out.r.negative = true;
    }
    long top = -1;
    for (long w = 4; w >= 0 && top < 0; --w) {
        if (p[static_cast<std::size_t>(w)] != 0)
            top = w * 64 + 63 - std::countl_zero(p[static_cast<std::size_t>(w)]);
    }
    if (top < 0) {
        out.r = WideFloat{};
        return out;
    }
    WideFloat fraction;
    fraction.significand = {BitsAt(p, top - 63), BitsAt(p, top - 127)};
    fraction.exponent = top - s;
    const bool negative = out.r.negative;
    out.r = Multiply(fraction, kHalfPi);
    out.r.negative = negative;
    out.quadrant &= 3;
    return out;
}

namespace {

// sin r and cos r for |r| <= pi/4 + a little: r = j/64 + b with |b| <= 1/128, the two angle
// sums over a table at j/64, and seven terms of each series in b.
void SinCos(const WideFloat& r, WideFloat& sine, WideFloat& cosine)
{
    WideFloat a = r;
    a.negative = false;
    long j = NearestInteger(Scaled(a, 6));
    if (j > 51)
        j = 51;
    const WideFloat b = Subtract(a, Scaled(WideFromInteger(j), -6));
    const WideFloat b2 = Multiply(b, b);
    // sin b = b (1 - b^2/3! + b^4/5! - ... + b^12/13!); cos b = 1 - b^2/2! + ... + b^14/14!.
    WideFloat sb = tables::kFactorialInverse[13];
    for (long k = 11; k >= 1; k -= 2) {
        const WideFloat& c = tables::kFactorialInverse[Index(k)];
        sb = Add(Multiply(sb, b2), ((k - 1) / 2) % 2 == 1 ? Negated(c) : c);
    }
    sb = Multiply(sb, b);
    WideFloat cb = Negated(tables::kFactorialInverse[14]);
    for (long k = 12; k >= 0; k -= 2) {
        const WideFloat& c = tables::kFactorialInverse[Index(k)];
        cb = Add(Multiply(cb, b2), (k / 2) % 2 == 1 ? Negated(c) : c);
    }
    if (j == 0) {
        sine = sb;
        cosine = cb;
    } else {
        const WideFloat& sj = tables::kSinStep[Index(j)];
        const WideFloat& cj = tables::kCosStep[Index(j)];
        sine = Add(Multiply(sj, cb), Multiply(cj, sb));
        cosine = Subtract(Multiply(cj, cb), Multiply(sj, sb));
    }
    if (r.negative)
        sine = Negated(sine);
}

// ---- inverse trigonometry ----------------------------------------------------------------

// atan a for 0 <= a <= 1: atan(j/64) + atan t, t = (a - j/64) / (1 + a j/64), |t| <= 2^-7,
// and ten terms of the series in t.
WideFloat AtanUnit(const WideFloat& a)
{
    const long j = NearestInteger(Scaled(a, 6));
    WideFloat t = a;
    if (j != 0) {
        const WideFloat c = Scaled(WideFromInteger(j), -6);
        t = Divide(Subtract(a, c), Add(WideFromInteger(1), Multiply(a, c)));
    }
    const WideFloat t2 = Multiply(t, t);
    WideFloat q = Negated(tables::kInverse[18]); // -1/19
    for (long k = 8; k >= 0; --k) {
        const WideFloat& c = tables::kInverse[Index(2 * k)];
        q = Add(Multiply(q, t2), k % 2 == 1 ? Negated(c) : c);
    }
    return Add(tables::kAtanStep[Index(j)], Multiply(q, t));
}

// |x| <= 1: a = |x| and s = sqrt(1 - x^2) = sqrt((1 - a)(1 + a)).
WideFloat Complement(const WideFloat& a)
{
    const WideFloat one = WideFromInteger(1);
    return SquareRoot(Multiply(Subtract(one, a), Add(one, a)));
}

} // namespace

// ---- The careful route -------------------------------------------------------------------

namespace careful {

Extended Exp(Extended x)
{
    return ToExtended(WideExp(WideFromExtended(x)));
}

Extended Ln(Extended x)
{
    const LogParts parts = LogOf(x);
    return ToExtended(Add(Multiply(WideFromInteger(parts.e), kLn2), parts.lnF));
}

Extended Log2(Extended x)
{
    const LogParts parts = LogOf(x);
    return ToExtended(Add(WideFromInteger(parts.e), Multiply(parts.lnF, kLog2E)));
}

Extended Log10(Extended x)
{
    const LogParts parts = LogOf(x);
    return ToExtended(Multiply(Add(Multiply(WideFromInteger(parts.e), kLn2), parts.lnF), kLog10E));
}

Extended Sin(Extended x)
{
    const QuarterTurns reduced = ReduceQuarterTurns(Abs(x));
    WideFloat s;
    WideFloat c;
    SinCos(reduced.r, s, c);
    WideFloat v = (reduced.quadrant & 1) != 0 ? c : s;
    if ((reduced.quadrant & 2) != 0)
        v = Negated(v);
    return ToExtended(SignBit(x) ? Negated(v) : v);
}

Extended Cos(Extended x)
{
    const QuarterTurns reduced = ReduceQuarterTurns(Abs(x));
    WideFloat s;
    WideFloat c;
    SinCos(reduced.r, s, c);
    WideFloat v = (reduced.quadrant & 1) != 0 ? Negated(s) : c;
    if ((reduced.quadrant & 2) != 0)
        v = Negated(v);
    return ToExtended(v);
}

Extended Tan(Extended x)
{
    const QuarterTurns reduced = ReduceQuarterTurns(Abs(x));
    WideFloat s;
    WideFloat c;
    SinCos(reduced.r, s, c);
    const WideFloat v = (reduced.quadrant & 1) != 0 ? Negated(Divide(c, s)) : Divide(s, c);
    return ToExtended(SignBit(x) ? Negated(v) : v);
}

Extended Arctan(Extended x)
{
    const WideFloat a = WideFromExtended(Abs(x));
    const WideFloat v = Abs(x) > 1 ? Subtract(kHalfPi, AtanUnit(Reciprocal(a))) : AtanUnit(a);
    return ToExtended(SignBit(x) ? Negated(v) : v);
}

Extended Arcsin(Extended x)
{
    const WideFloat a = WideFromExtended(Abs(x));
    const WideFloat s = Complement(a);
    const WideFloat v =
        Below(a, s) ? AtanUnit(Divide(a, s)) : Subtract(kHalfPi, AtanUnit(Divide(s, a)));
    return ToExtended(SignBit(x) ? Negated(v) : v);
}

Extended Arccos(Extended x)
{
    const WideFloat a = WideFromExtended(Abs(x));
    const WideFloat s = Complement(a);
    // acos |x|: atan(s / a) near 1, pi/2 - atan(a / s) below 1/sqrt 2.
    WideFloat v = Below(a, s) ? Subtract(kHalfPi, AtanUnit(Divide(a, s))) : AtanUnit(Divide(s, a));
    if (SignBit(x) && x != 0)
        v = Subtract(kPi, v);
    return ToExtended(v);
}

} // namespace careful

// ---- The public functions: special arguments, then the fast route, then the careful one ----

namespace {

// What every function does once its special arguments are answered: the fast route, and the
// careful one only when the fast one cannot decide.
template <std::optional<Extended> (*Fast)(Extended), Extended (*Careful)(Extended)>
Extended FastOrCareful(Extended x)
{
    if (const auto r = Fast(x))
        return *r;
    return Careful(x);
}

// The three logarithms share their special arguments too.
template <std::optional<Extended> (*Fast)(Extended), Extended (*Careful)(Extended)>
Extended Logarithm(Extended x)
{
    if (const auto special = LogSpecial(x))
        return *special;
    return FastOrCareful<Fast, Careful>(x);
}

} // namespace

Extended Exp(Extended x)
{
    if (IsNan(x))
        return x + x;
    if (IsInf(x))
        return SignBit(x) ? Extended(0) : x;
    if (x > 11357)
        return Overflow();
    if (x < -11500)
        return 0;
    return FastOrCareful<fast::Exp, careful::Exp>(x);
}

Extended Ln(Extended x)
{
    return Logarithm<fast::Ln, careful::Ln>(x);
}

Extended Log2(Extended x)
{
    return Logarithm<fast::Log2, careful::Log2>(x);
}

Extended Log10(Extended x)
{
    return Logarithm<fast::Log10, careful::Log10>(x);
}

Extended Sin(Extended x)
{
    if (!IsFinite(x))
        return x - x; // NaN quieted; an infinity is invalid
    if (x == 0)
        return x;
    return FastOrCareful<fast::Sin, careful::Sin>(x);
}

Extended Cos(Extended x)
{
    if (!IsFinite(x))
        return x - x;
    return FastOrCareful<fast::Cos, careful::Cos>(x);
}

Extended Tan(Extended x)
{
    if (!IsFinite(x))
        return x - x;
    if (x == 0)
        return x;
    return FastOrCareful<fast::Tan, careful::Tan>(x);
}

Extended Arctan(Extended x)
{
    if (IsNan(x))
        return x + x;
    if (x == 0)
        return x;
    if (IsInf(x))
        return ToExtended(SignBit(x) ? Negated(kHalfPi) : kHalfPi);
    return FastOrCareful<fast::Arctan, careful::Arctan>(x);
}

Extended Arcsin(Extended x)
{
    if (IsNan(x))
        return x + x;
    if (Abs(x) > 1)
        return InvalidResult();
    if (x == 0)
        return x;
    return FastOrCareful<fast::Arcsin, careful::Arcsin>(x);
}

Extended Arccos(Extended x)
{
    if (IsNan(x))
        return x + x;
    if (Abs(x) > 1)
        return InvalidResult();
    return FastOrCareful<fast::Arccos, careful::Arccos>(x);
}

} // namespace tolvane::engine

// A binary floating-point number with a 128-bit significand and an unbounded exponent, in plain
// integers: the working precision of the extended math and of reading long decimals. Results
// are truncated, not rounded: each operation is off by a few units in the 128th bit, which the
// one final rounding to Extended (64 bits) never sees except within 2^-100 or so of a tie.
// Being integers, the results are the same on every machine.
#pragma once

#include "engine/numeric/numeric.h"

#include <bit>
#include <cstdint>

namespace tolvane::engine {

struct WideFloat {
    Uint128 significand; // top bit set, or all zero for a zero
    long exponent = 0;   // the weight of the top bit: value = significand * 2^(exponent - 127)
    bool negative = false;
};

[[nodiscard]] constexpr bool IsZero(const WideFloat& a)
{
    return a.significand.high == 0;
}

[[nodiscard]] constexpr WideFloat Negated(WideFloat a)
{
    a.negative = !a.negative;
    return a;
}

// a * 2^n.
[[nodiscard]] constexpr WideFloat Scaled(WideFloat a, long n)
{
    if (!IsZero(a))
        a.exponent += n;
    return a;
}

[[nodiscard]] inline WideFloat Multiply(const WideFloat& a, const WideFloat& b)
{
    WideFloat r;
    r.negative = a.negative != b.negative;
    if (IsZero(a) || IsZero(b))
        return r;
    const Uint128 hh = MultiplyWide(a.significand.high, b.significand.high);
    const Uint128 hl = MultiplyWide(a.significand.high, b.significand.low);
    const Uint128 lh = MultiplyWide(a.significand.low, b.significand.high);
    const std::uint64_t middle = hl.low + lh.low;
    const std::uint64_t carryMiddle = middle < hl.low ? 1 : 0;
    std::uint64_t low = hh.low + hl.high;
    std::uint64_t carry = low < hl.high ? 1 : 0;
    low += lh.high;
    carry += low < lh.high ? 1 : 0;
    low += carryMiddle;
    carry += low < carryMiddle ? 1 : 0;
    std::uint64_t high = hh.high + carry;
    r.exponent = a.exponent + b.exponent + 1;
    if ((high >> 63) == 0) {
        high = (high << 1) | (low >> 63);
        low = (low << 1) | (middle >> 63);
        --r.exponent;
    }
    r.significand = {high, low};
    return r;
}

[[nodiscard]] inline WideFloat Add(WideFloat a, WideFloat b)
{
    if (IsZero(b))
        return a;
    if (IsZero(a))
        return b;
    if (a.exponent < b.exponent ||
        (a.exponent == b.exponent &&
         (a.significand.high < b.significand.high ||
          (a.significand.high == b.significand.high && a.significand.low < b.significand.low)))) {
        const WideFloat t = a;
        a = b;
        b = t;
    }
    const long shift = a.exponent - b.exponent;
    if (shift >= 128)
        return a;
    std::uint64_t bHigh = b.significand.high;
    std::uint64_t bLow = b.significand.low;
    if (shift >= 64) {
        bLow = bHigh >> (shift - 64);
        bHigh = 0;
    } else if (shift > 0) {
        bLow = (bLow >> shift) | (bHigh << (64 - shift));
        bHigh >>= shift;
    }
    std::uint64_t high = a.significand.high;
    std::uint64_t low = a.significand.low;
    if (a.negative == b.negative) {
        low += bLow;
        const std::uint64_t carry = low < bLow ? 1 : 0;
        const std::uint64_t partial = high + bHigh;
        const bool overflowPartial = partial < high;
        high = partial + carry;
        if (overflowPartial || high < partial) {
            low = (low >> 1) | (high << 63);
            high = (high >> 1) | (std::uint64_t{1} << 63);
            ++a.exponent;
        }
        a.significand = {high, low};
        return a;
    }
    const std::uint64_t borrow = low < bLow ? 1 : 0;
    low -= bLow;
    high -= bHigh + borrow;
    if (high == 0 && low == 0)
        return WideFloat{};
    a.significand = {high, low};
    a.exponent -= NormalizeWide(a.significand);
    return a;
}

[[nodiscard]] inline WideFloat Subtract(const WideFloat& a, const WideFloat& b)
{
    return Add(a, Negated(b));
}

// An integer, exactly.
[[nodiscard]] inline WideFloat WideFromInteger(std::int64_t v)
{
    WideFloat r;
    if (v == 0)
        return r;
    r.negative = v < 0;
    std::uint64_t m =
        r.negative ? ~static_cast<std::uint64_t>(v) + 1 : static_cast<std::uint64_t>(v);
    const int zeros = std::countl_zero(m);
    r.significand = {m << zeros, 0};
    r.exponent = 63 - zeros;
    return r;
}

// A finite Extended, exactly.
[[nodiscard]] WideFloat WideFromExtended(Extended x);
// Rounded once to Extended (overflow: infinity with the fault).
[[nodiscard]] Extended ToExtended(const WideFloat& a);
// 1/a, a/b and sqrt(a) to about 125 bits; a and b nonzero, a positive for the root.
[[nodiscard]] WideFloat Reciprocal(const WideFloat& a);
[[nodiscard]] WideFloat Divide(const WideFloat& a, const WideFloat& b);
[[nodiscard]] WideFloat SquareRoot(const WideFloat& a);

} // namespace tolvane::engine

// Internal to the numeric layer: unsigned 128-bit fixed-point numbers with two integer bits
// (Q2.126, values in [0, 4)) and 64-bit fractions, the arithmetic of the transcendental functions'
// fast route (extended_math_fast.cpp). Plain integer operations: the same bits on every machine.
// Each operation drops the bits below its result; the comments say by how much at most.
#pragma once

#include "engine/numeric/numeric.h"
#include "engine/numeric/wide_float.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace tolvane::engine::fixed {

using Fixed = Uint128; // n / 2^126, in [0, 4)

constexpr Fixed Plus(Fixed a, Fixed b)
{
    const std::uint64_t low = a.low + b.low;
    return {a.high + b.high + (low < a.low ? 1 : 0), low};
}

constexpr Fixed Minus(Fixed a, Fixed b)
{
    return {a.high - b.high - (a.low < b.low ? 1 : 0), a.low - b.low};
}

constexpr bool Below(Fixed a, Fixed b)
{
    return a.high != b.high ? a.high < b.high : a.low < b.low;
}

constexpr Fixed ShiftRight(Fixed a, long n)
{
    if (n <= 0)
        return a;
    if (n >= 128)
        return {};
    if (n >= 64)
        return {0, a.high >> (n - 64)};
    return {a.high >> n, (a.low >> n) | (a.high << (64 - n))};
}

constexpr Fixed ShiftLeft(Fixed a, long n)
{
    if (n <= 0)
        return a;
    if (n >= 128)
        return {};
    if (n >= 64)
        return {a.low << (n - 64), 0};
    return {(a.high << n) | (a.low >> (64 - n)), a.low << n};
}

inline constexpr Fixed kOne = {std::uint64_t{1} << 62, 0};

// a * b, short of the exact product by less than 5 units of 2^-126: the product of the low
// words and the bits below the result are dropped.
inline Fixed Times(Fixed a, Fixed b)
{
    const Uint128 hh = MultiplyWide(a.high, b.high);
    const Uint128 hl = MultiplyWide(a.high, b.low);
    const Uint128 lh = MultiplyWide(a.low, b.high);
    const std::uint64_t middle = hl.low + lh.low;
    Fixed top = Plus(hh, {0, hl.high});
    top = Plus(top, {0, lh.high});
    top = Plus(top, {0, middle < hl.low ? 1u : 0u});
    // top + middle / 2^64 is a * b / 2^128; in units of 2^-126 that is four times as much.
    return {(top.high << 2) | (top.low >> 62), (top.low << 2) | (middle >> 62)};
}

// a * b for a 64-bit fraction b (b / 2^64), short by less than 2 units.
inline Fixed TimesFraction(Fixed a, std::uint64_t b)
{
    const Uint128 high = MultiplyWide(a.high, b);
    return Plus(high, {0, MultiplyWide(a.low, b).high});
}

// a * j / 2^k (0 <= k < 128) for a whole j, from the full 192-bit product: the bits below the
// result are dropped.
inline Fixed TimesWhole(Fixed a, std::uint64_t j, long k)
{
    const Uint128 high = MultiplyWide(a.high, j);
    const Uint128 low = MultiplyWide(a.low, j);
    const std::uint64_t middle = high.low + low.high;
    const std::uint64_t top = high.high + (middle < high.low ? 1 : 0);
    return Plus(ShiftLeft({0, top}, 128 - k), ShiftRight({middle, low.low}, k));
}

// A 64-bit fraction of a Q2.126 value below 1 (its bits of weight 2^-1 .. 2^-64).
constexpr std::uint64_t Fraction64(Fixed a)
{
    return (a.high << 2) | (a.low >> 62);
}

inline std::uint64_t FractionTimes(std::uint64_t a, std::uint64_t b)
{
    return MultiplyWide(a, b).high;
}

// ---- Between fixed and floating ------------------------------------------------------------

// A WideFloat below 4, in Q2.126 (bits below 2^-126 are dropped).
constexpr Fixed ToFixed(const WideFloat& w)
{
    if (IsZero(w))
        return {};
    return ShiftRight(w.significand, 1 - w.exponent);
}

// v * 2^scale as a WideFloat.
inline WideFloat ToWide(Fixed v, long scale, bool negative)
{
    WideFloat r;
    r.negative = negative;
    if (v.high == 0 && v.low == 0)
        return r;
    r.significand = v;
    r.exponent = scale + 1 - NormalizeWide(r.significand);
    return r;
}

// The tables of extended_tables.h as fixed-point numbers, made by the compiler.
template <std::size_t N> constexpr std::array<Fixed, N> FixedTable(const WideFloat (&table)[N])
{
    std::array<Fixed, N> out{};
    for (std::size_t k = 0; k < N; ++k)
        out[k] = ToFixed(table[k]);
    return out;
}

// The same as 64-bit fractions, for the tails (entries of 1 and more are left 0).
template <std::size_t N>
constexpr std::array<std::uint64_t, N> FractionTable(const WideFloat (&table)[N])
{
    std::array<std::uint64_t, N> out{};
    for (std::size_t k = 0; k < N; ++k)
        out[k] = table[k].exponent < 0 ? Fraction64(ToFixed(table[k])) : 0;
    return out;
}

// c[0] - v (c[1] - v (c[2] - ...)) in 64-bit fractions when `alternating`, else with '+':
// the tail of a series whose every partial sum stays positive.
inline std::uint64_t ShortHorner(std::uint64_t v, std::initializer_list<std::uint64_t> c,
                                 bool alternating)
{
    const std::uint64_t* k = c.end();
    std::uint64_t sum = *--k;
    while (k != c.begin()) {
        const std::uint64_t product = FractionTimes(v, sum);
        --k;
        sum = alternating ? *k - product : *k + product;
    }
    return sum;
}

// c[0] - v (c[1] - v (... - v * tail)) in Q2.126 with '+' instead of '-' unless `alternating`.
inline Fixed Horner(Fixed v, std::initializer_list<Fixed> c, std::uint64_t tail, bool alternating)
{
    const Fixed* k = c.end();
    Fixed sum = TimesFraction(v, tail);
    while (k != c.begin()) {
        --k;
        sum = alternating ? Minus(*k, sum) : Plus(*k, sum);
        if (k != c.begin())
            sum = Times(v, sum);
    }
    return sum;
}

} // namespace tolvane::engine::fixed

// The engine's number: the double-extended type, its fault flags and the floating-point state it
// computes in. This pair of files is the only place that knows the CPU or the compiler.
//
// Extended is a binary floating-point value with a 64-bit significand (explicit integer bit) and
// a 15-bit exponent. Each operation rounds to nearest with ties to even and underflows
// gradually; overflow (the result is infinite), division by zero (infinite) and invalid
// operations (NaN) raise sticky fault flags that the evaluator reads with Faulted(); underflow
// and inexact results raise nothing it looks at. That is the x87 with every exception masked
// and 64-bit precision, and on x86-64 with GCC or Clang (Linux and MinGW-w64 alike) Extended is
// the hardware long double. Everywhere else (arm64, MSVC, Apple), and wherever
// TOLVANE_PORTABLE_EXTENDED is defined, it is the integer implementation of soft_extended.h,
// which gives the same bits; a test compares the two over millions of operands.
//
// Texts become Extended through ReadDecimal, correctly rounded for any number of digits, the
// same code on every machine. The transcendental functions are in extended_math.h.
#pragma once

#include "engine/numeric/soft_extended.h"

#include <array>
#include <bit>
#include <cfloat>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#if !defined(TOLVANE_PORTABLE_EXTENDED) && defined(__x86_64__) &&                                  \
    (defined(__GNUC__) || defined(__clang__)) && !defined(_MSC_VER)
#define TOLVANE_EXTENDED_X87 1
#else
#define TOLVANE_EXTENDED_X87 0
#endif

namespace tolvane::engine {

static_assert(static_cast<std::int64_t>(~std::uint64_t{0}) == -1, "two's complement");
// Doubles and floats are the IEEE formats, evaluated at their own precision (SSE2 on x86-64, never
// the x87 stack): conversions work on their bits, and the statistics' double arithmetic gives
// the same bits everywhere.
static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<float>::is_iec559 &&
                  sizeof(double) == 8 && sizeof(float) == 4,
              "double and float must be IEEE binary64 and binary32");
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must round to double after every step");
#if defined(_MSC_VER)
// MSVC's long double is a double: the hardware backend must never be chosen there.
static_assert(!TOLVANE_EXTENDED_X87, "MSVC builds use the portable Extended");
#endif

// ---- Wide integers: the one place a compiler's 128-bit type is used --------------------------

struct Uint128 {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    friend constexpr bool operator==(Uint128, Uint128) = default;
};

// The full 128-bit product.
[[nodiscard]] inline Uint128 MultiplyWide(std::uint64_t a, std::uint64_t b)
{
#if defined(__SIZEOF_INT128__)
    __extension__ using U128 = unsigned __int128;
    const U128 p = static_cast<U128>(a) * b;
    return {static_cast<std::uint64_t>(p >> 64), static_cast<std::uint64_t>(p)};
#else
    const std::uint64_t aLow = a & 0xffffffffu, aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xffffffffu, bHigh = b >> 32;
    const std::uint64_t ll = aLow * bLow, lh = aLow * bHigh, hl = aHigh * bLow, hh = aHigh * bHigh;
    const std::uint64_t middle = (ll >> 32) + (lh & 0xffffffffu) + (hl & 0xffffffffu);
    return {hh + (lh >> 32) + (hl >> 32) + (middle >> 32), (middle << 32) | (ll & 0xffffffffu)};
#endif
}

// (high * 2^64 + low) / divisor for high < divisor: the quotient (below 2^64) and remainder.
[[nodiscard]] std::uint64_t DivideWide(std::uint64_t high, std::uint64_t low, std::uint64_t divisor,
                                       std::uint64_t& remainder);

// floor(sqrt(n)) for any 128-bit n.
[[nodiscard]] std::uint64_t IntegerSqrt(Uint128 n);

// Shifts a nonzero v left until its top bit is set and answers by how many bits (0 to 127): how
// every 128-bit significand is brought back to its normal form after a subtraction.
[[nodiscard]] constexpr int NormalizeWide(Uint128& v)
{
    const int zeros = v.high != 0 ? std::countl_zero(v.high) : 64 + std::countl_zero(v.low);
    if (zeros >= 64)
        v = {v.low << (zeros - 64), 0};
    else if (zeros > 0)
        v = {(v.high << zeros) | (v.low >> (64 - zeros)), v.low << zeros};
    return zeros;
}

// ---- Faults and the floating-point state ------------------------------------------------------

// The fault flags raised since they were last cleared (kFaultInvalid, kFaultDivideByZero,
// kFaultOverflow), by Extended operations and by double arithmetic alike.
#if TOLVANE_EXTENDED_X87
// The x87 status word and MXCSR hold the flags at the same bit positions.
[[nodiscard]] inline unsigned Faults()
{
    std::uint16_t status = 0;
    std::uint32_t mxcsr = 0;
    asm volatile("fnstsw %0" : "=am"(status));
    asm volatile("stmxcsr %0" : "=m"(mxcsr));
    return (status | mxcsr) & kFaults;
}
#else
[[nodiscard]] unsigned Faults();
#endif
[[nodiscard]] inline bool Faulted()
{
    return Faults() != 0;
}
void ClearFaults();

// For its lifetime the floating-point unit computes as the engine needs: every exception masked
// (faults are read from the flags, never trapped), 64-bit precision, round to nearest, flags
// clear. The caller's control settings come back at the end. A caller's run-time library may
// have left anything there (under Wine a restored state once unmasked inexact results), so
// evaluation sets it rather than trusting it.
class NumericScope {
public:
    NumericScope();
    ~NumericScope();
    NumericScope(const NumericScope&) = delete;
    NumericScope& operator=(const NumericScope&) = delete;

private:
    std::uint32_t m_control = 0; // the caller's x87 control word (rounding mode when portable)
    bool m_controlSet = false;   // it was changed, to be restored at the end
#if TOLVANE_EXTENDED_X87
    std::uint32_t m_sse = 0; // the caller's MXCSR
    bool m_sseSet = false;   // its control bits were changed
#endif
};

// Forces a value through memory, so that the operation making it has happened before the flags
// are read, whatever the optimiser would like to move.
template <typename T> [[nodiscard]] T Settle(T value)
{
#if defined(__GNUC__) || defined(__clang__)
    asm volatile("" : "+m"(value));
    return value;
#else
    volatile T settled = value;
    return settled;
#endif
}

// ---- The extended type ------------------------------------------------------------------------

class Extended {
public:
    constexpr Extended() = default;
    // Exact: every double and every 64-bit integer is an Extended.
    constexpr Extended(double value);
    template <std::integral T> constexpr Extended(T value);
    // A long double literal would silently pass through double where long double is double.
    Extended(long double) = delete;

    [[nodiscard]] static constexpr Extended FromBits(ExtendedBits bits);
    [[nodiscard]] constexpr ExtendedBits Bits() const;

    // Rounded to a double (a float) once; beyond its range infinity and an overflow fault.
    [[nodiscard]] explicit operator double() const;
    [[nodiscard]] explicit operator float() const;

    friend Extended operator+(Extended a, Extended b);
    friend Extended operator-(Extended a, Extended b);
    friend Extended operator*(Extended a, Extended b);
    friend Extended operator/(Extended a, Extended b);
    friend Extended operator-(Extended a);
    Extended& operator+=(Extended b) { return *this = *this + b; }
    Extended& operator-=(Extended b) { return *this = *this - b; }
    Extended& operator*=(Extended b) { return *this = *this * b; }
    Extended& operator/=(Extended b) { return *this = *this / b; }

    // Quiet comparisons: a NaN is unordered, and only != holds for it.
    friend bool operator==(Extended a, Extended b);
    friend bool operator<(Extended a, Extended b);
    friend bool operator<=(Extended a, Extended b);
    friend bool operator!=(Extended a, Extended b) { return !(a == b); }
    friend bool operator>(Extended a, Extended b) { return b < a; }
    friend bool operator>=(Extended a, Extended b) { return b <= a; }

    friend Extended Sqrt(Extended a);
    friend Extended Fmod(Extended a, Extended b);

private:
#if TOLVANE_EXTENDED_X87
    static_assert(std::numeric_limits<long double>::digits == 64 &&
                      std::numeric_limits<long double>::max_exponent == 16384 &&
                      std::numeric_limits<long double>::min_exponent == -16381 &&
                      std::numeric_limits<long double>::has_denorm == std::denorm_present &&
                      sizeof(long double) == 16,
                  "the x87 backend needs long double to be the 80-bit extended format");
    struct Stored {
        std::uint64_t significand;
        std::uint16_t signExponent;
        std::uint16_t padding[3];
    };
    static_assert(sizeof(Stored) == sizeof(long double));
    struct Raw {};
    constexpr Extended(Raw, long double value)
        : m_value(value)
    {}
    long double m_value = 0;
#else
    ExtendedBits m_value;
#endif
};

// ---- Operations beyond the operators ---------------------------------------------------------

[[nodiscard]] inline Extended Abs(Extended a)
{
    ExtendedBits bits = a.Bits();
    bits.signExponent &= 0x7fff;
    return Extended::FromBits(bits);
}
[[nodiscard]] Extended Sqrt(Extended a);             // invalid below zero; Sqrt(-0) is -0
[[nodiscard]] Extended Fmod(Extended a, Extended b); // exact, sign of a; invalid for b = 0
[[nodiscard]] Extended Trunc(Extended a);            // toward zero
[[nodiscard]] Extended Floor(Extended a);            // toward minus infinity
// a * 2^n, rounded once (denormal, zero or infinity with overflow beyond the range).
[[nodiscard]] Extended Ldexp(Extended a, int n);
// a = m * 2^exponent with 0.5 <= |m| < 1 (zero, infinity and NaN come back as they are, with
// exponent 0).
[[nodiscard]] Extended Frexp(Extended a, int& exponent);

[[nodiscard]] inline bool SignBit(Extended a)
{
    return (a.Bits().signExponent & 0x8000) != 0;
}
[[nodiscard]] inline bool IsNan(Extended a)
{
    const ExtendedBits b = a.Bits();
    return (b.signExponent & 0x7fff) == 0x7fff && (b.significand << 1) != 0;
}
[[nodiscard]] inline bool IsInf(Extended a)
{
    const ExtendedBits b = a.Bits();
    return (b.signExponent & 0x7fff) == 0x7fff && (b.significand << 1) == 0;
}
[[nodiscard]] inline bool IsFinite(Extended a)
{
    return (a.Bits().signExponent & 0x7fff) != 0x7fff;
}

[[nodiscard]] inline double ToDouble(Extended a)
{
    return static_cast<double>(a);
}
// Rounded once to single precision (never through double), overflow as for ToDouble.
[[nodiscard]] inline float ToFloat(Extended a)
{
    return static_cast<float>(a);
}
// Truncated toward zero. NaN or a value outside the signed 64-bit range raises invalid and gives
// INT64_MIN, the x87's "integer indefinite".
[[nodiscard]] std::int64_t ToInt64(Extended a);

// The (-1)^negative * (significand + d) * 2^(exponent - 127) of soft::Round, rounded once: the
// way computations carried in wider integers hand back their result. Beyond the range: infinity
// and an overflow fault.
[[nodiscard]] Extended RoundWide(bool negative, long exponent, Uint128 significand, bool sticky);

// 10^k for 0 <= k <= 27, all exact (5^27 < 2^64).
[[nodiscard]] constexpr Extended PowerOfTen(int k);

// ---- Decimal text ------------------------------------------------------------------------------

// A decimal number correctly rounded to Extended, however many digits it has: an optional sign,
// digits with at most one '.' (at least one digit in all), an optional exponent ('E' or 'e',
// optional sign, at least one digit). No blanks. Below half the smallest denormal it is a zero;
// nullopt for any other text and for a value beyond the range (no fault is raised).
[[nodiscard]] std::optional<Extended> ReadDecimal(std::string_view text);

// digits * 10^exponent, correctly rounded (nullopt beyond the range, no fault raised).
[[nodiscard]] std::optional<Extended> ScaledDecimal(std::uint64_t digits, long exponent,
                                                    bool negative);

// ---- Backend implementations of the inline parts ----------------------------------------------

#if TOLVANE_EXTENDED_X87

constexpr Extended::Extended(double value)
    : m_value(value)
{}
template <std::integral T>
constexpr Extended::Extended(T value)
    : m_value(static_cast<long double>(value))
{}
constexpr Extended Extended::FromBits(ExtendedBits bits)
{
    return Extended(Raw{},
                    std::bit_cast<long double>(Stored{bits.significand, bits.signExponent, {}}));
}
constexpr ExtendedBits Extended::Bits() const
{
    const auto stored = std::bit_cast<Stored>(m_value);
    return {stored.significand, stored.signExponent};
}
inline Extended::operator double() const
{
    return static_cast<double>(m_value);
}
inline Extended::operator float() const
{
    return static_cast<float>(m_value);
}
inline Extended operator+(Extended a, Extended b)
{
    return Extended(Extended::Raw{}, a.m_value + b.m_value);
}
inline Extended operator-(Extended a, Extended b)
{
    return Extended(Extended::Raw{}, a.m_value - b.m_value);
}
inline Extended operator*(Extended a, Extended b)
{
    return Extended(Extended::Raw{}, a.m_value * b.m_value);
}
inline Extended operator/(Extended a, Extended b)
{
    return Extended(Extended::Raw{}, a.m_value / b.m_value);
}
inline Extended operator-(Extended a)
{
    return Extended(Extended::Raw{}, -a.m_value);
}
inline bool operator==(Extended a, Extended b)
{
    return a.m_value == b.m_value;
}
// GCC compares long doubles with FCOMI, which raises invalid for a quiet NaN, Clang with FUCOMI,
// which does not: the quiet forms make every compiler answer alike (and as the portable type).
inline bool operator<(Extended a, Extended b)
{
    return __builtin_isless(a.m_value, b.m_value);
}
inline bool operator<=(Extended a, Extended b)
{
    return __builtin_islessequal(a.m_value, b.m_value);
}

#else

constexpr Extended::Extended(double value)
{
    bool signalling = false;
    m_value = soft::ExactDouble(value, signalling);
    if (!std::is_constant_evaluated() && signalling)
        soft::RaiseFaults(kFaultInvalid);
}
template <std::integral T>
constexpr Extended::Extended(T value)
    : m_value(std::is_signed_v<T> ? soft::FromInt64(static_cast<std::int64_t>(value))
                                  : soft::FromUint64(static_cast<std::uint64_t>(value)))
{}
constexpr Extended Extended::FromBits(ExtendedBits bits)
{
    Extended v;
    v.m_value = bits;
    return v;
}
constexpr ExtendedBits Extended::Bits() const
{
    return m_value;
}
inline Extended::operator double() const
{
    return soft::ToDouble(m_value);
}
inline Extended::operator float() const
{
    return soft::ToFloat(m_value);
}
inline Extended operator+(Extended a, Extended b)
{
    return Extended::FromBits(soft::Add(a.m_value, b.m_value));
}
inline Extended operator-(Extended a, Extended b)
{
    return Extended::FromBits(soft::Subtract(a.m_value, b.m_value));
}
inline Extended operator*(Extended a, Extended b)
{
    return Extended::FromBits(soft::Multiply(a.m_value, b.m_value));
}
inline Extended operator/(Extended a, Extended b)
{
    return Extended::FromBits(soft::Divide(a.m_value, b.m_value));
}
inline Extended operator-(Extended a)
{
    return Extended::FromBits(soft::Negate(a.m_value));
}
inline bool operator==(Extended a, Extended b)
{
    return soft::Compare(a.m_value, b.m_value) == soft::Order::Equal;
}
inline bool operator<(Extended a, Extended b)
{
    return soft::Compare(a.m_value, b.m_value) == soft::Order::Less;
}
inline bool operator<=(Extended a, Extended b)
{
    const soft::Order order = soft::Compare(a.m_value, b.m_value);
    return order == soft::Order::Less || order == soft::Order::Equal;
}

#endif

namespace detail {
inline constexpr auto kPowersOfTen = [] {
    std::array<Extended, 28> powers{};
    std::uint64_t five = 1;
    for (int p = 0; p < 28; ++p) {
        const int shift = std::countl_zero(five);
        powers[static_cast<std::size_t>(p)] =
            Extended::FromBits({five << shift, static_cast<std::uint16_t>(16383 + 63 - shift + p)});
        five *= 5;
    }
    return powers;
}();
} // namespace detail

constexpr Extended PowerOfTen(int k)
{
    return detail::kPowersOfTen[static_cast<std::size_t>(k)];
}

} // namespace tolvane::engine

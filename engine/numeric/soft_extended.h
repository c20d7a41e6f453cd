// Double-extended arithmetic in plain integers: the engine's number type on every machine that
// has no x87 unit (arm64, MSVC), and the reference the hardware is checked against on the ones
// that do.
//
// A value is the x87's own memory encoding: sign, 15-bit biased exponent, 64-bit significand
// with an explicit integer bit. Every operation rounds to nearest with ties to even, underflows
// gradually into denormals and answers faults as the x87 does with every exception masked:
// overflow gives infinity, division by zero infinity, an invalid operation the x87's default NaN
// ("real indefinite"), and each raises its flag in a sticky per-thread fault word. NaN operands
// follow the x87's rules (a signalling NaN is quieted and raises invalid; of two NaNs the one
// with the larger significand wins), so the bits agree with the hardware's, NaNs included.
// Nothing here uses floating-point hardware.
#pragma once

#include <bit>
#include <cstdint>

namespace tolvane::engine {

struct ExtendedBits {
    std::uint64_t significand = 0;
    std::uint16_t signExponent = 0; // sign in bit 15, biased exponent (bias 16383) below it
    friend constexpr bool operator==(ExtendedBits, ExtendedBits) = default;
};

// Fault flags, at the positions the x87 status word and MXCSR give them.
inline constexpr unsigned kFaultInvalid = 0x01;
inline constexpr unsigned kFaultDivideByZero = 0x04;
inline constexpr unsigned kFaultOverflow = 0x08;
inline constexpr unsigned kFaults = kFaultInvalid | kFaultDivideByZero | kFaultOverflow;

namespace soft {

// The sticky fault word of the calling thread.
[[nodiscard]] unsigned Faults();
void ClearFaults();
void RaiseFaults(unsigned faults);

enum class Order { Less, Equal, Greater, Unordered };

[[nodiscard]] ExtendedBits Add(ExtendedBits a, ExtendedBits b);
[[nodiscard]] ExtendedBits Subtract(ExtendedBits a, ExtendedBits b);
[[nodiscard]] ExtendedBits Multiply(ExtendedBits a, ExtendedBits b);
[[nodiscard]] ExtendedBits Divide(ExtendedBits a, ExtendedBits b);
[[nodiscard]] ExtendedBits Sqrt(ExtendedBits a);
// The exact remainder a - trunc(a / b) * b, with the sign of a (what the x87's FPREM leaves).
[[nodiscard]] ExtendedBits Fmod(ExtendedBits a, ExtendedBits b);
// A quiet comparison: only a signalling NaN raises invalid.
[[nodiscard]] Order Compare(ExtendedBits a, ExtendedBits b);

[[nodiscard]] constexpr ExtendedBits Negate(ExtendedBits a)
{
    a.signExponent ^= 0x8000;
    return a;
}

// The exact conversion of a double. A signalling NaN comes in quieted, and FromDouble raises
// invalid for it as the x87's load does; ExactDouble only reports it.
[[nodiscard]] constexpr ExtendedBits ExactDouble(double value, bool& signalling)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::uint16_t sign = (bits >> 63) != 0 ? 0x8000 : 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    signalling = false;
    if (biased == 0) {
        if (fraction == 0)
            return {0, sign};
        int shift = 0;
        while ((fraction >> 63) == 0) {
            fraction <<= 1;
            ++shift;
        }
        // fraction * 2^-1074 with its top bit moved to bit 63.
        return {fraction, static_cast<std::uint16_t>((16383 - 1074 + 63 - shift) | sign)};
    }
    if (biased == 0x7ff) {
        signalling = fraction != 0 && (fraction >> 51) == 0;
        const std::uint64_t quiet = fraction != 0 ? std::uint64_t{1} << 62 : 0;
        return {(std::uint64_t{1} << 63) | quiet | (fraction << 11),
                static_cast<std::uint16_t>(0x7fff | sign)};
    }
    return {(std::uint64_t{1} << 63) | (fraction << 11),
            static_cast<std::uint16_t>((biased - 1023 + 16383) | sign)};
}
[[nodiscard]] ExtendedBits FromDouble(double value);
[[nodiscard]] constexpr ExtendedBits FromUint64(std::uint64_t value, bool negative = false)
{
    if (value == 0)
        return {0, static_cast<std::uint16_t>(negative ? 0x8000 : 0)};
    int shift = 0;
    while ((value >> 63) == 0) {
        value <<= 1;
        ++shift;
    }
    const auto exponent = static_cast<std::uint16_t>(16383 + 63 - shift);
    return {value, static_cast<std::uint16_t>(exponent | (negative ? 0x8000 : 0))};
}
[[nodiscard]] constexpr ExtendedBits FromInt64(std::int64_t value)
{
    const bool negative = value < 0;
    const auto magnitude =
        negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    return FromUint64(magnitude, negative);
}

// Rounded to a double once (double's own denormals; beyond its range infinity and overflow).
[[nodiscard]] double ToDouble(ExtendedBits a);
// Rounded to a float once, the same way.
[[nodiscard]] float ToFloat(ExtendedBits a);
// Truncated toward zero; NaN or a value outside the signed 64-bit range gives the x87's
// "integer indefinite" INT64_MIN and raises invalid.
[[nodiscard]] std::int64_t ToInt64(ExtendedBits a);

// The value (-1)^negative * (high * 2^64 + low + d) * 2^(exponent - 127), where d lies strictly
// between 0 and 1 when `sticky` and is 0 otherwise, rounded once to nearest even. `high` must
// have its top bit set. Beyond the range the answer is infinity, with `overflowed` set and no
// fault raised (the caller decides); below it a denormal or zero, silently.
[[nodiscard]] ExtendedBits Round(bool negative, long exponent, std::uint64_t high,
                                 std::uint64_t low, bool sticky, bool& overflowed);

} // namespace soft
} // namespace tolvane::engine

#include "engine/number_text.h"

#include "engine/engine.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace tolvane::engine {
namespace {

// Every power of ten up to 10^27 is exact in the 64-bit significand of
// Extended (5^27 < 2^64), so one multiplication or division by it
// (PowerOfTen) is correctly rounded.
constexpr int kMaxExactPower = 27;

constexpr std::uint64_t kTen15 = 1'000'000'000'000'000ULL;
constexpr std::uint64_t kTen16 = 10'000'000'000'000'000ULL;

int DigitCount(std::uint64_t v)
{
    int n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

void StripTrailingZeros(Decimal15& d)
{
    if (d.digits == 0) {
        d.exponent = 0;
        return;
    }
    // At most 15 trailing zeros (digits < 10^16): strip 8, 4, 2, 1.
    for (const auto& [power, count] :
         {std::pair<std::uint64_t, int>{100'000'000, 8}, {10'000, 4}, {100, 2}, {10, 1}}) {
        if (d.digits % power == 0) {
            d.digits /= power;
            d.exponent += count;
        }
    }
}

// A double lies exactly halfway between two 15-digit neighbours only when its
// exact value is D * 10^q with D a 16-digit integer ending in 5. Writing the
// double as m * 2^e with m odd, that forces q == e and m == D * 5^-e (e < 0)
// or D == m / 5^e (e >= 0); with m < 2^53 and 10^15 <= D < 10^16 only
// -22 <= e <= 1 remains. The test is done on integers, so it is exact.
std::optional<Decimal15> ExactTie(double magnitude)
{
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e = 0;
    if (biased == 0) {
        e = -1074;
    } else {
        m |= std::uint64_t{1} << 52;
        e = biased - 1075;
    }
    if (m == 0)
        return std::nullopt;
    const int zeros = std::countr_zero(m);
    m >>= zeros;
    e += zeros;
    if (e < -22 || e > 1)
        return std::nullopt;
    std::uint64_t d = m;
    if (e >= 0) {
        const std::uint64_t p5 = e == 0 ? 1 : 5;
        if (m % p5 != 0)
            return std::nullopt;
        d = m / p5;
    } else {
        // Stopping at 10^16 keeps d far below 2^64 (10^16 * 5 < 2^56).
        for (int k = 0; k < -e && d < kTen16; ++k)
            d *= 5;
    }
    if (d < kTen15 || d >= kTen16 || d % 10 != 5)
        return std::nullopt;
    Decimal15 out;
    out.digits = d / 10 + 1;
    out.exponent = e + 1;
    return out;
}

} // namespace

Decimal15 RoundToFifteenDigitsExactly(double value)
{
    Decimal15 out;
    out.negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    if (magnitude == 0)
        return out;

    // Whole numbers below 10^15 are their own 15-digit rounding.
    if (magnitude < 1e15 &&
        static_cast<double>(static_cast<std::int64_t>(magnitude)) == magnitude) {
        out.digits = static_cast<std::uint64_t>(magnitude);
        StripTrailingZeros(out);
        return out;
    }

    // For a normal double the shortest round-trip text, when it has at most
    // 15 digits, is the 15-digit rounding too: it lies within half a binary
    // unit of the value, less than a quarter of a 15-digit step. Subnormals
    // carry fewer bits, so they always take the long way.
    std::array<char, 40> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                std::chars_format::scientific);
    const char* mantissaEnd = std::find(buffer.data(), result.ptr, 'e');
    int significant = 0;
    for (const char* p = buffer.data(); p != mantissaEnd; ++p)
        significant += (*p >= '0' && *p <= '9') ? 1 : 0;
    if (significant > 15 || magnitude < std::numeric_limits<double>::min()) {
        if (auto tie = ExactTie(magnitude)) {
            tie->negative = out.negative;
            StripTrailingZeros(*tie);
            return *tie;
        }
        result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                               std::chars_format::scientific, 14);
        mantissaEnd = std::find(buffer.data(), result.ptr, 'e');
    }
    std::uint64_t digits = 0;
    int count = 0;
    for (const char* p = buffer.data(); p != mantissaEnd; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
            ++count;
        }
    }
    int exponent10 = 0;
    const char* expStart = mantissaEnd + 1;
    if (expStart < result.ptr && *expStart == '+')
        ++expStart;
    std::from_chars(expStart, result.ptr, exponent10);
    out.digits = digits;
    out.exponent = exponent10 - (count - 1);
    StripTrailingZeros(out);
    return out;
}

namespace {

// The 15-digit rounding by one scaling in extended precision: y = |x| *
// 10^(14-E) lands in [10^14, 10^15) with a relative error below 2^-64, at
// most about 1e-4 in absolute terms. Unless y's fraction lies that close to
// one half, rounding y to an integer gives the digits; near a half, exact
// integer arithmetic on the double's bits picks the side. Values whose scale
// is not an exactly representable power of ten are left to the exact route.
struct Scaled {
    std::uint64_t nearest; // the 15 digits, trailing zeros kept
    int shift;             // the value is nearest * 10^-shift
};

constexpr Extended kTwoTo63 = Extended::FromBits({std::uint64_t{1} << 63, 16383 + 63});
// A fraction this close to one half may lie on the other side of it in truth.
constexpr Extended kNearHalf = 0.4998;

// a * 2^n for a value that stays below 2^128.
Uint128 ShiftLeft(Uint128 a, int n)
{
    if (n == 0)
        return a;
    if (n >= 64)
        return {a.low << (n - 64), 0};
    return {(a.high << n) | (a.low >> (64 - n)), a.low << n};
}

bool AtLeast(Uint128 a, Uint128 b)
{
    return a.high != b.high ? a.high > b.high : a.low >= b.low;
}

// Whether magnitude * 10^shift is at least floor + 1/2, decided exactly on integers: with the
// normal double magnitude = m * 2^e and 10^shift = 5^shift * 2^shift, compare
// m * 5^shift * 2^(e + shift + 1) with 2 * floor + 1 (for shift < 0, m * 2^(e + shift + 1) with
// (2 * floor + 1) * 5^-shift). The two sides lie within a factor 1.001 of each other and below
// 2^116, so every product and shift stays inside 128 bits.
bool AtLeastHalfAbove(double magnitude, int shift, std::uint64_t floor)
{
    constexpr auto kPow5 = [] {
        std::array<std::uint64_t, kMaxExactPower + 1> table{};
        table[0] = 1;
        for (std::size_t k = 1; k < table.size(); ++k)
            table[k] = table[k - 1] * 5;
        return table;
    }();
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int e = static_cast<int>((bits >> 52) & 0x7ff) - 1075;
    const std::uint64_t odd = floor * 2 + 1;
    Uint128 left =
        shift >= 0 ? MultiplyWide(m, kPow5[static_cast<std::size_t>(shift)]) : Uint128{0, m};
    Uint128 right =
        shift < 0 ? MultiplyWide(odd, kPow5[static_cast<std::size_t>(-shift)]) : Uint128{0, odd};
    const int twos = e + shift + 1;
    if (twos >= 0)
        left = ShiftLeft(left, twos);
    else
        right = ShiftLeft(right, -twos);
    return AtLeast(left, right);
}

std::optional<Scaled> ScaleToFifteenDigits(double magnitude)
{
    if (magnitude < 1e-13 || magnitude >= 1e41)
        return std::nullopt;
    // floor(log2(m) * log10(2)) from the binary exponent (m is normal here),
    // one low at most.
    const int binary =
        static_cast<int>((std::bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7ff) - 1023;
    int decade = (binary * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int shift = 14 - decade;
        if (shift > kMaxExactPower || shift < -kMaxExactPower)
            return std::nullopt;
        const Extended y = shift >= 0 ? Extended(magnitude) * PowerOfTen(shift)
                                      : Extended(magnitude) / PowerOfTen(-shift);
        if (y >= PowerOfTen(15)) {
            ++decade;
            continue;
        }
        if (y < PowerOfTen(14)) {
            --decade;
            continue;
        }
        // Adding 2^63 leaves y rounded to the nearest integer in the low bits
        // of the 64-bit significand. Reading them there spares a conversion to
        // an integer, which on x87 means switching the rounding mode twice.
        const std::uint64_t nearest = (y + kTwoTo63).Bits().significand & ~(std::uint64_t{1} << 63);
        const Extended fraction = y - Extended(nearest);
        if (fraction > kNearHalf || fraction < -kNearHalf) {
            // So near a half that y's own error could pick the side: the exact value decides,
            // an exact tie going away from zero.
            const std::uint64_t floor = fraction > 0 ? nearest : nearest - 1;
            return Scaled{floor + (AtLeastHalfAbove(magnitude, shift, floor) ? 1 : 0), shift};
        }
        return Scaled{nearest, shift};
    }
    return std::nullopt;
}

std::optional<Decimal15> RoundByScaling(double magnitude)
{
    const auto scaled = ScaleToFifteenDigits(magnitude);
    if (!scaled)
        return std::nullopt;
    Decimal15 out;
    out.digits = scaled->nearest;
    out.exponent = -scaled->shift;
    StripTrailingZeros(out);
    return out;
}

} // namespace

Decimal15 RoundToFifteenDigits(double value)
{
    const double magnitude = std::fabs(value);
    const bool whole =
        magnitude < 1e15 && static_cast<double>(static_cast<std::int64_t>(magnitude)) == magnitude;
    if (magnitude != 0 && !whole) {
        if (auto fast = RoundByScaling(magnitude)) {
            fast->negative = std::signbit(value);
            return *fast;
        }
    }
    return RoundToFifteenDigitsExactly(value);
}

std::size_t WriteNumber(double value, char* out)
{
    char* p = out;
    if (std::isnan(value)) {
        std::memcpy(p, "NAN", 3);
        return 3;
    }
    if (std::isinf(value)) {
        if (value < 0)
            *p++ = '-';
        std::memcpy(p, "INF", 3);
        return static_cast<std::size_t>(p - out) + 3;
    }
    const Decimal15 d = RoundToFifteenDigits(value);
    if (d.digits == 0) {
        *p = '0';
        return 1;
    }
    if (d.negative)
        *p++ = '-';
    char digits[20];
    const int count = DigitCount(d.digits);
    std::uint64_t rest = d.digits;
    for (int k = count - 1; k >= 0; --k) {
        digits[k] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    // Written as 0.d1d2... * 10^n, fixed notation covers -3 <= n <= 15; in
    // terms of the first digit's power E = n - 1 that is -4 <= E <= 14.
    const int firstPower = d.exponent + count - 1;
    if (firstPower >= -4 && firstPower <= 14) {
        if (firstPower >= 0) {
            const int integerDigits = firstPower + 1;
            for (int k = 0; k < integerDigits; ++k)
                *p++ = k < count ? digits[k] : '0';
            if (count > integerDigits) {
                *p++ = '.';
                for (int k = integerDigits; k < count; ++k)
                    *p++ = digits[k];
            }
        } else {
            *p++ = '0';
            *p++ = '.';
            for (int k = 0; k < -firstPower - 1; ++k)
                *p++ = '0';
            for (int k = 0; k < count; ++k)
                *p++ = digits[k];
        }
    } else {
        *p++ = digits[0];
        if (count > 1) {
            *p++ = '.';
            for (int k = 1; k < count; ++k)
                *p++ = digits[k];
        }
        *p++ = 'E';
        if (firstPower < 0)
            *p++ = '-';
        p = std::to_chars(p, out + kNumberTextCapacity, firstPower < 0 ? -firstPower : firstPower)
                .ptr;
    }
    return static_cast<std::size_t>(p - out);
}

void AppendExactNumber(double value, std::string& out)
{
    constexpr int kDigits = 21;
    // d.dddddddddddddddddddde-XXX: the correctly rounded digits and the first digit's power.
    std::array<char, 40> buffer{};
    const auto written =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                      std::chars_format::scientific, kDigits - 1);
    const char* const e = std::find(buffer.data(), written.ptr, 'e');
    std::string digits;
    for (const char* p = buffer.data(); p != e; ++p) {
        if (*p != '.')
            digits += *p;
    }
    const char* expStart = e + 1;
    if (expStart < written.ptr && *expStart == '+')
        ++expStart;
    int power = 0;
    std::from_chars(expStart, written.ptr, power);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (digits == "0") {
        out += '0';
        return;
    }
    if (std::signbit(value))
        out += '-';
    const int count = static_cast<int>(digits.size());
    if (power < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-power - 1), '0');
        out += digits;
        return;
    }
    const int integerDigits = power + 1;
    out.append(digits, 0, static_cast<std::size_t>(std::min(count, integerDigits)));
    if (count > integerDigits) {
        out += '.';
        out.append(digits, static_cast<std::size_t>(integerDigits));
    } else {
        out.append(static_cast<std::size_t>(integerDigits - count), '0');
    }
}

std::string FormatNumber(double value)
{
    char buffer[kNumberTextCapacity];
    return std::string(buffer, WriteNumber(value, buffer));
}

Extended DecimalToExtended(const Decimal15& d)
{
    Extended v = 0;
    if (d.digits == 0)
        v = 0;
    else if (d.exponent >= 0 && d.exponent <= kMaxExactPower)
        v = Extended(d.digits) * PowerOfTen(d.exponent);
    else if (d.exponent < 0 && d.exponent >= -kMaxExactPower)
        v = Extended(d.digits) / PowerOfTen(-d.exponent);
    else // 15 digits of a double's value are always within the extended range
        return ScaledDecimal(d.digits, d.exponent, d.negative).value_or(0);
    return d.negative ? -v : v;
}

Extended RoundedToExtended(double value)
{
    // A whole number below 10^15 is its own rounding and reads back as itself.
    const double magnitude = std::fabs(value);
    if (magnitude < 1e15 && static_cast<double>(static_cast<std::int64_t>(magnitude)) == magnitude)
        return value;
    // Otherwise the digits times a power of ten up to 10^27, one correctly
    // rounded operation, is the value the decimal reads as, trailing zeros
    // stripped or not.
    if (const auto scaled = ScaleToFifteenDigits(magnitude)) {
        const Extended digits(scaled->nearest);
        const Extended v = scaled->shift >= 0 ? digits / PowerOfTen(scaled->shift)
                                              : digits * PowerOfTen(-scaled->shift);
        return std::signbit(value) ? -v : v;
    }
    return DecimalToExtended(RoundToFifteenDigitsExactly(value));
}

std::optional<Extended> ParseNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return ReadDecimal(text);
}

} // namespace tolvane::engine

// Operands for the numeric tests: deterministic integers only, so every machine draws the same
// ones, weighted toward what breaks arithmetic (denormals, the ends of the range, ties,
// cancellation, signed zeros, infinities, NaNs).
#pragma once

#include "engine/numeric/extended_math.h"
#include "engine/numeric/extended_math_routes.h"
#include "engine/numeric/numeric.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tolvane::engine::test {

// How many operands a sampling test draws: `count`, or TOLVANE_ACCURACY_SAMPLES when set, divided
// by TOLVANE_SAMPLE_DIVISOR when set (CTest sets it for the cross builds, which run under an
// emulator). The digests keep their counts: they are what every machine must reproduce.
inline long Samples(long count)
{
    if (const char* text = std::getenv("TOLVANE_ACCURACY_SAMPLES"))
        count = std::atol(text);
    if (const char* text = std::getenv("TOLVANE_SAMPLE_DIVISOR");
        text != nullptr && std::atol(text) > 0)
        count /= std::atol(text);
    return count;
}

inline std::string Text(ExtendedBits b)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04x:%016llx", b.signExponent,
                  static_cast<unsigned long long>(b.significand));
    return text;
}

inline std::string Text(Extended v)
{
    return Text(v.Bits());
}

class Operands {
public:
    explicit Operands(std::uint64_t seed)
        : m_state(seed)
    {}

    std::uint64_t Raw()
    {
        std::uint64_t z = (m_state += 0x9e37'79b9'7f4a'7c15);
        z = (z ^ (z >> 30)) * 0xbf58'476d'1ce4'e5b9;
        z = (z ^ (z >> 27)) * 0x94d0'49bb'1331'11eb;
        return z ^ (z >> 31);
    }

    int Below(int n) { return static_cast<int>(Raw() % static_cast<std::uint64_t>(n)); }

    ExtendedBits Next()
    {
        const auto sign = static_cast<std::uint16_t>((Raw() & 1) != 0 ? 0x8000 : 0);
        const std::uint64_t top = std::uint64_t{1} << 63;
        std::uint64_t m = Raw() | top;
        if (Below(10) == 0) // few significant bits: exact results and ties
            m = ((Raw() | top) & ~((std::uint64_t{1} << Below(64)) - 1)) | top;
        const int kind = Below(100);
        int biased = 0;
        if (kind < 35) {
            biased = 1 + Below(0x7ffe);
        } else if (kind < 65) {
            biased = 0x3fff - 70 + Below(140);
        } else if (kind < 75) {
            return {(Raw() >> Below(64)) & ~top, sign}; // denormal (or zero)
        } else if (kind < 82) {
            biased = 0x7ffe - Below(3);
        } else if (kind < 89) {
            biased = 1 + Below(70);
        } else {
            switch (Below(6)) {
            case 0:
                return {0, sign};
            case 1:
                return {top, static_cast<std::uint16_t>(0x7fff | sign)};
            case 2:
                return {top | (std::uint64_t{1} << 62) | (Raw() >> 2), // quiet NaN
                        static_cast<std::uint16_t>(0x7fff | sign)};
            case 3:
                return {top | ((Raw() >> 2) | 1), static_cast<std::uint16_t>(0x7fff | sign)};
            case 4:
                return {top, static_cast<std::uint16_t>(0x3fff | sign)}; // +-1
            default:
                return {top | (Raw() & 0xff), static_cast<std::uint16_t>(0x3fff | sign)};
            }
        }
        return {m, static_cast<std::uint16_t>(biased | sign)};
    }

    // A second operand: independent, or close to the first (cancellation, ties, exponent
    // differences around 64).
    ExtendedBits Related(ExtendedBits a)
    {
        const int kind = Below(20);
        const int biased = a.signExponent & 0x7fff;
        if (kind < 10 || biased == 0 || biased == 0x7fff)
            return Next();
        ExtendedBits b = a;
        if (kind < 14) {
            b.significand += static_cast<std::uint64_t>(Below(9)) - 4;
            b.significand |= std::uint64_t{1} << 63;
            if ((Raw() & 1) != 0)
                b.signExponent ^= 0x8000;
        } else {
            const int delta = Below(2) == 0 ? 62 + Below(5) : Below(9) - 4;
            const int shifted = (Raw() & 1) != 0 ? biased - delta : biased + delta;
            if (shifted <= 0 || shifted >= 0x7fff)
                return Next();
            b.signExponent = static_cast<std::uint16_t>((b.signExponent & 0x8000) | shifted);
            b.significand = Raw() | (std::uint64_t{1} << 63);
            if (Below(3) == 0)
                b.significand &= ~std::uint64_t{0} << 11; // a double's worth of bits
        }
        return b;
    }

    // Values around the double range and ties for rounding to 53 bits.
    ExtendedBits NearDoubleRange()
    {
        if (Below(5) == 0)
            return Next();
        const int biased = 0x3fff - 1022 - 66 + Below(80) + (Below(2) == 0 ? 0 : 2040);
        std::uint64_t m = Raw() | (std::uint64_t{1} << 63);
        if (Below(4) == 0)
            m = (m & ~std::uint64_t{0x7ff}) | 0x400; // a tie at 53 bits
        return {m, static_cast<std::uint16_t>(biased | ((Raw() & 1) != 0 ? 0x8000 : 0))};
    }

    // The same around the float range, ties for rounding to 24 bits.
    ExtendedBits NearFloatRange()
    {
        const int biased = 0x3fff - 126 - 34 + Below(44) + (Below(2) == 0 ? 0 : 252);
        std::uint64_t m = Raw() | (std::uint64_t{1} << 63);
        if (Below(4) == 0)
            m = (m & ~((std::uint64_t{1} << 40) - 1)) | (std::uint64_t{1} << 39);
        return {m, static_cast<std::uint16_t>(biased | ((Raw() & 1) != 0 ? 0x8000 : 0))};
    }

    double Double()
    {
        std::uint64_t bits = Raw();
        if (Below(4) == 0)
            bits &= 0x800f'ffff'ffff'ffff; // denormals
        double d = 0;
        static_assert(sizeof d == sizeof bits);
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

private:
    std::uint64_t m_state;
};

// Decimal texts of every length and exponent the reader must handle.
class DecimalTexts {
public:
    explicit DecimalTexts(std::uint64_t seed)
        : m_random(seed)
    {}

    std::string Next()
    {
        const int kind = m_random.Below(100);
        int digits = 1 + m_random.Below(kind < 60 ? 20 : 40);
        if (kind >= 97)
            digits = 300 + m_random.Below(1200);
        std::string text;
        if (m_random.Below(4) == 0)
            text += '-';
        const int point = m_random.Below(digits + 1);
        for (int k = 0; k < digits; ++k) {
            if (k == point && k > 0)
                text += '.';
            text += static_cast<char>('0' + (k == 0 ? 1 + m_random.Below(9) : m_random.Below(10)));
        }
        int exponent = 0;
        const int range = m_random.Below(10);
        if (range < 4)
            exponent = m_random.Below(61) - 30;
        else if (range < 7)
            exponent = m_random.Below(9900) - 4960;
        else if (range < 9)
            exponent = -4950 - m_random.Below(30) - (point > 0 ? point : digits);
        else
            exponent = 4931 - (point > 0 ? point : digits) + m_random.Below(3);
        if (exponent != 0 || m_random.Below(3) == 0) {
            // Appended piece by piece: GCC 12 at -O3 misreads "e" + std::string as overlapping.
            text += m_random.Below(2) == 0 ? 'e' : 'E';
            text += std::to_string(exponent);
        }
        return text;
    }

private:
    Operands m_random;
};

class Digest {
public:
    void Add(std::uint64_t v)
    {
        for (int k = 0; k < 8; ++k) {
            m_hash = (m_hash ^ ((v >> (8 * k)) & 0xff)) * 0x100'0000'01b3;
        }
    }
    void Add(Extended v)
    {
        Add(v.Bits().significand);
        Add(v.Bits().signExponent);
        Add(Faults());
        ClearFaults();
    }
    std::uint64_t Value() const { return m_hash; }

private:
    std::uint64_t m_hash = 0xcbf2'9ce4'8422'2325;
};

// The recorded digests (x86-64 hardware); every machine must reproduce them.
inline constexpr std::uint64_t kArithmeticDigest = 10387977262824644086u;
inline constexpr std::uint64_t kFunctionDigest = 9548809459090415810u;

inline std::uint64_t ArithmeticDigest(int count)
{
    Operands operands(2024);
    DecimalTexts texts(99);
    Digest digest;
    ClearFaults();
    for (int k = 0; k < count; ++k) {
        const Extended a = Extended::FromBits(operands.Next());
        const Extended b = Extended::FromBits(operands.Related(a.Bits()));
        digest.Add(a + b);
        digest.Add(a - b);
        digest.Add(a * b);
        digest.Add(a / b);
        digest.Add(Sqrt(a));
        if (k % 8 == 0)
            digest.Add(Fmod(a, b));
        digest.Add(Extended((a < b ? 1 : 0) + (a == b ? 2 : 0) + (a <= b ? 4 : 0)));
        const double d = ToDouble(a);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        digest.Add(bits);
        digest.Add(Faults());
        ClearFaults();
        digest.Add(static_cast<std::uint64_t>(ToInt64(a)));
        digest.Add(Faults());
        ClearFaults();
        digest.Add(Trunc(a));
        digest.Add(Floor(b));
        digest.Add(Ldexp(a, operands.Below(200) - 100));
        if (k % 16 == 0) {
            const auto read = ReadDecimal(texts.Next());
            digest.Add(read ? read->Bits().significand : 1);
            digest.Add(read ? read->Bits().signExponent : 2);
        }
    }
    return digest.Value();
}

// Arguments for one function: across its domain and beyond it.
inline Extended FunctionArgument(Operands& operands, int function)
{
    const int kind = operands.Below(10);
    if (kind < 2)
        return Extended::FromBits(operands.Next());
    const double unit = static_cast<double>(operands.Raw() >> 11) * 0x1p-53; // [0, 1)
    const double sign = (operands.Raw() & 1) != 0 ? -1 : 1;
    Extended x = Extended(unit) + Extended::FromBits({operands.Raw() | 1, 0x3fbf}); // 64 bits
    switch (function) {
    case 0: // exp
        return kind < 6 ? x * 60 * sign : x * 11400 * sign;
    case 1: // ln, log2, log10
    case 2:
    case 3:
        return kind < 6 ? x * 4 : Ldexp(x + 1, operands.Below(32000) - 16000);
    case 4: // sin, cos, tan
    case 5:
    case 6:
        return kind < 5 ? x * 10 * sign : Ldexp(x + 1, operands.Below(200) - 50) * sign;
    case 7: // arctan
        return Ldexp(x, operands.Below(140) - 70) * sign;
    default: // arcsin, arccos
        return kind < 7 ? x * sign : (1 - Ldexp(x, -operands.Below(64))) * sign;
    }
}

inline Extended CallFunction(int function, Extended x)
{
    switch (function) {
    case 0:
        return Exp(x);
    case 1:
        return Ln(x);
    case 2:
        return Log2(x);
    case 3:
        return Log10(x);
    case 4:
        return Sin(x);
    case 5:
        return Cos(x);
    case 6:
        return Tan(x);
    case 7:
        return Arctan(x);
    case 8:
        return Arcsin(x);
    default:
        return Arccos(x);
    }
}

// Whether the public function hands x to its routes (a finite argument in the domain, no
// special value answered before).
inline bool TakesARoute(int function, Extended x)
{
    if (!IsFinite(x))
        return false;
    switch (function) {
    case 0:
        return x >= -11500 && x <= 11357;
    case 1:
    case 2:
    case 3:
        return x > 0;
    case 5:
        return true;
    case 8:
    case 9:
        return Abs(x) <= 1 && (function == 9 || x != 0);
    default:
        return x != 0;
    }
}

inline std::optional<Extended> CallFast(int function, Extended x)
{
    switch (function) {
    case 0:
        return fast::Exp(x);
    case 1:
        return fast::Ln(x);
    case 2:
        return fast::Log2(x);
    case 3:
        return fast::Log10(x);
    case 4:
        return fast::Sin(x);
    case 5:
        return fast::Cos(x);
    case 6:
        return fast::Tan(x);
    case 7:
        return fast::Arctan(x);
    case 8:
        return fast::Arcsin(x);
    default:
        return fast::Arccos(x);
    }
}

inline Extended CallCareful(int function, Extended x)
{
    switch (function) {
    case 0:
        return careful::Exp(x);
    case 1:
        return careful::Ln(x);
    case 2:
        return careful::Log2(x);
    case 3:
        return careful::Log10(x);
    case 4:
        return careful::Sin(x);
    case 5:
        return careful::Cos(x);
    case 6:
        return careful::Tan(x);
    case 7:
        return careful::Arctan(x);
    case 8:
        return careful::Arcsin(x);
    default:
        return careful::Arccos(x);
    }
}

inline constexpr int kFunctionCount = 10;
inline constexpr const char* kFunctionNames[kFunctionCount] = {
    "exp", "ln", "log2", "log10", "sin", "cos", "tan", "arctan", "arcsin", "arccos"};

inline std::uint64_t FunctionDigest(int countEach)
{
    Operands operands(31337);
    Digest digest;
    ClearFaults();
    for (int function = 0; function < kFunctionCount; ++function) {
        for (int k = 0; k < countEach; ++k) {
            const Extended x = FunctionArgument(operands, function);
            ClearFaults();
            digest.Add(CallFunction(function, x));
        }
    }
    return digest.Value();
}

} // namespace tolvane::engine::test

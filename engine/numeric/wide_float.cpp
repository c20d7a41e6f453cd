#include "engine/numeric/wide_float.h"

namespace tolvane::engine {

WideFloat WideFromExtended(Extended x)
{
    const ExtendedBits bits = x.Bits();
    WideFloat r;
    r.negative = (bits.signExponent & 0x8000) != 0;
    if (bits.significand == 0)
        return r;
    const int biased = bits.signExponent & 0x7fff;
    const int zeros = std::countl_zero(bits.significand);
    r.significand = {bits.significand << zeros, 0};
    r.exponent = (biased == 0 ? 1 : biased) - 16383 - zeros;
    return r;
}

Extended ToExtended(const WideFloat& a)
{
    if (IsZero(a))
        return Extended::FromBits({0, static_cast<std::uint16_t>(a.negative ? 0x8000 : 0)});
    return RoundWide(a.negative, a.exponent, a.significand, false);
}

// A 64-bit first guess by one integer division, then one Newton step, y + y(1 - ay), which
// doubles the correct bits.
WideFloat Reciprocal(const WideFloat& a)
{
    std::uint64_t unused = 0;
    // (2^127 - 1) / high lies in [2^63, 2^64): about 2^127 / a's top 64 bits, so the guess
    // times 2^(-64 - exponent) is about 1/a.
    const std::uint64_t guess =
        DivideWide((std::uint64_t{1} << 63) - 1, ~std::uint64_t{0}, a.significand.high, unused);
    WideFloat y;
    y.significand = {guess, 0};
    y.exponent = -1 - a.exponent;
    y.negative = a.negative;
    const WideFloat one = WideFromInteger(1);
    const WideFloat error = Subtract(one, Multiply(a, y));
    return Add(y, Multiply(y, error));
}

WideFloat Divide(const WideFloat& a, const WideFloat& b)
{
    return Multiply(a, Reciprocal(b));
}

// The integer root of the top bits gives 64 bits; one Newton step, (s + a/s) / 2, the rest.
WideFloat SquareRoot(const WideFloat& a)
{
    if (IsZero(a))
        return a;
    // value = significand * 2^(exponent - 127); make the power even.
    const bool odd = ((a.exponent - 127) & 1) != 0;
    const Uint128 n = odd ? Uint128{a.significand.high >> 1,
                                    (a.significand.low >> 1) | (a.significand.high << 63)}
                          : a.significand;
    const long half = odd ? (a.exponent - 126) / 2 : (a.exponent - 127) / 2;
    const std::uint64_t root = IntegerSqrt(n);
    WideFloat s;
    s.significand = {root, 0};
    s.exponent = 63 + half;
    const WideFloat next = Add(s, Divide(a, s));
    return Scaled(next, -1);
}

} // namespace tolvane::engine

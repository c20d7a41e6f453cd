#include "engine/arithmetic.h"

#include <cmath>

namespace tolvane::engine {

std::optional<long double> PowerRule(long double a, long double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::nullopt;
    // The range test comes first: converting a larger value to an integer is
    // undefined, and it is not "whole" in the sense of this rule anyway.
    if (std::fabs(b) <= 2147483647.0L && b == std::trunc(b)) {
        long long exponent = static_cast<long long>(b);
        if (exponent == 0)
            return 1.0L;
        if (a == 0 && exponent < 0)
            return std::nullopt; // 1 / 0^n: a division by zero
        unsigned long long bits =
            static_cast<unsigned long long>(exponent < 0 ? -exponent : exponent);
        // Right-to-left binary powering; the base is squared only while
        // exponent bits remain, so no square beyond the last one is formed
        // (it could overflow for nothing).
        long double square = a;
        long double result = 1.0L;
        while (true) {
            if (bits & 1)
                result *= square;
            bits >>= 1;
            if (bits == 0)
                break;
            square *= square;
        }
        return exponent < 0 ? 1.0L / result : result;
    }
    if (a == 0)
        return 0.0L;
    if (a < 0)
        return std::nullopt; // the logarithm of a negative number
    return std::exp(b * std::log(a));
}

} // namespace tolvane::engine

#include "engine/arithmetic.h"

#include "engine/numeric/extended_math.h"

namespace tolvane::engine {

std::optional<Extended> PowerRule(Extended a, Extended b)
{
    if (IsNan(a) || IsNan(b))
        return std::nullopt;
    // The range test comes first: a larger value is not "whole" in the sense
    // of this rule.
    if (Abs(b) <= 2147483647 && b == Trunc(b)) {
        const std::int64_t exponent = ToInt64(b);
        if (exponent == 0)
            return 1;
        if (a == 0 && exponent < 0)
            return std::nullopt; // 1 / 0^n: a division by zero
        unsigned long long bits =
            static_cast<unsigned long long>(exponent < 0 ? -exponent : exponent);
        // Right-to-left binary powering; the base is squared only while
        // exponent bits remain, so no square beyond the last one is formed
        // (it could overflow for nothing).
        Extended square = a;
        Extended result = 1;
        while (true) {
            if (bits & 1)
                result *= square;
            bits >>= 1;
            if (bits == 0)
                break;
            square *= square;
        }
        return exponent < 0 ? 1 / result : result;
    }
    if (a == 0)
        return 0;
    if (a < 0)
        return std::nullopt; // the logarithm of a negative number
    return Exp(b * Ln(a));
}

} // namespace tolvane::engine

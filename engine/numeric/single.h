// A single-precision variable (IEEE binary32) as the floating-point unit stores one. A
// computation works on Extended and keeps its results here: Store rounds once, to nearest with
// ties to even, and answers an overflow as data instead of making an infinity. The one place
// that knows how a single is made.
#pragma once

#include "engine/numeric/numeric.h"

#include <optional>

namespace tolvane::engine {

class Single {
public:
    constexpr Single() = default;

    // The value rounded once to single precision; nullopt when the store overflows (from FLT_MAX
    // plus half its last place on, 2^128 - 2^103, infinities included) or the value is NaN.
    [[nodiscard]] static std::optional<Single> Store(Extended value)
    {
        constexpr double kOverflowFrom = 0x1.ffffffp127;
        constexpr float kLargest = 0x1.fffffep127f; // FLT_MAX
        if (!(value < Extended(kOverflowFrom) && Extended(-kOverflowFrom) < value))
            return std::nullopt;
        // Just beyond FLT_MAX the store rounds back to it (a conversion would have no defined
        // value there).
        if (Extended(static_cast<double>(kLargest)) < value)
            return Single(kLargest);
        if (value < Extended(-static_cast<double>(kLargest)))
            return Single(-kLargest);
        // ToFloat rounds once; going through double first would round twice.
        return Single(ToFloat(value));
    }

    // The value, exactly.
    [[nodiscard]] Extended Value() const { return Extended(static_cast<double>(m_value)); }
    // The same value with the other sign, exactly.
    [[nodiscard]] Single Negated() const { return Single(-m_value); }

private:
    constexpr explicit Single(float value)
        : m_value(value)
    {}

    float m_value = 0;
};

} // namespace tolvane::engine

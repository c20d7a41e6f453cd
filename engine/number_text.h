// Number texts inside the engine: the pieces of FormatNumber and ParseNumber
// that the evaluator uses without building a std::string per operation.
#pragma once

#include "engine/numeric/numeric.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::engine {

// A finite double rounded to 15 significant digits: the value is
// (negative ? -1 : 1) * digits * 10^exponent, digits below 10^15 with no
// trailing zeros, digits == 0 for zero of either sign.
struct Decimal15 {
    std::uint64_t digits = 0;
    int exponent = 0;
    bool negative = false;
};

// Rounds a finite double to 15 significant digits, an exact tie away from zero.
[[nodiscard]] Decimal15 RoundToFifteenDigits(double value);
// The same by the exact route alone (the fast route must agree with it).
[[nodiscard]] Decimal15 RoundToFifteenDigitsExactly(double value);

// Longest text WriteNumber produces ("-1.23456789012345E-308" and the like).
inline constexpr std::size_t kNumberTextCapacity = 32;

// Writes the FormatNumber text of `value` (finite or not) into `out`, which
// holds at least kNumberTextCapacity bytes; returns the length.
std::size_t WriteNumber(double value, char* out);

// Appends a text that ParseNumber reads back as exactly `value` (finite): 21 significant
// digits, correctly rounded, which tell any two extended values apart (so any two doubles), in
// fixed notation with trailing zeros dropped, since the evaluator reads numbers without an
// exponent. Up to about 350 characters at the ends of the double range.
void AppendExactNumber(double value, std::string& out);

// The extended value of a rounded decimal, exactly as ParseNumber would read
// the text that WriteNumber gives for it.
[[nodiscard]] Extended DecimalToExtended(const Decimal15& decimal);

// DecimalToExtended(RoundToFifteenDigits(value)) for a finite value, without
// building the decimal where the answer does not need it.
[[nodiscard]] Extended RoundedToExtended(double value);

} // namespace tolvane::engine

// The number a sheet line shows as its result, for copying it elsewhere.
//
// A line carries a result when it holds a result separator (line_logic.h); the result is the text
// behind the last one, exactly as the sheet shows it. It counts as a number only when it is a text
// FormatNumber writes for a finite value, so a diagnosis ("加法表达式错误"), an empty result, a
// number edited by hand into another shape ("003", "1,234", "1e5") or the echo of a line the
// engine could not read gives nothing to copy as a number.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::sheet {

// Whether `text` is exactly what FormatNumber writes for some finite value: "0", or an optional
// "-" and at most 15 significant digits without padding zeros, in fixed notation when the first
// digit stands for 10^-4 to 10^14 ("123.45", "0.00012") and in exponent notation otherwise
// ("1.5E-5", "2.5E15", exponent -324 to 308, no "+" and no leading zeros).
[[nodiscard]] bool IsNumberText(std::u16string_view text);

// The result text of `line` when it is a number (IsNumberText), else nullopt. A line whose result
// merely repeats its expression in exponent notation ("1E15=1E15") is the sheet's answer to an
// expression it could not evaluate, since expressions have no exponent notation: no number.
[[nodiscard]] std::optional<std::u16string> NumericResult(std::u16string_view line);

} // namespace tolvane::sheet

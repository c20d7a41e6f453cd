// Sheet mode of tolvane-eval: each input line is treated as Enter treats the
// caret's line on the sheet.
#pragma once

#include "sheet/line_logic.h"

#include <ostream>
#include <string>
#include <string_view>

namespace tolvane::tools {

struct EnteredLine {
    std::u16string text; // the line as Enter leaves it
    sheet::EnterOutcome outcome = sheet::EnterOutcome::kEmptyLine;
};

// Enter on a one-line sheet holding `line`, the caret at its end; what a window would show in a
// box goes to `err`.
EnteredLine EnterSheetLine(std::string_view line, std::ostream& err);

// Treats one line as Enter treats the caret's line on a one-line sheet: writes
// the text the line holds afterwards to `out` and what a window would show in a
// box to `err`. Returns false when the line gave no number (lines with nothing
// to evaluate, such as empty ones, count as good).
bool RunSheetLine(std::string_view line, std::ostream& out, std::ostream& err);

} // namespace tolvane::tools

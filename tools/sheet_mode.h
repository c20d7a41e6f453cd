// Sheet mode of tolvane-eval: each input line is treated as Enter treats the
// caret's line on the sheet.
#pragma once

#include "sheet/line_logic.h"

#include <string>
#include <string_view>

namespace tolvane::tools {

struct EnteredLine {
    std::u16string text; // the line as Enter leaves it
    sheet::EnterOutcome outcome = sheet::EnterOutcome::kEmptyLine;
};

// Enter on a one-line sheet holding `line`, the caret at its end; what a window would show in a
// box is appended to `err`.
EnteredLine EnterSheetLine(std::string_view line, std::string& err);

// Treats one line as Enter treats the caret's line on a one-line sheet: appends
// the text the line holds afterwards and a LF to `out`, and what a window would
// show in a box to `err`. Returns false when the line gave no number; an empty
// line counts as good.
bool RunSheetLine(std::string_view line, std::string& out, std::string& err);

// Appends the UTF-8 of a text; an ASCII text, as most lines are, is copied unit by unit.
void AppendUtf8(std::string& out, std::u16string_view text);

} // namespace tolvane::tools

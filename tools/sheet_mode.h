// Sheet mode of tolvane-eval: each input line is treated as Enter treats the
// caret's line on the sheet.
#pragma once

#include "sheet/line_logic.h"
#include "sheet/references.h"

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

// --refs: the line is the next line of one sheet read from the top with 引用与合计 on, answered
// as Enter answers it there; a LF in it (only an argument holds one) starts another line of the
// sheet, answered in turn. Appends each line as it stands afterwards and a LF to `out`, what a
// window would show in a box to `err`. Returns false when a line gave no number; an empty line,
// a line of blanks, a heading, a comment or a note counts as good.
bool RunReferenceLine(sheet::SheetReader& reader, std::string_view line, std::string& out,
                      std::string& err);

// Appends the UTF-8 of a text; an ASCII text, as most lines are, is copied unit by unit.
void AppendUtf8(std::string& out, std::u16string_view text);

} // namespace tolvane::tools

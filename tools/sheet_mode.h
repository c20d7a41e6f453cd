// Sheet mode of tolvane-eval: each input line is treated as Enter treats the
// caret's line on the sheet.
#pragma once

#include <ostream>
#include <string_view>

namespace tolvane::tools {

// Treats one line as Enter treats the caret's line on a one-line sheet: writes
// the text the line holds afterwards to `out` and what a window would show in a
// box to `err`. Returns false when the line gave no number; an empty line
// counts as good.
bool RunSheetLine(std::string_view line, std::ostream& out, std::ostream& err);

} // namespace tolvane::tools

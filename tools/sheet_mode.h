// Sheet mode of tolvane-eval: each input line is treated as Enter treats the
// caret's line on the sheet.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::tools {

// Treats one line as Enter treats the caret's line on a one-line sheet: appends
// the text the line holds afterwards and a LF to `out`, and what a window would
// show in a box to `err`. Returns false when the line gave no number; an empty
// line counts as good.
bool RunSheetLine(std::string_view line, std::string& out, std::string& err);

} // namespace tolvane::tools

// Sheet mode of tolvane-eval: each input line is treated as Enter treats the
// caret's line on the sheet.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::tools {

// Writes one stdout line per input line (what the line holds after Enter) and
// the messages a window would show to `err`. Returns the exit status: 0 when
// every line gave a number, 1 when any did not, 2 when sheet mode is missing.
int RunSheetMode(const std::vector<std::string>& lines, std::ostream& out, std::ostream& err);

} // namespace tolvane::tools

// Amount mode of tolvane-eval (--rmb): each input line is evaluated as Enter evaluates it on the
// sheet, and its result is written as the uppercase amount for bills.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::tools {

// Appends the uppercase amount of the line's result and a LF to `out` (1000+680.32 gives
// 壹仟陆佰捌拾元零叁角贰分). A line whose evaluation gave no number, or a number of 10^16 yuan or
// more, writes what sheet mode writes instead, with the reason for the latter appended to `err`,
// and returns false; an empty line writes an empty line and counts as good.
bool RunAmountLine(std::string_view line, std::string& out, std::string& err);

} // namespace tolvane::tools

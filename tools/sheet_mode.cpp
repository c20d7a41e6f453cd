#include "tools/sheet_mode.h"

namespace tolvane::tools {

int RunSheetMode(const std::vector<std::string>&, std::ostream&, std::ostream& err)
{
    err << "tolvane-eval: sheet mode is not built yet; use --engine\n";
    return 2;
}

} // namespace tolvane::tools

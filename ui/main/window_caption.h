// The calculator's own name, as the caption strip shows it and as the error reports are titled.
// The window's title adds the name of an open file in front of it; this never changes.
#pragma once

#include <QString>

namespace tolvane::ui {

[[nodiscard]] inline QString WindowCaption()
{
    return QStringLiteral("Tolvane计算器");
}

} // namespace tolvane::ui

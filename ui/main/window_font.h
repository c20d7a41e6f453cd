// The one font recipe of the windows: Tahoma where it exists, then sans-serif faces that a Linux
// desktop has, and always a CJK face last, so a Chinese caption never falls back to boxes.
#pragma once

#include <QFont>
#include <QStringList>

namespace tolvane::ui {

inline QFont WindowFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace tolvane::ui

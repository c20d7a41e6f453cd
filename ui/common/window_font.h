// The one font recipe of the windows: Tahoma where it exists, then a sans-serif face of about its
// width that Linux has (the palette's captions are sized for Tahoma and would be cut off in a
// wider face), and always a CJK face last, so a Chinese caption never falls back to boxes.
#pragma once

#include <QFont>
#include <QStringList>

namespace tolvane::ui {

inline QFont WindowFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace tolvane::ui

// The one font recipe of the windows: Tahoma where it exists (Windows), then a sans-serif face
// of about its width that Linux has (the palette's captions are sized for Tahoma and would be cut
// off in a wider face), and always a Chinese face after them for what those lack: Microsoft
// YaHei or SimSun on Windows, WenQuanYi or Noto CJK on Linux, so Chinese never falls back to
// boxes. Qt takes each character from the first family in the list that has it.
#pragma once

#include <QFont>
#include <QStringList>

namespace tolvane::ui {

inline QFont WindowFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace tolvane::ui

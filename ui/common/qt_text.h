// Text across the seam between Qt and the rest of the program. QString and the sheet both count
// UTF-16 code units, so those conversions copy the units as they stand, an unpaired surrogate or a
// leading U+FEFF included (QString::fromUtf16 would drop the latter as a byte-order mark and shift
// every position of the line). The engine and the palette's tables hold UTF-8.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tolvane::ui {

[[nodiscard]] QString FromUtf16(std::u16string_view text);
[[nodiscard]] std::u16string ToUtf16(const QString& text);
// Malformed bytes become U+FFFD, as QString::fromUtf8 makes them.
[[nodiscard]] QString FromUtf8(std::string_view text);

} // namespace tolvane::ui

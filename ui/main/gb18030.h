// Text in GB18030 (and its subset GBK, what Notepad writes as "ANSI" on Chinese Windows), which
// each system decodes its own way: gb18030_unix.cpp and gb18030_win.cpp, chosen by CMake.
//
// On Linux Qt decodes it with ICU. A Qt without ICU, as on Windows, knows no GB18030, so there
// Windows decodes it itself: code page 54936 (GB18030), or 936 (GBK) where 54936 is not
// installed (Wine), which reads every file Notepad saves on a Chinese system.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::ui {

// UTF-16 for GB18030 bytes. Where no decoder is at hand, the bytes are read as UTF-8, every byte
// that is not UTF-8 as U+FFFD, so nothing is dropped.
[[nodiscard]] std::u16string DecodeGb18030(std::string_view bytes);

} // namespace tolvane::ui

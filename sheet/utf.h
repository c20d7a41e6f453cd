// UTF-8 <-> UTF-16 for the seam between the sheet (UTF-16, the text control's units) and the
// engine and notifier (UTF-8 bytes).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tolvane::sheet {

// Malformed input becomes U+FFFD, one per offending byte or unpaired surrogate, so a conversion
// never fails and never drops text silently.
[[nodiscard]] std::u16string ToUtf16(std::string_view utf8);
[[nodiscard]] std::string ToUtf8(std::u16string_view utf16);
// Whether every byte belongs to a well-formed sequence (no overlong forms, no surrogates, nothing
// beyond U+10FFFF), so ToUtf16 would replace nothing.
[[nodiscard]] bool IsValidUtf8(std::string_view bytes);
// How many U+FFFD ToUtf16 writes for malformed bytes: 0 exactly when IsValidUtf8.
[[nodiscard]] std::size_t MalformedUtf8(std::string_view bytes);

} // namespace tolvane::sheet

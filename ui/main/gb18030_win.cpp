#include "sheet/utf.h"
#include "ui/main/gb18030.h"

#include <climits>
#include <windows.h>

namespace tolvane::ui {

std::u16string DecodeGb18030(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    // Files are refused long before INT_MAX bytes (sheet::kMaxSheetFileBytes).
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        return sheet::ToUtf16(bytes);
    const int length = static_cast<int>(bytes.size());
    for (const UINT codePage : {54936u, 936u}) {
        if (!IsValidCodePage(codePage))
            continue;
        const int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
        if (size <= 0)
            continue;
        std::u16string text(static_cast<std::size_t>(size), u'\0');
        MultiByteToWideChar(codePage, 0, bytes.data(), length,
                            reinterpret_cast<wchar_t*>(text.data()), size);
        return text;
    }
    return sheet::ToUtf16(bytes);
}

} // namespace tolvane::ui

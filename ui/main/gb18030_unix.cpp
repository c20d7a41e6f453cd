#include "sheet/utf.h"
#include "ui/common/qt_text.h"
#include "ui/main/gb18030.h"

#include <QStringDecoder>

namespace tolvane::ui {

std::u16string DecodeGb18030(std::string_view bytes)
{
    QStringDecoder decoder("GB18030");
    if (!decoder.isValid())
        return sheet::ToUtf16(bytes);
    return ToUtf16(
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()))));
}

} // namespace tolvane::ui

#include "ui/main/sheet_file.h"

#include "sheet/file_text.h"
#include "sheet/utf.h"
#include "ui/common/qt_text.h"
#include "ui/main/gb18030.h"
#include "ui/main/text_edit_sheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cerrno>
#include <vector>

namespace tolvane::ui {

namespace {

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

SheetFileContent Refusal(const QString& path, const QString& reason)
{
    return {{}, QStringLiteral("无法打开“%1”：%2\n当前的计算没有改动。").arg(Shown(path), reason)};
}

std::u16string_view View(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

QString SaveFailure(const QString& path, const QString& reason, bool oldFileKept)
{
    QString text = QStringLiteral("无法保存到“%1”：%2").arg(Shown(path), reason);
    text += oldFileKept ? QStringLiteral("\n原来的文件没有改动，计算界面上的内容也都还在。")
                        : QStringLiteral("\n计算界面上的内容都还在。");
    return text;
}

// The reason QSaveFile gave up, in the user's words, with the system's own text behind it.
QString SaveFileReason(const QSaveFile& file)
{
    QString reason;
    switch (file.error()) {
    case QFileDevice::OpenError:
        reason = QStringLiteral("无法在这个文件夹中创建文件");
        break;
    case QFileDevice::ResourceError:
        reason = QStringLiteral("磁盘空间不足");
        break;
    case QFileDevice::RenameError:
        reason = QStringLiteral("无法替换原来的文件");
        break;
    default:
        reason = QStringLiteral("写入失败");
        break;
    }
    return QStringLiteral("%1（%2）。").arg(reason, file.errorString());
}

} // namespace

std::optional<QString> DecodeSheetBytes(std::string_view bytes)
{
    const sheet::FileEncoding found = sheet::DetectEncoding(bytes);
    bytes.remove_prefix(found.bomLength);
    std::u16string text;
    switch (found.encoding) {
    case sheet::TextEncoding::kUtf8:
        text = sheet::ToUtf16(bytes);
        break;
    case sheet::TextEncoding::kUtf16Le:
    case sheet::TextEncoding::kUtf16Be:
        text = sheet::DecodeUtf16(bytes, found.encoding == sheet::TextEncoding::kUtf16Be);
        break;
    case sheet::TextEncoding::kGb18030:
        text = DecodeGb18030(bytes);
        break;
    }
    if (sheet::LooksBinary(text))
        return std::nullopt;
    return FromUtf16(sheet::CleanSheetText(text));
}

SheetFileContent ReadSheetFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Refusal(path, QStringLiteral("文件不存在。"));
    if (info.isDir())
        return Refusal(path, QStringLiteral("这是一个文件夹，不是文件。"));
    if (!info.isFile())
        return Refusal(path, QStringLiteral("这不是普通文件（设备、管道或套接字）。"));
    constexpr qint64 kMiB = 1024 * 1024;
    if (info.size() > sheet::kMaxSheetFileBytes) {
        return Refusal(path, QStringLiteral("文件太大（%1 MiB），最多只能打开 %2 MiB。")
                                 .arg((info.size() + kMiB - 1) / kMiB)
                                 .arg(sheet::kMaxSheetFileBytes / kMiB));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Qt reports every failed open alike; the system's own code still tells a missing right.
        if (errno == EACCES || errno == EPERM)
            return Refusal(path, QStringLiteral("没有读取这个文件的权限。"));
        return Refusal(path, QStringLiteral("读取失败（%1）。").arg(file.errorString()));
    }
    // The file may have grown since it was measured: never read more than the limit allows.
    const QByteArray bytes = file.read(sheet::kMaxSheetFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Refusal(path, QStringLiteral("读取失败（%1）。").arg(file.errorString()));
    if (bytes.size() > sheet::kMaxSheetFileBytes) {
        return Refusal(path, QStringLiteral("文件太大，最多只能打开 %1 MiB。")
                                 .arg(sheet::kMaxSheetFileBytes / kMiB));
    }
    std::optional<QString> text = DecodeSheetBytes(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!text) {
        return Refusal(path, QStringLiteral("这不是文本文件：其中有大量控制字符，"
                                            "像是图片、程序或其他二进制数据。"));
    }
    return {std::move(*text), {}};
}

QString WriteSheetFile(const QString& path, const QStringList& lines)
{
    const QFileInfo info(path);
    if (info.isDir())
        return SaveFailure(path, QStringLiteral("这是一个文件夹。"), false);
    if (info.exists() && !info.isFile()) {
        return SaveFailure(path,
                           QStringLiteral("这不是普通文件（设备、管道或套接字），"
                                          "不能用计算界面替换它。"),
                           false);
    }
    const bool existed = info.exists();

    std::vector<std::u16string_view> views;
    views.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines)
        views.push_back(View(line));
    const std::string bytes = sheet::SheetFileBytes(views);

    QSaveFile file(path);
    // Unbuffered, so the count write() answers is what reached the file: Qt's buffered flush
    // takes a short write (a full disk, a file size limit) for success, and would rename a
    // truncated file over the good one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return SaveFailure(path, SaveFileReason(file), existed);
    const auto size = static_cast<qint64>(bytes.size());
    const qint64 written = size == 0 ? 0 : file.write(bytes.data(), size);
    if (written != size) {
        const QString reason =
            written < 0
                ? SaveFileReason(file)
                : QStringLiteral("只写进了 %1 字节，共 %2 字节（磁盘已满或文件超出大小限制）。")
                      .arg(written)
                      .arg(size);
        file.cancelWriting();
        file.commit();
        return SaveFailure(path, reason, existed);
    }
    if (!file.commit())
        return SaveFailure(path, SaveFileReason(file), existed);
    return {};
}

QStringList DocumentLines(const QTextDocument& document)
{
    QStringList lines;
    lines.reserve(document.blockCount());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
}

void InsertColoredLines(QTextCursor& cursor, QStringView text)
{
    const QTextCharFormat lime = ColorFormat(sheet::kLime);
    const QTextCharFormat red = ColorFormat(sheet::kRed);
    QString pendingLime;
    const auto flushLime = [&] {
        if (!pendingLime.isEmpty())
            cursor.insertText(pendingLime, lime);
        pendingLime.clear();
    };
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QStringView line = text.mid(start, end - start);
        const std::u16string_view units(reinterpret_cast<const char16_t*>(line.utf16()),
                                        static_cast<std::size_t>(line.size()));
        for (const sheet::ColorRun& run : sheet::OpenedLineColors(units)) {
            const QStringView piece = line.mid(run.column, run.length);
            if (run.color == sheet::kLime) {
                pendingLime += piece;
            } else {
                flushLime();
                cursor.insertText(piece.toString(), red);
            }
        }
        if (end < text.size())
            pendingLime += u'\n';
        start = end + 1;
    }
    flushLime();
}

} // namespace tolvane::ui

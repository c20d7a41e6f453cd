// A sheet file on disk: reading it (checks, decoding, the refusals' texts), writing it atomically,
// and writing its lines into the sheet's document in their colours. The decisions themselves
// (encodings, binary, line breaks, colours, bytes) are the Qt-free ones of sheet/text_decoder.h
// and sheet/file_text.h, so tolvane-eval reads a file as the window does; this file adds what
// needs Qt: files and the document.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <string_view>

class QTextCursor;
class QTextDocument;

namespace tolvane::ui {

// Captions of the boxes that report a refused file, UTF-8 for the notifier.
inline constexpr std::string_view kOpenCaption = "打开文件";
inline constexpr std::string_view kSaveCaption = "保存文件";

struct SheetFileContent {
    // The sheet's text, one "\n" between two lines; valid only when ok.
    QString text;
    // Why the file was refused, naming it: the text of the box the user sees.
    QString refusal;
    [[nodiscard]] bool ok() const { return refusal.isEmpty(); }
};

// Reads a sheet file. Refused, with the reason: a missing file, a folder or any other thing that
// is not a regular file (a device would be read forever), one larger than kMaxSheetFileBytes, one
// that cannot be read, and binary data.
[[nodiscard]] SheetFileContent ReadSheetFile(const QString& path);

// The sheet's text for a file's bytes (encodings as text_decoder.h decides, line breaks and
// controls as file_text.h does), or nullopt when the bytes are binary.
[[nodiscard]] std::optional<QString> DecodeSheetBytes(std::string_view bytes);

// Writes the lines as a sheet file through QSaveFile: a temporary file beside the target, flushed
// to disk, then renamed over it, so the target is either the old file or the whole new one.
// Refuses a target that exists and is no regular file (a rename would replace a device). The
// empty string on success, else the text of the box that says why, naming the file.
[[nodiscard]] QString WriteSheetFile(const QString& path, const QStringList& lines);

// The document's lines as the sheet holds them, one string a block.
[[nodiscard]] QStringList DocumentLines(const QTextDocument& document);

// Writes `text` (lines separated by "\n") at the cursor, each line in the colours
// OpenedLineColors gives it. Lime runs are written together across line breaks: every separate
// insertion costs the document a fragment, and a 100,000-line sheet has a million of them.
void InsertColoredLines(QTextCursor& cursor, QStringView text);

} // namespace tolvane::ui

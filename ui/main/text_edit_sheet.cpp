#include "ui/main/text_edit_sheet.h"

#include "ui/common/qt_text.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>

namespace tolvane::ui {

QTextCharFormat ColorFormat(sheet::Color color)
{
    QTextCharFormat format;
    format.setForeground(QColor(color.r, color.g, color.b));
    return format;
}

TextEditSheet::TextEditSheet(QPlainTextEdit& edit)
    : m_edit(edit)
{}

TextEditSheet::Batch::Batch(TextEditSheet& sheet)
    : m_sheet(sheet)
{
    if (m_sheet.m_batchDepth++ == 0)
        m_sheet.m_batchCursor = m_sheet.m_edit.textCursor();
}

TextEditSheet::Batch::~Batch()
{
    if (--m_sheet.m_batchDepth == 0)
        m_sheet.m_edit.setTextCursor(m_sheet.m_batchCursor);
}

TextEditSheet::Pause::Pause(TextEditSheet& sheet)
    : m_sheet(sheet)
    , m_depth(std::exchange(sheet.m_batchDepth, 0))
{
    if (m_depth > 0)
        m_sheet.m_edit.setTextCursor(m_sheet.m_batchCursor);
}

TextEditSheet::Pause::~Pause()
{
    Q_ASSERT(m_sheet.m_batchDepth == 0);
    if (m_depth > 0)
        m_sheet.m_batchCursor = m_sheet.m_edit.textCursor();
    m_sheet.m_batchDepth = m_depth;
}

QTextCursor TextEditSheet::Cursor() const
{
    return m_batchDepth > 0 ? m_batchCursor : m_edit.textCursor();
}

void TextEditSheet::SetCursor(const QTextCursor& cursor)
{
    if (m_batchDepth > 0)
        m_batchCursor = cursor;
    else
        m_edit.setTextCursor(cursor);
}

QTextDocument& TextEditSheet::Document() const
{
    return *m_edit.document();
}

int TextEditSheet::LineCount() const
{
    return Document().blockCount();
}

std::u16string TextEditSheet::LineText(int line) const
{
    const QTextBlock block = Document().findBlockByNumber(line);
    return block.isValid() ? ToUtf16(block.text()) : std::u16string();
}

int TextEditSheet::LineLength(int line) const
{
    // A block's length counts its separator too.
    const QTextBlock block = Document().findBlockByNumber(line);
    return block.isValid() ? block.length() - 1 : 0;
}

int TextEditSheet::LineStart(int line) const
{
    if (line <= 0)
        return 0;
    const int last = LineCount() - 1;
    const QTextBlock block = Document().findBlockByNumber(std::min(line, last));
    const int start = block.position() + block.blockNumber();
    if (line <= last)
        return start;
    // Lines beyond the last count as empty, two positions each.
    return start + block.length() - 1 + 2 * (line - last);
}

int TextEditSheet::LineAt(int pos) const
{
    // The largest line whose start is at or before pos.
    int low = 0;
    int high = LineCount() - 1;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (LineStart(middle) <= pos)
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

int TextEditSheet::ToDocumentPos(int sheetPos) const
{
    const int line = LineAt(sheetPos);
    const QTextBlock block = Document().findBlockByNumber(line);
    const int column = std::clamp(sheetPos - (block.position() + line), 0, block.length() - 1);
    return block.position() + column;
}

int TextEditSheet::ToSheetPos(int documentPos) const
{
    return documentPos + Document().findBlock(documentPos).blockNumber();
}

void TextEditSheet::ReplaceLine(int line, std::u16string_view text)
{
    const QTextBlock block = Document().findBlockByNumber(line);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(FromUtf16(text), ColorFormat(m_defaultColor));
    SetCursor(cursor);
}

int TextEditSheet::CaretPos() const
{
    return ToSheetPos(Cursor().selectionStart());
}

void TextEditSheet::MoveCaret(int pos)
{
    QTextCursor cursor = Cursor();
    cursor.setPosition(ToDocumentPos(pos));
    SetCursor(cursor);
}

void TextEditSheet::SelectAhead(int count)
{
    QTextCursor cursor = Cursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(std::max(start, ToDocumentPos(ToSheetPos(start) + std::max(count, 0))),
                       QTextCursor::KeepAnchor);
    SetCursor(cursor);
}

void TextEditSheet::ColorSelection(sheet::Color color)
{
    // On a cursor without a selection this sets the format of the text typed next.
    QTextCursor cursor = Cursor();
    cursor.mergeCharFormat(ColorFormat(color));
    SetCursor(cursor);
}

void TextEditSheet::SetDefaultColor(sheet::Color color)
{
    m_defaultColor = color;
}

void TextEditSheet::FocusSheet()
{
    m_edit.setFocus(Qt::OtherFocusReason);
}

void TextEditSheet::ClearSheet()
{
    // Removing the text through a cursor (never QPlainTextEdit::clear) keeps it one undo step.
    QTextCursor cursor(&Document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    SetCursor(cursor);
}

void TextEditSheet::AppendLine(std::u16string_view text)
{
    QTextCursor cursor(&Document());
    cursor.movePosition(QTextCursor::End);
    const QTextCharFormat format = ColorFormat(m_defaultColor);
    cursor.beginEditBlock();
    if (cursor.block().length() > 1)
        cursor.insertBlock(cursor.blockFormat(), format);
    cursor.insertText(FromUtf16(text), format);
    cursor.insertBlock(cursor.blockFormat(), format);
    cursor.endEditBlock();
}

std::u16string TextEditSheet::SheetText() const
{
    std::u16string text;
    for (QTextBlock block = Document().begin(); block.isValid(); block = block.next()) {
        if (block != Document().begin())
            text += u"\r\n";
        text += ToUtf16(block.text());
    }
    return text;
}

sheet::Color TextEditSheet::ColorAt(int line, int column) const
{
    const QTextBlock block = Document().findBlockByNumber(line);
    const int pos = block.position() + column;
    QColor color = m_edit.palette().color(QPalette::Text);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (pos >= fragment.position() && pos < fragment.position() + fragment.length()) {
            const QBrush brush = fragment.charFormat().foreground();
            if (brush.style() != Qt::NoBrush)
                color = brush.color();
            break;
        }
    }
    return {static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
            static_cast<std::uint8_t>(color.blue())};
}

} // namespace tolvane::ui

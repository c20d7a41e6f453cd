#include "ui/main/sheet_edit.h"

#include "sheet/key_logic.h"
#include "sheet/sheet_helpers.h"
#include "ui/common/qt_text.h"
#include "ui/main/message_box_notifier.h"
#include "ui/main/result_menu.h"
#include "ui/main/text_edit_sheet.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>

#include <string>

namespace tolvane::ui {

namespace {

// Holds one document edit block open, so everything done meanwhile is one undo step, and marks
// the edits as the sheet logic's own.
class UndoStep {
public:
    UndoStep(QTextDocument* document, bool& editing)
        : m_cursor(document)
        , m_editing(editing)
        , m_was(editing)
    {
        m_editing = true;
        m_cursor.beginEditBlock();
    }
    ~UndoStep()
    {
        m_cursor.endEditBlock();
        m_editing = m_was;
    }
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;

private:
    QTextCursor m_cursor;
    bool& m_editing;
    bool m_was;
};

} // namespace

SheetEdit::SheetEdit(QWidget* parent)
    : QPlainTextEdit(parent)
    , m_sheet(std::make_unique<TextEditSheet>(*this))
    , m_defaultNotifier(std::make_unique<MessageBoxNotifier>(this))
    , m_notifier(m_defaultNotifier.get())
    , m_resultMenu(new ResultMenu(*this, *m_sheet))
{
    QPalette colors = palette();
    colors.setColor(QPalette::Base, Qt::black);
    colors.setColor(QPalette::Text, QColor(sheet::kLime.r, sheet::kLime.g, sheet::kLime.b));
    setPalette(colors);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A sheet line is one screen row, scrolled sideways when long. Wrapping would make Qt lay
    // out a long line again for every row it wraps into, which turns Enter on a pasted
    // megabyte line from seconds into hours.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setCurrentCharFormat(ColorFormat(sheet::kLime));
    connect(this, &QPlainTextEdit::textChanged, this, &SheetEdit::RecolorPendingPaste);
}

SheetEdit::~SheetEdit() = default;

sheet::Sheet& SheetEdit::sheet()
{
    return *m_sheet;
}

sheet::SheetState& SheetEdit::state()
{
    return m_state;
}

void SheetEdit::setNotifier(sheet::Notifier* notifier)
{
    m_notifier = notifier ? notifier : m_defaultNotifier.get();
}

sheet::Notifier& SheetEdit::notifier()
{
    return *m_notifier;
}

void SheetEdit::InsertTemplate(const QString& templateText)
{
    const UndoStep step(document(), m_editing);
    const TextEditSheet::Batch batch(*m_sheet);
    sheet::InsertTemplate(*m_sheet, m_state.currentLine, ToUtf16(templateText));
}

void SheetEdit::ClearSheet()
{
    const UndoStep step(document(), m_editing);
    m_sheet->ClearSheet();
}

void SheetEdit::ReplaceSheet(const std::function<void(QTextCursor&)>& write)
{
    {
        const UndoStep step(document(), m_editing);
        QTextCursor cursor(document());
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        write(cursor);
    }
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    setTextCursor(end);
    m_sheet->FocusSheet();
    // A click recorded on the old text would send the next Enter to some line of the new one.
    m_state.currentLine = end.blockNumber();
    m_state.clickPos = 0;
}

char16_t SheetEdit::TypedCharacter(const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return sheet::kEnterKey;
    if (event.key() == Qt::Key_Backspace)
        return sheet::kBackspaceKey;
    if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))
        return 0;
    const QString text = event.text();
    if (text.isEmpty() || text[0].unicode() < u' ' || text[0].unicode() == 0x7F)
        return 0;
    return text[0].unicode();
}

void SheetEdit::keyPressEvent(QKeyEvent* event)
{
    NotePasteShortcut(*event);
    TypeKey(event);
}

void SheetEdit::NotePasteShortcut(const QKeyEvent& event)
{
    // Exactly Ctrl+V: the text change that follows is a paste.
    if (event.key() == Qt::Key_V &&
        (event.modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier)
        m_pastePending = true;
}

void SheetEdit::TypeKey(QKeyEvent* event)
{
    const char16_t key = TypedCharacter(*event);
    if (key == 0) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // Without a selection a printable key only sets the typing colour, and the text control
    // types it as usual, so ordinary typing merges into undo steps as in any editor.
    if (key != sheet::kEnterKey && key != u'=' && !textCursor().hasSelection()) {
        sheet::PressKey(*m_sheet, m_state, *m_notifier, key);
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const UndoStep step(document(), m_editing);
    const sheet::KeyAction action = [&] {
        const TextEditSheet::Batch batch(*m_sheet);
        return sheet::PressKey(*m_sheet, m_state, *m_notifier, key);
    }();
    switch (action) {
    case sheet::KeyAction::kDrop:
        break;
    case sheet::KeyAction::kLineBreak: {
        QTextCursor cursor = textCursor();
        cursor.insertBlock();
        setTextCursor(cursor);
        break;
    }
    case sheet::KeyAction::kInsert:
        if (key == sheet::kBackspaceKey || !textCursor().hasSelection())
            QPlainTextEdit::keyPressEvent(event);
        else
            TypeOverSelection(event->text(), key);
        break;
    }
}

void SheetEdit::TypeOverSelection(const QString& text, char16_t key)
{
    // The text control would type over a selection in the colour of the text it replaces; a
    // typed character always shows its own colour.
    QTextCursor cursor = textCursor();
    cursor.insertText(text, ColorFormat(sheet::TypingColor(key)));
    setTextCursor(cursor);
}

void SheetEdit::insertFromMimeData(const QMimeData* source)
{
    // Only plain text is pasted, and in lime: the paste's operators turn red right after.
    // Paste and recolouring are one undo step.
    QString text = source->hasText() ? source->text() : QString();
    if (text.isEmpty())
        return;
    // The document opens a line for every CR and LF alike; a CR LF pair is one line break.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    const UndoStep step(document(), m_editing);
    QTextCursor cursor = textCursor();
    cursor.insertText(text, ColorFormat(sheet::kLime));
    setTextCursor(cursor);
    if (m_pastePending) {
        m_pastePending = false;
        const TextEditSheet::Batch batch(*m_sheet);
        sheet::RecolorAfterPaste(*m_sheet, m_state);
    }
}

void SheetEdit::RecolorPendingPaste()
{
    if (!m_pastePending || m_editing)
        return;
    m_pastePending = false;
    const UndoStep step(document(), m_editing);
    const TextEditSheet::Batch batch(*m_sheet);
    sheet::RecolorAfterPaste(*m_sheet, m_state);
}

void SheetEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        sheet::RecordClick(*m_sheet, m_state);
}

void SheetEdit::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QTextCursor clicked = cursorForPosition(event->pos());
        const QTextCursor current = textCursor();
        const bool inSelection = current.hasSelection() &&
                                 clicked.position() >= current.selectionStart() &&
                                 clicked.position() <= current.selectionEnd();
        if (!inSelection)
            setTextCursor(clicked);
    }
    QMenu* menu = createStandardContextMenu();
    menu->setObjectName(QStringLiteral("sheetContextMenu"));
    m_resultMenu->AddTo(*menu);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace tolvane::ui

#include "ui/main/sheet_edit.h"

#include "sheet/key_logic.h"
#include "sheet/references.h"
#include "sheet/sheet_helpers.h"
#include "ui/common/qt_text.h"
#include "ui/main/message_box_notifier.h"
#include "ui/main/result_menu.h"
#include "ui/main/text_edit_sheet.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>
#include <QTextDocument>

#include <string>
#include <utility>

namespace tolvane::ui {

// Holds one document edit block open, so everything done meanwhile is one undo step, and marks
// the edits as the sheet logic's own. Suspend closes the block (and the mark) while a box shows;
// Resume opens a new one, so what follows the box is an undo step of its own.
class SheetEdit::UndoStep {
public:
    explicit UndoStep(SheetEdit& edit)
        : m_cursor(edit.document())
        , m_editing(edit.m_editing)
        , m_was(edit.m_editing)
    {
        Resume();
    }
    ~UndoStep() { Suspend(); }
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;

    void Suspend()
    {
        if (!m_open)
            return;
        // The block's changes are reported while it closes, still as the sheet's own.
        m_cursor.endEditBlock();
        m_editing = m_was;
        m_open = false;
    }
    void Resume()
    {
        if (m_open)
            return;
        m_editing = true;
        m_cursor.beginEditBlock();
        m_open = true;
    }
    // What follows in this step is the user's (a typed character), not the sheet's own.
    void YieldToUser() { m_editing = m_was; }

private:
    QTextCursor m_cursor;
    bool& m_editing;
    bool m_was;
    bool m_open = false;
};

// Passes the line logic's boxes on with no edit open: while a box shows, the batched caret has
// reached the widget and the undo block is closed, so whatever runs in the box's event loop
// (a timer, a handler that reads or edits the sheet) meets the document and caret as they are.
// Both open again when the box closes.
class SheetEdit::BoxesOutsideEdits final : public sheet::Notifier {
public:
    BoxesOutsideEdits(sheet::Notifier& boxes, UndoStep& step, TextEditSheet& sheet)
        : m_boxes(boxes)
        , m_step(step)
        , m_sheet(sheet)
    {}
    void ShowMessage(std::string_view caption, std::string_view text) override
    {
        const Outside outside(*this);
        m_boxes.ShowMessage(caption, text);
    }
    void ReportFault(std::string_view description) override
    {
        const Outside outside(*this);
        m_boxes.ReportFault(description);
    }

private:
    class Outside {
    public:
        explicit Outside(BoxesOutsideEdits& boxes)
            : m_pause(boxes.m_sheet)
            , m_step(boxes.m_step)
        {
            m_step.Suspend();
        }
        ~Outside() { m_step.Resume(); }
        Outside(const Outside&) = delete;
        Outside& operator=(const Outside&) = delete;

    private:
        TextEditSheet::Pause m_pause;
        UndoStep& m_step;
    };

    sheet::Notifier& m_boxes;
    UndoStep& m_step;
    TextEditSheet& m_sheet;
};

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
    // A long line wraps at the window's edge, so its result stays in sight; there is no
    // horizontal scroll bar. The sheet's lines stay the text's own lines (blocks): only the
    // picture wraps. Rows break anywhere, not at word boundaries: an expression such as
    // 1+1+...+1 is one unbreakable word, and finding where a word ends makes Qt look at the rest
    // of it again for every row, which turns Enter on a pasted megabyte line from a second into
    // hours. Broken anywhere, the layout takes time in proportion to the line's length.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCurrentCharFormat(ColorFormat(sheet::kLime));
    // The document reports a new undo step before the change that made it; an undo or a redo
    // changes the text without one.
    connect(document(), &QTextDocument::undoCommandAdded, this, [this] { m_undoStepAdded = true; });
    connect(document(), &QTextDocument::contentsChange, this, &SheetEdit::NoteChange);
    connect(this, &QPlainTextEdit::textChanged, this, &SheetEdit::RecolorPendingPaste);
}

SheetEdit::~SheetEdit() = default;

sheet::Sheet& SheetEdit::sheet()
{
    return *m_sheet;
}

sheet::SheetState& SheetEdit::state()
{
    FollowCaretAfterUndo();
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
    FollowCaretAfterUndo();
    const UndoStep step(*this);
    const TextEditSheet::Batch batch(*m_sheet);
    sheet::InsertTemplate(*m_sheet, m_state.currentLine, ToUtf16(templateText));
}

void SheetEdit::ClearSheet()
{
    const UndoStep step(*this);
    m_sheet->ClearSheet();
}

void SheetEdit::RecalculateAll()
{
    FollowCaretAfterUndo();
    const UndoStep step(*this);
    const TextEditSheet::Batch batch(*m_sheet);
    sheet::RecalculateAll(*m_sheet, m_state, *m_notifier);
}

void SheetEdit::ReplaceSheet(const std::function<void(QTextCursor&)>& write)
{
    {
        const UndoStep step(*this);
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
    m_followCaret = false;
}

void SheetEdit::WriteLines(std::span<const QString> lines)
{
    const UndoStep step(*this);
    m_sheet->ClearSheet();
    for (const QString& line : lines)
        m_sheet->AppendLine(ToUtf16(line));
    // Every character lime, whatever colour the text was written in.
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(ColorFormat(sheet::kLime));
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
    FollowCaretAfterUndo();
    // Ctrl+Y redoes, as on Windows, where the text control of other systems only knows
    // Ctrl+Shift+Z (which stays).
    if (event->key() == Qt::Key_Y &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        redo();
        event->accept();
        return;
    }
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
    UndoStep step(*this);
    const sheet::KeyAction action = [&] {
        const TextEditSheet::Batch batch(*m_sheet);
        BoxesOutsideEdits boxes(*m_notifier, step, *m_sheet);
        return sheet::PressKey(*m_sheet, m_state, boxes, key);
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
        // The character is typed by the user, as one typed without a selection is.
        step.YieldToUser();
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
    FollowCaretAfterUndo();
    // Only plain text is pasted, and in lime: the paste's operators turn red right after.
    // Paste and recolouring are one undo step.
    QString text = source->hasText() ? source->text() : QString();
    if (text.isEmpty())
        return;
    // The document opens a line for every CR and LF alike; a CR LF pair is one line break.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    const UndoStep step(*this);
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
    if (!m_pastePending)
        return;
    // Any change ends a pending paste. The sheet's own edits (Enter, a template, clearing)
    // colour the line and place the caret themselves; any other change, a typed character
    // first of all, recolours the current line and puts the caret at its end.
    m_pastePending = false;
    if (m_editing)
        return;
    const UndoStep step(*this);
    const TextEditSheet::Batch batch(*m_sheet);
    sheet::RecolorAfterPaste(*m_sheet, m_state);
}

void SheetEdit::NoteChange()
{
    const int steps = document()->availableUndoSteps();
    if (!m_undoStepAdded && steps != m_undoSteps)
        m_followCaret = true;
    m_undoStepAdded = false;
    m_undoSteps = steps;
}

void SheetEdit::FollowCaretAfterUndo()
{
    // Read when the state is next used, not during the undo: only once it is done does the
    // caret stand where the undo leaves it.
    if (!std::exchange(m_followCaret, false))
        return;
    m_state.currentLine = m_sheet->LineAt(m_sheet->CaretPos());
    m_state.clickPos = 0;
}

void SheetEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        FollowCaretAfterUndo();
        sheet::RecordClick(*m_sheet, m_state);
    }
}

void SheetEdit::contextMenuEvent(QContextMenuEvent* event)
{
    // The result entries speak of the line under the mouse, or for the Menu key of the line
    // where the caret blinks, whatever is selected.
    int line = textCursor().blockNumber();
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QTextCursor clicked = cursorForPosition(event->pos());
        const QTextCursor current = textCursor();
        const bool inSelection = current.hasSelection() &&
                                 clicked.position() >= current.selectionStart() &&
                                 clicked.position() <= current.selectionEnd();
        if (!inSelection)
            setTextCursor(clicked);
        line = clicked.blockNumber();
    }
    QMenu* menu = createStandardContextMenu();
    menu->setObjectName(QStringLiteral("sheetContextMenu"));
    // The menu names the redo key a Windows user knows; Ctrl+Shift+Z works too.
    if (auto* redoEntry = menu->findChild<QAction*>(QStringLiteral("edit-redo")))
        redoEntry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    m_resultMenu->AddTo(*menu, line);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace tolvane::ui

// The calculation sheet widget: a dark QPlainTextEdit, one expression per line, lime text with
// red operators. Enter (or "=") evaluates the line and rewrites it as expression=result. A long
// line wraps at the widget's edge; the lines of the sheet logic are the text's own lines (the
// document's blocks), never the rows on screen.
//
// The widget only translates: key presses, pastes, text changes and clicks go to the Qt-free
// logic of sheet/ (key_logic.h, line_logic.h) through the TextEditSheet adapter, and the
// text control does the rest. Each Enter (rewritten line, colours, new line) and each template
// insertion is one undo step; ClearSheet is one undo step too. A box the evaluation shows opens
// with no undo step or batched caret open; what Enter writes after the box is a step of its own.
// After an undo or redo the sheet state follows the caret: its line is the current line and no
// click is remembered.
//
// The context menu (right click, or the Menu key) holds the text control's standard entries and,
// for the line under the mouse (or the caret's, for the Menu key) when it carries a result, the
// entries of ResultMenu that copy it, whatever is selected. A right click outside the selection
// first puts the caret where it points; a click inside the selection keeps it for the standard
// entries.
#pragma once

#include "sheet/notifier.h"
#include "sheet/sheet.h"
#include "sheet/sheet_state.h"

#include <QPlainTextEdit>
#include <QString>

#include <functional>
#include <memory>
#include <span>

namespace tolvane::ui {

class MessageBoxNotifier;
class ResultMenu;
class TextEditSheet;

class SheetEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit SheetEdit(QWidget* parent = nullptr);
    ~SheetEdit() override;

    // The sheet operations over this control.
    sheet::Sheet& sheet();
    sheet::SheetState& state();
    // Not owned; nullptr restores the default, QMessageBox parented to this control's window.
    void setNotifier(sheet::Notifier* notifier);
    sheet::Notifier& notifier();

    // The palette's entry: the template goes into line state().currentLine at the caret.
    void InsertTemplate(const QString& templateText);
    // Empties the sheet as one undo step.
    void ClearSheet();
    // 全部重算: every line that carries a result is evaluated again, top to bottom, as one undo
    // step and without message boxes; the caret stays where it was.
    void RecalculateAll();
    // Replaces the whole sheet as one undo step: `write` fills the emptied document through the
    // cursor it is given. Then, as after the help text, the caret stands at the end with the
    // focus in the sheet, and the next Enter and the palette take the caret's line.
    void ReplaceSheet(const std::function<void(QTextCursor&)>& write);
    // Replaces the sheet's text by these lines (each closed by a line break), all lime, as one
    // undo step.
    void WriteLines(std::span<const QString> lines);
    // The copying entries of the context menu.
    [[nodiscard]] ResultMenu& resultMenu() const { return *m_resultMenu; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class UndoStep;
    class BoxesOutsideEdits;

    // What a key press does, in two steps: Ctrl+V going down marks the text change that follows
    // as a paste; then the character the key types is coloured, and "=" or Enter evaluates.
    void NotePasteShortcut(const QKeyEvent& event);
    void TypeKey(QKeyEvent* event);
    // After any change of the text (whoever made it): a pending paste recolours the current line,
    // unless the change is the sheet's own, which only ends it.
    void RecolorPendingPaste();
    // Notes whether a change of the document came from an undo or a redo.
    void NoteChange();
    // After an undo or redo, the first use of the state takes the caret's line as the current
    // line and forgets the click.
    void FollowCaretAfterUndo();
    // The character a key press types, or 0 for a key that types nothing.
    [[nodiscard]] static char16_t TypedCharacter(const QKeyEvent& event);
    void TypeOverSelection(const QString& text, char16_t key);

    std::unique_ptr<TextEditSheet> m_sheet;
    std::unique_ptr<MessageBoxNotifier> m_defaultNotifier;
    sheet::Notifier* m_notifier = nullptr;
    ResultMenu* m_resultMenu = nullptr; // a child of this widget
    sheet::SheetState m_state;
    bool m_pastePending = false;
    // Set while the sheet logic itself edits the document (Enter, a template, clearing).
    bool m_editing = false;
    // The document's undo steps as of the last change, and whether a new one has been added
    // since: a change that adds none and changes their number is an undo or a redo.
    int m_undoSteps = 0;
    bool m_undoStepAdded = false;
    bool m_followCaret = false;
};

} // namespace tolvane::ui

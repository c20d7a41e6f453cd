// The Sheet over a QPlainTextEdit. The document separates blocks by one character where the
// sheet counts a line break as two, so a sheet position is the document position plus the
// block number. Both directions cost O(log n) lookups in the document's block map (block
// position + block number); nothing walks the lines.
#pragma once

#include "sheet/sheet.h"

#include <QTextCharFormat>
#include <QTextCursor>

class QPlainTextEdit;
class QTextDocument;

namespace tolvane::ui {

// The character format that paints text in `color`.
[[nodiscard]] QTextCharFormat ColorFormat(sheet::Color color);

class TextEditSheet final : public sheet::Sheet {
public:
    explicit TextEditSheet(QPlainTextEdit& edit);

    [[nodiscard]] int LineCount() const override;
    [[nodiscard]] std::u16string LineText(int line) const override;
    [[nodiscard]] int LineLength(int line) const override;
    [[nodiscard]] int LineStart(int line) const override;
    [[nodiscard]] int LineAt(int pos) const override;
    void ReplaceLine(int line, std::u16string_view text) override;
    [[nodiscard]] int CaretPos() const override;
    void MoveCaret(int pos) override;
    void SelectAhead(int count) override;
    void ColorSelection(sheet::Color color) override;
    void SetDefaultColor(sheet::Color color) override;
    void FocusSheet() override;
    void ClearSheet() override;
    void AppendLine(std::u16string_view text) override;
    [[nodiscard]] std::u16string SheetText() const override;

    // The colour of one character as the document holds it (for tests and checks).
    [[nodiscard]] sheet::Color ColorAt(int line, int column) const;

    // While a batch is open, caret and selection changes go to a private cursor and reach the
    // widget once, when the last batch closes: every widget cursor change costs a layout query
    // and a repaint request, and an Enter moves the caret a dozen times.
    class Batch {
    public:
        explicit Batch(TextEditSheet& sheet);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        TextEditSheet& m_sheet;
    };

    // While a pause lives, open batches stand still: their caret has reached the widget, changes
    // go to the widget directly, and afterwards the batches go on from the widget's caret. A
    // modal box opens only inside a pause, so nothing its event loop runs meets a caret the
    // widget does not show.
    class Pause {
    public:
        explicit Pause(TextEditSheet& sheet);
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        TextEditSheet& m_sheet;
        int m_depth;
    };

    // Sheet position <-> document position.
    [[nodiscard]] int ToDocumentPos(int sheetPos) const;
    [[nodiscard]] int ToSheetPos(int documentPos) const;

private:
    [[nodiscard]] QTextDocument& Document() const;
    [[nodiscard]] QTextCursor Cursor() const;
    void SetCursor(const QTextCursor& cursor);

    QPlainTextEdit& m_edit;
    int m_batchDepth = 0;
    QTextCursor m_batchCursor;
    sheet::Color m_defaultColor = sheet::kLime;
};

} // namespace tolvane::ui

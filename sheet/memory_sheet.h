// A Sheet held in plain vectors, with a colour per character: the sheet of the line-logic tests
// and of tolvane-eval. Positions follow sheet.h (a line break counts two); LineStart and LineAt
// walk the lines, which is fine for the small sheets it serves.
#pragma once

#include "sheet/sheet.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::sheet {

class MemorySheet final : public Sheet {
public:
    // The text's lines are split at "\n" (a "\r" before it is dropped); every character starts
    // lime; the caret stands at the end.
    explicit MemorySheet(std::u16string_view text = {});

    [[nodiscard]] int LineCount() const override;
    [[nodiscard]] std::u16string LineText(int line) const override;
    [[nodiscard]] int LineStart(int line) const override;
    [[nodiscard]] int LineAt(int pos) const override;
    void ReplaceLine(int line, std::u16string_view text) override;
    [[nodiscard]] int CaretPos() const override;
    void MoveCaret(int pos) override;
    void SelectAhead(int count) override;
    void ColorSelection(Color color) override;
    void SetDefaultColor(Color color) override;
    void FocusSheet() override;
    void ClearSheet() override;
    void AppendLine(std::u16string_view text) override;
    [[nodiscard]] std::u16string SheetText() const override;

    // What a key does to the text: replaces the selection by `text` at the caret in the typing
    // colour, "\n" opening a new line; the caret ends after it.
    void Type(std::u16string_view text);

    [[nodiscard]] Color ColorAt(int line, int column) const;
    [[nodiscard]] Color TypingColor() const { return m_typingColor; }
    [[nodiscard]] Color DefaultColor() const { return m_defaultColor; }
    [[nodiscard]] int SelectionLength() const { return m_selectionEnd - m_caret; }
    [[nodiscard]] int FocusCount() const { return m_focusCount; }

private:
    struct Line {
        std::u16string text;
        std::vector<Color> colors;
    };
    [[nodiscard]] int TextLength() const;
    // A position clamped to the text, one inside a line break moved to the end of its line.
    [[nodiscard]] int Normalize(int pos) const;
    void RemoveSelection();

    std::vector<Line> m_lines;
    int m_caret = 0;
    int m_selectionEnd = 0;
    Color m_typingColor = kLime;
    Color m_defaultColor = kLime;
    int m_focusCount = 0;
};

} // namespace tolvane::sheet

// A Sheet held in plain vectors, with a colour per character: the sheet of the line-logic tests
// and of tolvane-eval. Positions follow sheet.h (a line break counts two). LineStart and LineAt
// take O(log n) through a Fenwick tree of the lines' lengths, so Enter and a recalculation stay
// fast on a sheet of 100 000 lines; typing a line break anywhere but on the last line rebuilds
// the tree, as it moves every line after it anyway.
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
    [[nodiscard]] int LineLength(int line) const override;
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

    // The Fenwick tree over the lines' extents (length + 2), 1-based: m_extents[k] holds the sum
    // over the lines k - lowbit(k) + 1 .. k (numbered from 1).
    void RebuildExtents();
    void ExtentChanged(int line, int delta);
    void ExtentAppended(int extent);
    // The extents of the first `count` lines added up.
    [[nodiscard]] int ExtentsBefore(int count) const;

    std::vector<Line> m_lines;
    std::vector<int> m_extents;
    int m_caret = 0;
    int m_selectionEnd = 0;
    Color m_typingColor = kLime;
    Color m_defaultColor = kLime;
    int m_focusCount = 0;
};

} // namespace tolvane::sheet

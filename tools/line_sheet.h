// The sheet of tolvane-eval's sheet mode: one line and a caret, nothing else. Enter on it writes
// the same text as on a MemorySheet of that line, without a colour per character or a vector of
// lines to keep up, which is most of the cost of a short line.
#pragma once

#include "sheet/sheet.h"

#include <string>
#include <string_view>

namespace tolvane::tools {

class LineSheet final : public sheet::Sheet {
public:
    // The line as typed: every CR is dropped, as typing drops it. `text` holds no LF.
    explicit LineSheet(std::u16string text);

    // The line's text, without a copy.
    [[nodiscard]] const std::u16string& Text() const { return m_text; }

    [[nodiscard]] int LineCount() const override { return 1; }
    [[nodiscard]] std::u16string LineText(int line) const override;
    [[nodiscard]] int LineLength(int line) const override { return line == 0 ? Length() : 0; }
    [[nodiscard]] int LineStart(int line) const override;
    [[nodiscard]] int LineAt(int) const override { return 0; }
    void ReplaceLine(int line, std::u16string_view text) override;
    [[nodiscard]] int CaretPos() const override { return m_caret; }
    void MoveCaret(int pos) override;
    void SelectAhead(int count) override;
    // Colours and focus leave no trace in the text.
    void ColorSelection(sheet::Color) override {}
    void SetDefaultColor(sheet::Color) override {}
    [[nodiscard]] bool ShowsColors() const override { return false; }
    void FocusSheet() override {}
    void ClearSheet() override;
    // A second line has no place here; the text becomes `text`, as a sheet's last line would.
    void AppendLine(std::u16string_view text) override;
    [[nodiscard]] std::u16string SheetText() const override { return m_text; }
    [[nodiscard]] int SelectionLength() const { return m_selectionEnd - m_caret; }

private:
    [[nodiscard]] int Length() const { return static_cast<int>(m_text.size()); }

    std::u16string m_text;
    int m_caret = 0;
    int m_selectionEnd = 0;
};

} // namespace tolvane::tools

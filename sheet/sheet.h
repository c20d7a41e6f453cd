// The sheet layer: what the calculator does to the lines of its sheet, without a window.
//
// What it does: turns keys into sheet edits and evaluations (key_logic.h), evaluates a line on
// Enter and writes expression=result, a box or a diagnosis (line_logic.h), reads labels,
// comments and names of lines above (上行, 小计, 合计) when the switch 引用与合计 is on, and
// evaluates the whole sheet again (references.h), colours operators and
// inserts templates (sheet_helpers.h), turns sheets into the bytes of a file and back and keeps
// the recovery folder's bookkeeping (file_text.h, recovery_files.h), and writes a result for use
// elsewhere (result_text.h, amount_text.h). Expressions go to the engine (engine/engine.h) as
// UTF-8; which way to evaluate a line, the engine's pre-check says.
// What it never does: include Qt, evaluate an expression or compute a value itself (numbers stay
// texts here; the values lines hand to each other are doubles the engine computed and sums the
// engine adds up), open a file, show a window or a message (a Notifier does, notifier.h), or keep
// state between calls beyond the SheetState its caller owns.
//
// The calculation sheet as the window logic sees it: numbered lines of text whose characters each
// carry a colour, a caret with a selection running forward from it, and a default colour.
//
// How the pieces meet: line_logic.h (what Enter does to a line) and sheet_helpers.h (colouring,
// templates) are written only against this interface. TextEditSheet (ui/main) puts it over the
// real text control; MemorySheet puts it over plain vectors for tests and tolvane-eval.
//
// Units: positions and lengths count UTF-16 code units, the units of LineText(). Between two
// lines stands a line break that occupies two positions, so the first character of line n is at
// LineStart(n) = sum over i < n of (length(LineText(i)) + 2). A position inside a line break
// means the end of the line before it. Lines are numbered from 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane::sheet {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kLime{0, 255, 0};
inline constexpr Color kRed{255, 0, 0};

class Sheet {
public:
    virtual ~Sheet() = default;

    // Always at least 1: an empty sheet holds one empty line.
    [[nodiscard]] virtual int LineCount() const = 0;
    // Line n without its line break; empty when line n does not exist.
    [[nodiscard]] virtual std::u16string LineText(int line) const = 0;
    // The length of LineText(n); a sheet may answer without copying the text.
    [[nodiscard]] virtual int LineLength(int line) const
    {
        return static_cast<int>(LineText(line).size());
    }
    // Position of the first character of line n: 0 for n <= 0; lines beyond the last count as
    // empty (two positions each). Implementations answer without walking all earlier lines.
    [[nodiscard]] virtual int LineStart(int line) const = 0;
    // Index of the line holding position p (clamped to the first and last line).
    [[nodiscard]] virtual int LineAt(int pos) const = 0;
    // Replaces the text of line n (not its line break); the new text takes the default colour
    // and the caret ends after it. No effect when line n does not exist.
    virtual void ReplaceLine(int line, std::u16string_view text) = 0;

    // The caret is the start of the selection.
    [[nodiscard]] virtual int CaretPos() const = 0;
    // Caret to p with an empty selection; past the end of the text means the end.
    virtual void MoveCaret(int pos) = 0;
    // Selects the k positions from the caret on (fewer at the end of the text) and scrolls the
    // caret into view. A line break is selected only as a whole.
    virtual void SelectAhead(int count) = 0;

    // The selected characters take the colour; the characters typed next at the caret (over the
    // selection, if any) take it too.
    virtual void ColorSelection(Color color) = 0;
    // The colour of text the sheet writes itself (ReplaceLine, AppendLine).
    virtual void SetDefaultColor(Color color) = 0;
    // False for a sheet that keeps text only (tolvane-eval's): colouring it would change
    // nothing, so ColorLine and ColorOperators leave it alone.
    [[nodiscard]] virtual bool ShowsColors() const { return true; }

    virtual void FocusSheet() = 0;
    // Removes all text, leaving one empty line.
    virtual void ClearSheet() = 0;
    // Adds text as a new last line followed by a line break, so the sheet ends on an empty line;
    // a non-empty last line is closed with a line break first.
    virtual void AppendLine(std::u16string_view text) = 0;
    // The whole text, line breaks written as CR LF.
    [[nodiscard]] virtual std::u16string SheetText() const = 0;
};

} // namespace tolvane::sheet

// Lines that build on each other: the switch 引用与合计 (SheetState::references) and 全部重算.
//
// With the switch on, a line that gives a number the plain way is written as with the switch
// off. Any other line is read by these rules (line_reading.h has how its text is taken apart):
//  - A heading ('#' first), a line of only a comment ("//" to the end of the line) or a label
//    with nothing behind it is text: Enter writes nothing on it.
//  - The label ("午饭：", or "早饭 " in front of the rest) and the comment are set aside; the
//    rest is evaluated, each run of Chinese characters in it being a name:
//      上行  the value of the nearest line above that has one;
//      小计  the sum of the entries since the nearest blank line, heading, or line using 小计
//            or 合计 above;
//      合计  the sum of the entries since the nearest heading above, or the top of the sheet;
//      any other word: the value of the nearest line above labelled with it.
//    A name stands for the double its line computed, not for the 15-digit text shown.
//  - Entries are the lines with a value and no names; lines with names are never summed, so a
//    total is never counted twice.
//  - A name that refers to nothing: the line is written expression=找不到：name, with the first
//    such name, when it would be a valid expression with a number in its place. A line of only
//    Chinese text, blanks and punctuation is a note instead, and Enter writes nothing on it,
//    when it names nothing known or does not read as an expression at all.
//  - Where the rules find no number either, the line is written the plain way, box included.
// Values come from the text in front of a line's "=", never from a result written behind it,
// so a line evaluated again sees what the lines above say now.
#pragma once

#include "sheet/line_logic.h"
#include "sheet/notifier.h"
#include "sheet/sheet.h"
#include "sheet/sheet_state.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::sheet {

namespace msg {
inline constexpr std::u16string_view kNotFound = u"找不到：";
} // namespace msg

// 全部重算: evaluates every line that carries a result again, from the top down, as Enter would
// with the switch as it stands, and shows no box: a line that would show one is written as
// Enter writes it after the box, and a line whose pre-check faults (Enter would report it and
// leave the line) loses its old result, written expression=. A line is rewritten (and
// recoloured) only when its text changes. The caret stays on its line and column (at the line's
// end if it is shorter now), without a selection; currentLine stays, and a recorded click stays
// on its line and column. Returns how many lines were rewritten. The notifier receives nothing.
// Time and memory in proportion to the sheet's length.
int RecalculateAll(Sheet& sheet, SheetState& state, Notifier& notifier);

// The lines of a sheet answered one after another from the top, each as Enter answers it with
// the switch on when it is the sheet's last line and the lines above stand as Enter left them:
// tolvane-eval --refs. The lines above never change here, so what they say is kept as the
// reading goes on, and a line takes the same time however many came before it (Enter on a
// sheet reads the lines above each time).
class SheetReader {
public:
    SheetReader();
    ~SheetReader();
    SheetReader(const SheetReader&) = delete;
    SheetReader& operator=(const SheetReader&) = delete;

    struct Answer {
        std::u16string line; // as Enter leaves it
        EnterOutcome outcome = EnterOutcome::kNumber;
    };
    // `line` as it stands on the sheet (no CR, no LF). A box or a fault Enter would show goes to
    // the notifier.
    [[nodiscard]] Answer Next(std::u16string_view line, Notifier& notifier);

private:
    struct Lines;
    std::unique_ptr<Lines> m_lines;
};

} // namespace tolvane::sheet

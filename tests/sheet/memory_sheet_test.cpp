#include "sheet/memory_sheet.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tolvane::sheet {
namespace {

// Positions as sheet.h defines them, by walking the lines.
int WalkedLineStart(const MemorySheet& sheet, int line)
{
    int pos = 0;
    for (int i = 0; i < line; ++i)
        pos += static_cast<int>(sheet.LineText(i).size()) + 2;
    return pos;
}

int WalkedLineAt(const MemorySheet& sheet, int pos)
{
    int start = 0;
    for (int i = 0; i + 1 < sheet.LineCount(); ++i) {
        start += static_cast<int>(sheet.LineText(i).size()) + 2;
        if (pos < start)
            return i;
    }
    return sheet.LineCount() - 1;
}

// Every kind of edit in random order, the positions compared with the walk after each: the tree
// of line lengths must follow typing (line breaks in the middle and at the end), replacing,
// appending, selections over several lines and clearing.
TEST(MemorySheet, PositionsFollowEveryEdit)
{
    std::mt19937 random(21);
    MemorySheet sheet(u"1+2\n\nabc");
    const auto pick = [&random](int count) {
        return static_cast<int>(random() % static_cast<unsigned>(count));
    };
    for (int step = 0; step < 3000; ++step) {
        const int lines = sheet.LineCount();
        const int end = WalkedLineStart(sheet, lines - 1) + sheet.LineLength(lines - 1);
        switch (pick(7)) {
        case 0:
            sheet.MoveCaret(pick(end + 1));
            sheet.Type(u"12");
            break;
        case 1:
            sheet.MoveCaret(pick(end + 1));
            sheet.Type(u"\n");
            break;
        case 2:
            sheet.MoveCaret(end);
            sheet.Type(u"x\n");
            break;
        case 3:
            sheet.ReplaceLine(pick(lines), std::u16string(static_cast<std::size_t>(pick(9)), u'7'));
            break;
        case 4:
            sheet.AppendLine(pick(2) ? u"" : u"5*6");
            break;
        case 5:
            sheet.MoveCaret(pick(end + 1));
            sheet.SelectAhead(pick(12));
            sheet.Type(u"=");
            break;
        default:
            if (pick(40) == 0)
                sheet.ClearSheet();
            break;
        }
        for (int line = -1; line <= sheet.LineCount() + 1; ++line)
            ASSERT_EQ(sheet.LineStart(line), WalkedLineStart(sheet, line)) << step;
        const int length = WalkedLineStart(sheet, sheet.LineCount()) + 2;
        for (int pos = -1; pos <= length; ++pos)
            ASSERT_EQ(sheet.LineAt(pos), WalkedLineAt(sheet, pos)) << step << " " << pos;
    }
}

} // namespace
} // namespace tolvane::sheet

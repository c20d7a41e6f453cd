// tolvane-eval's one-line sheet stands in for a MemorySheet of the line: Enter must write the
// same text, end the same way and show the same boxes on both.
#include "sheet/line_logic.h"
#include "sheet/memory_sheet.h"
#include "sheet/utf.h"
#include "tests/sheet/recording_notifier.h"
#include "tools/line_sheet.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane::tools {
namespace {

struct Pressed {
    std::u16string text;
    sheet::EnterOutcome outcome;
    std::string shown;
    sheet::SheetState state;
};

template <typename SheetType> Pressed Press(std::u16string_view line)
{
    SheetType sheet{std::u16string(line)};
    sheet::RecordingNotifier notifier;
    Pressed pressed{};
    pressed.outcome = sheet::PressEnter(sheet, pressed.state, notifier);
    pressed.text = sheet.LineText(0);
    for (const auto& message : notifier.messages)
        pressed.shown += message.caption + "|" + message.text + ";";
    for (const auto& fault : notifier.faults)
        pressed.shown += fault + ";";
    return pressed;
}

TEST(LineSheet, EnterWritesWhatAMemorySheetWrites)
{
    const std::u16string_view lines[] = {
        u"1+2",
        u"1/3",
        u"1 + 2",
        u"2*-3",
        u"（1+2）*3",
        u"foo(1)",
        u"(1+2",
        u"5+",
        u"abc",
        u"   ",
        u"1.2.3",
        u"1+2=99",
        u"  ##1+2=99",
        u"=#  7*6",
        u"a*b@@a=2,b=3",
        u"a*b@@a=2,b=3=6",
        u"==",
        u" # = ",
        u"",
        u"1/0",
        u"5*0/0",
        u"-1.2.3+1",
        u"'1+2=3",
        u"\"a=b\"",
        u"1\r+2\r",
        u"sin(1)*max(1,2,3)",
        u"1+.+2",
        u"一+1",
        u"9/425561982396459766416579632267244711979123003",
    };
    for (const std::u16string_view line : lines) {
        SCOPED_TRACE(sheet::ToUtf8(line));
        const Pressed memory = Press<sheet::MemorySheet>(line);
        const Pressed one = Press<LineSheet>(line);
        EXPECT_EQ(sheet::ToUtf8(one.text), sheet::ToUtf8(memory.text));
        EXPECT_EQ(one.outcome, memory.outcome);
        EXPECT_EQ(one.shown, memory.shown);
        EXPECT_EQ(one.state.currentLine, memory.state.currentLine);
        EXPECT_EQ(one.state.clickPos, memory.state.clickPos);
    }
}

TEST(LineSheet, PositionsCountLinesBeyondTheOnlyOneAsEmpty)
{
    LineSheet sheet(u"12\r3");
    EXPECT_EQ(sheet.Text(), u"123");
    EXPECT_EQ(sheet.CaretPos(), 3);
    EXPECT_EQ(sheet.LineStart(1), 5);
    EXPECT_EQ(sheet.LineStart(3), 9);
    sheet.MoveCaret(1);
    sheet.SelectAhead(7);
    EXPECT_EQ(sheet.SelectionLength(), 2); // "23"
    sheet.MoveCaret(-4);
    EXPECT_EQ(sheet.CaretPos(), 0);
    sheet.MoveCaret(99);
    EXPECT_EQ(sheet.CaretPos(), 3);
}

} // namespace
} // namespace tolvane::tools

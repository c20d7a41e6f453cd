#include "sheet/memory_sheet.h"
#include "sheet/sheet_helpers.h"
#include "tests/sheet/sheet_test_support.h"

#include <gtest/gtest.h>

namespace tolvane::sheet {
namespace {

TEST(LineStart, CountsALineBreakAsTwoPositions)
{
    const MemorySheet sheet(u"1+2=3\n\n7");
    const struct {
        int line, start;
    } cases[] = {{-1, 0}, {0, 0}, {1, 7}, {2, 9}, {3, 12}, {5, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(sheet.LineStart(c.line), c.start);
    }
}

TEST(LineAt, PlacesALineBreakWithTheLineBeforeIt)
{
    const MemorySheet sheet(u"ab\n\ncd");
    const struct {
        int pos, line;
    } cases[] = {{-3, 0}, {0, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 2}, {8, 2}, {99, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pos);
        EXPECT_EQ(sheet.LineAt(c.pos), c.line);
    }
}

TEST(ColorLine, PaintsTheLineLimeAndLeavesItSelected)
{
    MemorySheet sheet(u"1+2\n3");
    sheet.MoveCaret(1);
    sheet.SelectAhead(1);
    sheet.ColorSelection(kRed);
    ColorLine(sheet, 0);
    EXPECT_EQ(ColorMask(sheet, 0), "lll");
    EXPECT_EQ(sheet.CaretPos(), 0);
    EXPECT_EQ(sheet.SelectionLength(), 3); // "1+2"
    EXPECT_EQ(sheet.DefaultColor(), kRed);
}

TEST(ColorOperators, PaintsOperatorsParenthesesAndEqualsRed)
{
    MemorySheet sheet(u"x\n2*(3+4)=14/2-1^2\ny");
    ColorOperators(sheet, 1);
    EXPECT_EQ(ColorMask(sheet, 1), "lrrlrlrrllrlrlll");
    EXPECT_EQ(ColorMask(sheet, 0), "l");
    EXPECT_EQ(ColorMask(sheet, 2), "l");
    EXPECT_EQ(sheet.CaretPos(), sheet.LineStart(1) + 12); // the last operator, "-"
    EXPECT_EQ(sheet.SelectionLength(), 1);
    ColorOperators(sheet, -1);
}

TEST(InsertTemplate, GoesInAtTheCaretOfTheCurrentLine)
{
    const struct {
        std::u16string_view name, text;
        int currentLine, caret;
        std::u16string_view templ, want;
        int wantCaret;
    } cases[] = {
        {u"end of line", u"1+", 0, 2, u"sin()", u"1+sin()", 6},
        {u"middle", u"12", 0, 1, u"sin()", u"1sin()2", 5},
        {u"trailing blank", u"", 0, 0, u"frac() ", u"frac() ", 5},
        {u"no brackets", u"1+", 0, 2, u"pi", u"1+pi", 4},
        {u"something between", u"", 0, 0, u"logN(2,x)", u"logN(2,x)", 9},
        {u"only an opening bracket", u"", 0, 0, u"f(", u"f(", 2},
        {u"leading blank", u"", 0, 0, u" sin()", u" sin()", 5},
        {u"second line", u"7\n1+", 1, 5, u"max()", u"7\r\n1+max()", 9},
        {u"caret before the line", u"7\n1+", 1, 0, u"abs()", u"7\r\nabs()1+", 7},
        // The caret was moved down with the keyboard: the line's end, no text of line 1 copied.
        {u"caret beyond the line", u"1+\n34", 0, 6, u"sqrt()", u"1+sqrt()\r\n34", 7},
        // The sheet was cleared since: the caret's line becomes current.
        {u"current line gone", u"5*", 9, 2, u"sin()", u"5*sin()", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        MemorySheet sheet(c.text);
        sheet.MoveCaret(c.caret);
        int currentLine = c.currentLine;
        InsertTemplate(sheet, currentLine, c.templ);
        EXPECT_EQ(sheet.SheetText(), c.want);
        EXPECT_EQ(sheet.CaretPos(), c.wantCaret);
        EXPECT_EQ(sheet.FocusCount(), 1);
        EXPECT_EQ(currentLine, sheet.LineAt(c.wantCaret));
    }
}

TEST(InsertTemplate, KeepsASelectionBehindTheTemplateAndRecolours)
{
    MemorySheet sheet(u"1+23");
    sheet.MoveCaret(2);
    sheet.SelectAhead(2);
    int currentLine = 0;
    InsertTemplate(sheet, currentLine, u"sqrt()");
    EXPECT_EQ(sheet.LineText(0), u"1+sqrt()23");
    EXPECT_EQ(ColorMask(sheet, 0), "lrllllrrll");
    EXPECT_EQ(sheet.CaretPos(), 7);
}

TEST(MemorySheet, SelectsLineBreaksOnlyWhole)
{
    MemorySheet sheet(u"ab\ncd");
    sheet.MoveCaret(1);
    sheet.SelectAhead(2);
    EXPECT_EQ(sheet.SelectionLength(), 1); // "b"
    sheet.SelectAhead(3);
    EXPECT_EQ(sheet.SelectionLength(), 3); // "b" and the line break
    sheet.SelectAhead(99);
    EXPECT_EQ(sheet.SelectionLength(), 5); // to the end of "cd"
    sheet.MoveCaret(3);
    EXPECT_EQ(sheet.CaretPos(), 2);
}

TEST(MemorySheet, AppendLineEndsOnAnEmptyLine)
{
    MemorySheet sheet(u"typed");
    sheet.ClearSheet();
    EXPECT_EQ(sheet.SheetText(), u"");
    sheet.AppendLine(u"a");
    sheet.AppendLine(u"b");
    EXPECT_EQ(sheet.SheetText(), u"a\r\nb\r\n");
    EXPECT_EQ(sheet.LineCount(), 3);
    MemorySheet unfinished(u"x");
    unfinished.AppendLine(u"y");
    EXPECT_EQ(unfinished.SheetText(), u"x\r\ny\r\n");
}

} // namespace
} // namespace tolvane::sheet

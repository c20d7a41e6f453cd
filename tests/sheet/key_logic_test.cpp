#include "sheet/key_logic.h"
#include "sheet/memory_sheet.h"
#include "tests/sheet/recording_notifier.h"
#include "tests/sheet/sheet_test_support.h"

#include <gtest/gtest.h>

namespace tolvane::sheet {
namespace {

TEST(PressKey, TypesOperatorsRedAndEvaluatesOnEqualsOrEnter)
{
    const struct {
        std::u16string_view keys, line0, mask0;
    } cases[] = {
        {u"1+2=", u"1+2=3", u"lrlrl"},
        {u"1+2\r", u"1+2=3", u"lrlrl"},
        {u"(1+2)*3=", u"(1+2)*3=9", u"rlrlrrlrl"},
        {u"12/4-1=", u"12/4-1=2", u"llrlrlrl"},
        // Typed on the line, before any evaluation.
        {u"(7)-x", u"(7)-x", u"rlrrl"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.keys));
        TestSheet t;
        t.Type(c.keys);
        EXPECT_EQ(t.sheet.LineText(0), c.line0);
        EXPECT_EQ(ColorMask(t.sheet, 0), ToUtf8(c.mask0));
    }
}

TEST(PressKey, EqualsNeverInsertedAndTheNewLineIsCurrent)
{
    TestSheet t;
    t.Type(u"1+2=4*5=");
    EXPECT_EQ(t.sheet.SheetText(), u"1+2=3\r\n4*5=20\r\n");
    EXPECT_EQ(t.state.currentLine, 2);
    EXPECT_EQ(t.sheet.LineAt(t.sheet.CaretPos()), 2);
}

TEST(PressKey, AFaultDropsTheKey)
{
    TestSheet t;
    t.Type(u"1/0=");
    EXPECT_EQ(t.sheet.SheetText(), u"1/0");
    EXPECT_EQ(t.notifier.faults, std::vector<std::string>{"Floating point division by zero"});
    EXPECT_EQ(t.state.currentLine, 0);
}

TEST(PressKey, TypingColourFollowsTheKey)
{
    const struct {
        char16_t key;
        Color color;
    } cases[] = {{u'(', kRed},  {u')', kRed},  {u'*', kRed},           {u'+', kRed},
                 {u'-', kRed},  {u'/', kRed},  {u'1', kLime},          {u'.', kLime},
                 {u',', kLime}, {u'a', kLime}, {kBackspaceKey, kLime}, {u'^', kLime}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.key));
        TestSheet t(u"1");
        t.sheet.SetDefaultColor(c.color == kRed ? kLime : kRed);
        EXPECT_EQ(PressKey(t.sheet, t.state, t.notifier, c.key), KeyAction::kInsert);
        EXPECT_EQ(t.sheet.TypingColor(), c.color);
        EXPECT_EQ(t.sheet.DefaultColor(), c.color);
    }
}

TEST(EqualsIsLiteral, OnlyWhileTypingADefinitionsName)
{
    const struct {
        std::u16string_view before;
        bool literal;
    } cases[] = {
        {u"a*b@@a", true},    {u"a*b@@a=2,b", true},     {u"a*b@@a=2，b", true}, {u"a*b@@", true},
        {u"a*b@@a=2", false}, {u"a*b@@a=2,b=3", false},  {u"a*b", false},        {u"a*b@", false},
        {u"", false},         {u"x@@a=1,b=2@@c", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.before));
        EXPECT_EQ(EqualsIsLiteral(c.before), c.literal);
    }
}

TEST(PressKey, EqualsInADefinitionIsTypedThenEvaluatesTheLine)
{
    TestSheet t;
    t.Type(u"a*b@@a=2,b=3=");
    EXPECT_EQ(t.sheet.SheetText(), u"a*b@@a=2,b=3=6\r\n");
    EXPECT_EQ(ColorMask(t.sheet, 0), "lrl"
                                     "ll"
                                     "lrll"
                                     "lrlrl");
}

TEST(PressKey, AnOperatorAfterAClickNeverMovesTheCaretIntoAnotherLine)
{
    TestSheet t(u"12\n34");
    t.sheet.MoveCaret(2);
    RecordClick(t.sheet, t.state);
    t.Type(u"+5");
    EXPECT_EQ(t.sheet.SheetText(), u"12+5\r\n34");
    EXPECT_EQ(ColorMask(t.sheet, 0), "llrl");
}

TEST(PressKey, AnOperatorTypesOverASelection)
{
    TestSheet t(u"1x2");
    t.sheet.MoveCaret(1);
    t.sheet.SelectAhead(1);
    t.Type(u"*");
    EXPECT_EQ(t.sheet.LineText(0), u"1*2");
    EXPECT_EQ(ColorMask(t.sheet, 0), "lrl");
    EXPECT_EQ(t.sheet.CaretPos(), 2);
}

TEST(RecolorAfterPaste, ColoursTheCurrentLinesOperatorsAndGoesToItsEnd)
{
    MemorySheet sheet(u"1+1\n3*4=(2)\n5-5");
    sheet.MoveCaret(6);
    SheetState state;
    state.currentLine = 1;
    RecolorAfterPaste(sheet, state);
    EXPECT_EQ(ColorMask(sheet, 0), "lll");
    EXPECT_EQ(ColorMask(sheet, 1), "lrlrrlr");
    EXPECT_EQ(ColorMask(sheet, 2), "lll");
    EXPECT_EQ(sheet.CaretPos(), sheet.LineStart(1) + 7);
}

TEST(RecordClick, MakesTheClickedLineCurrent)
{
    MemorySheet sheet(u"1+1\n22\n");
    SheetState state;
    sheet.MoveCaret(6);
    RecordClick(sheet, state);
    EXPECT_EQ(state.currentLine, 1);
    EXPECT_EQ(state.clickPos, 6);
}

} // namespace
} // namespace tolvane::sheet

#include "sheet/line_logic.h"
#include "sheet/memory_sheet.h"
#include "tests/sheet/recording_notifier.h"
#include "tests/sheet/sheet_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane::sheet {
namespace {

struct EnterResult {
    EnterOutcome outcome;
    std::u16string line;
    RecordingNotifier notifier;
    SheetState state;
};

// Enter with the caret at the end of a one-line sheet.
EnterResult EnterOn(std::u16string_view text)
{
    MemorySheet sheet(text);
    EnterResult result{};
    result.outcome = PressEnter(sheet, result.state, result.notifier);
    result.line = sheet.LineText(0);
    return result;
}

const std::string kBox = "出错|表达式输入错误或者超出计算范围！！";

std::string Shown(const RecordingNotifier& notifier)
{
    std::string shown;
    for (const auto& message : notifier.messages)
        shown += message.caption + "|" + message.text;
    for (const auto& fault : notifier.faults)
        shown += "fault|" + fault;
    return shown;
}

TEST(PressEnter, RewritesTheLineAsExpressionEqualsResult)
{
    const struct {
        std::u16string_view line, want;
        EnterOutcome outcome;
        std::string shown;
    } cases[] = {
        {u"1+2", u"1+2=3", EnterOutcome::kNumber, ""},
        {u"1/3", u"1/3=0.333333333333333", EnterOutcome::kNumber, ""},
        // Blanks fail the pre-check; the quiet evaluation normalises them away.
        {u"1 + 2", u"1 + 2=3", EnterOutcome::kNumber, ""},
        {u"2*-3", u"2*-3=-6", EnterOutcome::kNumber, ""},
        // A trailing operator in a product is ignored by the pre-check, which answers "plain".
        {u"2*3*-4", u"2*3*-4=-24", EnterOutcome::kNumber, ""},
        {u"（1+2）*3", u"（1+2）*3=9", EnterOutcome::kNumber, ""},
        {u"(2+3)*4", u"(2+3)*4=20", EnterOutcome::kNumber, ""},
        {u"（2，3）", u"（2，3）=（2，3）", EnterOutcome::kDiagnosed, ""},
        // Both parentheses send a line the reporting way: the box, and nothing behind "=".
        {u"foo(1)", u"foo(1)=", EnterOutcome::kReported, kBox},
        // One parenthesis only goes the quiet way, then to the diagnosis.
        {u"(1+2", u"(1+2=加法表达式错误", EnterOutcome::kDiagnosed, ""},
        {u"5+", u"5+=加法表达式错误", EnterOutcome::kDiagnosed, ""},
        {u"5-", u"5-=减法表达式错误", EnterOutcome::kDiagnosed, ""},
        {u"5*", u"5*=乘法表达式错误", EnterOutcome::kDiagnosed, ""},
        {u"5/", u"5/=除法表达式错误", EnterOutcome::kDiagnosed, ""},
        {u"abc", u"abc=abc", EnterOutcome::kDiagnosed, ""},
        {u"   ", u"   =   ", EnterOutcome::kDiagnosed, ""},
        {u"1.2.3", u"1.2.3=1.2.3", EnterOutcome::kDiagnosed, ""},
        // A piece of points only makes the pre-check answer "not plain".
        {u"1+.+2", u"1+.+2=加法表达式错误", EnterOutcome::kDiagnosed, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.line));
        const EnterResult result = EnterOn(c.line);
        EXPECT_EQ(ToUtf8(result.line), ToUtf8(c.want));
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(Shown(result.notifier), c.shown);
    }
}

struct Written {
    std::u16string_view line, want;
};

void ExpectWritten(std::initializer_list<Written> cases)
{
    for (const Written& c : cases) {
        SCOPED_TRACE(ToUtf8(c.line));
        EXPECT_EQ(ToUtf8(EnterOn(c.line).line), ToUtf8(c.want));
    }
}

TEST(PressEnter, EvaluatesAgainFromTheTextBeforeTheFirstResult)
{
    ExpectWritten({
        {u"1+2=3", u"1+2=3"},
        {u"1+2=99", u"1+2=3"},
        {u"  ##1+2=99=5", u"1+2=3"},
        {u"=#  7*6", u"7*6=42"},
        // Only a matched pair of quotes protects a "=".
        {u"'1+2=3", u"'1+2=加法表达式错误"},
        {u"\"a=b\"", u"\"a=b\"=\"a=b\""},
    });
}

TEST(PressEnter, KeepsTheDefinitionsBehindDoubleAt)
{
    ExpectWritten({
        {u"a*b@@a=2,b=3", u"a*b@@a=2,b=3=6"},
        {u"a*b@@a=2,b=3=6", u"a*b@@a=2,b=3=6"},
        {u"a*b@@a=2,b=4=6", u"a*b@@a=2,b=4=8"},
        {u"a+b@@a=1，b=2", u"a+b@@a=1，b=2=3"},
        {u"a+b@@a=1，b=2=3", u"a+b@@a=1，b=2=3"},
        {u"r*r*pi @@ r = 2", u"r*r*pi @@ r = 2=12.5663706143592"},
        // A "=" before "@@" is a result separator as on any line.
        {u"1+2=0@@a=1", u"1+2=3"},
    });
}

TEST(PressEnter, ReportsPreCheckFaultsAndLeavesTheLineAsTyped)
{
    const struct {
        std::u16string_view line;
        std::string fault;
    } cases[] = {
        {u"1/0", "Floating point division by zero"},
        {u"2+1/0", "Floating point division by zero"},
        {u"5*0/0", "Invalid floating point operation"},
        {u"0/0+1", "Invalid floating point operation"},
        {u"99999999999999999999*99999999999999999999", "Floating point overflow"},
        {u"1+9999999999999999999999999999999999999999", "Floating point overflow"},
        {u"300000000000000000000000000000000000000+300000000000000000000000000000000000000",
         "Floating point overflow"},
        {u"-1.2.3+1", "'-1.2.3' is not a valid floating point value"},
        {u"1+2..5", "'2..5' is not a valid floating point value"},
        {u"2*1.2.3", "'1.2.3' is not a valid floating point value"},
        // What is stored in single precision overflows: a term loaded for the sum, a quotient
        // or product kept as the term's running value.
        {u"1+425561982396459766416579632267244711979123003", "Floating point overflow"},
        {u"425561982396459766416579632267244711979123003/9*2", "Floating point overflow"},
        {u"400000000000000000000*400000000000000000000", "Floating point overflow"},
        {u"1/0.000000000000000000000000000000000000000000001", "Floating point overflow"},
        // From FLT_MAX plus half its last place on, rounding to nearest even overflows.
        {u"340282356779733661637539395458142568448*1", "Floating point overflow"},
        // A partial sum is stored too.
        {u"200000000000000000000000000000000000000+200000000000000000000000000000000000000",
         "Floating point overflow"},
        // The first fault met in the order of the operations is the one reported: the terms
        // holding '*' or '/' are worked out first, from the left, then the sum is loaded.
        {u"0.5-1.2.3", "'1.2.3' is not a valid floating point value"},
        {u"1.2.3+1/0", "Floating point division by zero"},
        {u"425561982396459766416579632267244711979123003*0/0", "Invalid floating point operation"},
        {u"9/425561982396459766416579632267244711979123003+1/0", "Floating point division by zero"},
        {u"1/0*425561982396459766416579632267244711979123003", "Floating point division by zero"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.line));
        const EnterResult result = EnterOn(c.line);
        EXPECT_EQ(result.outcome, EnterOutcome::kFault);
        EXPECT_FALSE(KeyGoesOn(result.outcome));
        EXPECT_EQ(result.line, c.line);
        EXPECT_EQ(Shown(result.notifier), "fault|" + c.fault);
    }
}

// A factor is read in extended precision and used without being stored, so only a value the
// computation keeps can leave the single range.
TEST(PressEnter, LargeFactorsAreNoOverflow)
{
    ExpectWritten({
        {u"9/425561982396459766416579632267244711979123003",
         u"9/425561982396459766416579632267244711979123003=2.11485056755269E-44"},
        {u"1-3/1213375332042913955982018773896362547022",
         u"1-3/1213375332042913955982018773896362547022=1"},
        {u"7917/3635584255926665330966179044115854589670--0098.289-0",
         u"7917/3635584255926665330966179044115854589670--0098.289-0=98.289"},
        {u"425561982396459766416579632267244711979123003/"
         u"425561982396459766416579632267244711979123003",
         u"425561982396459766416579632267244711979123003/"
         u"425561982396459766416579632267244711979123003=1"},
        {u"425561982396459766416579632267244711979123003*0+2",
         u"425561982396459766416579632267244711979123003*0+2=2"},
        // Below FLT_MAX plus half its last place a product still rounds to FLT_MAX.
        {u"340282356779733600000000000000000000000*1",
         u"340282356779733600000000000000000000000*1=3.40282356779734E38"},
    });
}

TEST(PressEnter, LeavesEmptyAndResultOnlyLinesAlone)
{
    for (const std::u16string_view line : {u"", u"=", u" # ==", u"=#="}) {
        SCOPED_TRACE(ToUtf8(line));
        const EnterResult result = EnterOn(line);
        EXPECT_EQ(result.line, line);
        EXPECT_TRUE(KeyGoesOn(result.outcome));
        EXPECT_EQ(result.state.currentLine, 1);
        EXPECT_TRUE(result.notifier.messages.empty() && result.notifier.faults.empty());
    }
}

TEST(PressEnter, ColoursTheLineAndPutsTheCaretBehindIt)
{
    TestSheet t(u"7\n2*(3+4)\n9");
    t.sheet.MoveCaret(t.sheet.LineStart(1) + 2);
    EXPECT_EQ(t.Enter(), EnterOutcome::kNumber);
    EXPECT_EQ(t.sheet.SheetText(), u"7\r\n2*(3+4)=14\r\n9");
    EXPECT_EQ(ColorMask(t.sheet, 1), "lrrlrlrrll");
    EXPECT_EQ(t.sheet.CaretPos(), t.sheet.LineStart(1) + 10);
    EXPECT_EQ(t.sheet.SelectionLength(), 0);
    EXPECT_EQ(t.sheet.DefaultColor(), kRed);
}

TEST(PressEnter, CurrentLineIsTheLineBelowOnEveryPath)
{
    for (const std::u16string_view line : {u"1+2", u"1+2=4", u"abc", u"foo(1)", u""}) {
        SCOPED_TRACE(ToUtf8(line));
        TestSheet t(u"0\n");
        t.sheet.Type(line);
        t.state.currentLine = 7;
        t.Enter();
        EXPECT_EQ(t.state.currentLine, 2);
        EXPECT_EQ(t.state.clickPos, 0);
    }
}

TEST(PressEnter, EvaluatesTheClickedLineWhereverTheCaretWent)
{
    TestSheet t(u"7*6\n1+1\n");
    t.state.clickPos = 2;
    t.sheet.MoveCaret(t.sheet.LineStart(2));
    EXPECT_EQ(t.Enter(), EnterOutcome::kNumber);
    EXPECT_EQ(t.sheet.SheetText(), u"7*6=42\r\n1+1\r\n");
    EXPECT_EQ(t.state.currentLine, 1);
    EXPECT_EQ(t.state.clickPos, 0);
}

TEST(PressEnter, AFaultKeepsTheStateForTheLineAsTyped)
{
    TestSheet t(u"1\n1/0\n");
    t.state.clickPos = 4;
    EXPECT_EQ(t.Enter(), EnterOutcome::kFault);
    EXPECT_EQ(t.sheet.SheetText(), u"1\r\n1/0\r\n");
    EXPECT_EQ(t.state.currentLine, 1);
    EXPECT_EQ(t.state.clickPos, 4);
    EXPECT_EQ(t.sheet.CaretPos(), 4);
}

TEST(DiagnoseOperator, NamesTheOperatorAtFault)
{
    const struct {
        std::u16string_view text, want;
    } cases[] = {
        {u"5+", u"加法表达式错误"},
        {u"-5+", u"加法表达式错误"},
        {u"x*y-", u"减法表达式错误"},
        {u"2(*3", u"乘法表达式错误"},
        {u"a/b", u"除法表达式错误"},
        {u"-a/b", u""},
        {u"+abc", u""},
        {u"abc", u""},
        {u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(ToUtf8(DiagnoseOperator(c.text)), ToUtf8(c.want));
    }
}

TEST(NormalizeLine, MapsFullWidthPunctuationAndDropsBlanks)
{
    EXPECT_EQ(NormalizeLine(u" （1 + 2）\r\n*max(1，2) "), u"(1+2)*max(1,2)");
}

TEST(ExpressionBeforeResult, SkipsBlanksAndHashesAndEmptyPieces)
{
    EXPECT_EQ(ExpressionBeforeResult(u"== # 1+2=3"), u"1+2");
    EXPECT_EQ(ExpressionBeforeResult(u" # = ##="), std::nullopt);
    EXPECT_FALSE(HasResultSeparator(u"a*b@@a=2,b=3"));
    EXPECT_FALSE(HasResultSeparator(u"'1=2'"));
    EXPECT_TRUE(HasResultSeparator(u"a@@x=1,y=2=3"));
}

} // namespace
} // namespace tolvane::sheet

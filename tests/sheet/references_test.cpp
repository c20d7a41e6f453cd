// The reading of references (引用与合计) on the in-memory sheet: the shared rows typed line after
// line, edits above a total, the cache, and 全部重算.
#include "sheet/reference_cache.h"
#include "sheet/references.h"
#include "tests/sheet/sheet_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::sheet {
namespace {

// ---- The rows shared with tolvane-eval --refs -------------------------------------------------

struct Row {
    std::string typed, written, outcome;
};
struct Case {
    std::string title;
    std::vector<Row> rows;
};

// Built anew rather than replaced in place: GCC 12 at -O3 warns falsely (-Wrestrict) about
// std::string::replace in the cross builds.
std::string Unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.substr(at, 2) == "\\t") {
            out += '\t';
            ++at;
        } else {
            out += text[at];
        }
    }
    return out;
}

std::vector<Case> ReadRows()
{
    std::ifstream file(TOLVANE_REFERENCE_ROWS, std::ios::binary);
    std::vector<Case> cases;
    std::string line;
    while (std::getline(file, line)) {
        if (line.starts_with("%%") && !line.starts_with("%#")) {
            cases.push_back({line.substr(3), {}});
            continue;
        }
        if (line.starts_with("%#") || line.empty())
            continue;
        std::istringstream fields(line);
        Row row;
        std::getline(fields, row.typed, '\t');
        std::getline(fields, row.written, '\t');
        std::getline(fields, row.outcome, '\t');
        cases.back().rows.push_back({Unescaped(row.typed), Unescaped(row.written), row.outcome});
    }
    return cases;
}

std::string OutcomeName(EnterOutcome outcome)
{
    switch (outcome) {
    case EnterOutcome::kEmptyLine:
        return "empty";
    case EnterOutcome::kNoExpression:
        return "noexpr";
    case EnterOutcome::kNumber:
        return "number";
    case EnterOutcome::kReported:
        return "reported";
    case EnterOutcome::kDiagnosed:
        return "diagnosed";
    case EnterOutcome::kFault:
        return "fault";
    case EnterOutcome::kTextLine:
        return "text";
    }
    return "?";
}

TEST(References, TheSharedRowsTypedLineAfterLine)
{
    const std::vector<Case> cases = ReadRows();
    ASSERT_GE(cases.size(), 15u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        TestSheet sheet;
        sheet.state.references = true;
        for (std::size_t k = 0; k < c.rows.size(); ++k) {
            const Row& row = c.rows[k];
            SCOPED_TRACE(row.typed);
            if (k > 0) {
                sheet.sheet.MoveCaret(1 << 30);
                sheet.sheet.Type(u"\n");
            }
            sheet.sheet.Type(ToUtf16(row.typed));
            sheet.notifier = RecordingNotifier();
            const EnterOutcome outcome = sheet.Enter();
            EXPECT_EQ(ToUtf8(sheet.sheet.LineText(static_cast<int>(k))), row.written);
            EXPECT_EQ(OutcomeName(outcome), row.outcome);
            EXPECT_EQ(sheet.notifier.messages.size(), row.outcome == "reported" ? 1u : 0u);
            EXPECT_EQ(sheet.notifier.faults.size(), row.outcome == "fault" ? 1u : 0u);
        }
    }
}

// ---- Enter with and without the switch ------------------------------------------------------

// Enter on the last line of a sheet, the caret at its end.
std::string EnterOnLast(std::u16string_view text, bool references)
{
    TestSheet sheet(text);
    sheet.state.references = references;
    sheet.Enter();
    return ToUtf8(sheet.sheet.LineText(sheet.sheet.LineCount() - 1));
}

TEST(References, OffEveryLineIsReadThePlainWay)
{
    const struct {
        std::u16string_view sheet;
        std::string_view off, on;
    } cases[] = {
        {u"午饭 25\n合计", "合计=合计", "合计=25"},
        {u"1/3\n上行*3", "上行*3=乘法表达式错误", "上行*3=1"},
        {u"午饭：25+13", "午饭：25+13=加法表达式错误", "午饭：25+13=38"},
        {u"# 三月", "# 三月=# 三月", "# 三月"},
        {u"晚饭 40 // 加班", "晚饭 40 // 加班=除法表达式错误", "晚饭 40 // 加班=40"},
        {u"今天很累", "今天很累=今天很累", "今天很累"},
        {u"1+2=99", "1+2=3", "1+2=3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.sheet));
        EXPECT_EQ(EnterOnLast(c.sheet, false), c.off);
        EXPECT_EQ(EnterOnLast(c.sheet, true), c.on);
    }
}

// Values come from the text in front of '=', whether a line carries a result or not yet, and
// never from the result written behind it.
TEST(References, ValuesComeFromTheTextNeverFromTheResult)
{
    const struct {
        std::u16string_view sheet;
        std::string_view want;
    } cases[] = {
        {u"午饭 25\n晚饭 40\n合计", "合计=65"},
        {u"午饭 25=99\n晚饭 40=0\n合计", "合计=65"},
        {u"午饭 25\n小计=65\n上行+1=3", "上行+1=26"},
        {u"合计=999\n午饭 1\n合计", "合计=1"},
        {u"午饭：2=2\n午饭：3=2\n午饭*10=20", "午饭*10=30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.sheet));
        EXPECT_EQ(EnterOnLast(c.sheet, true), c.want);
    }
}

// Edits above a total change it the next time it is evaluated: a changed line is a new text, a
// removed or inserted line is read where it stands now.
TEST(References, EditsAboveATotalChangeItNextTime)
{
    TestSheet sheet(u"午饭 25\n晚饭 40\n合计");
    sheet.state.references = true;
    const auto enterOnTotal = [&sheet] {
        const int last = sheet.sheet.LineCount() - 1;
        sheet.sheet.MoveCaret(sheet.sheet.LineStart(last) + sheet.sheet.LineLength(last));
        sheet.Enter();
        return ToUtf8(sheet.sheet.LineText(last));
    };
    EXPECT_EQ(enterOnTotal(), "合计=65");
    sheet.sheet.ReplaceLine(0, u"午饭 30=25");
    EXPECT_EQ(enterOnTotal(), "合计=70");
    sheet.sheet.MoveCaret(sheet.sheet.LineStart(1));
    sheet.sheet.Type(u"打车 5\n");
    EXPECT_EQ(enterOnTotal(), "合计=75");
    sheet.sheet.ReplaceLine(1, u"打车");
    EXPECT_EQ(enterOnTotal(), "合计=70");
    // The same line again further up, and back: the cache keeps both texts, each right.
    sheet.sheet.ReplaceLine(1, u"打车 5");
    EXPECT_EQ(enterOnTotal(), "合计=75");
}

TEST(References, TheCacheStaysWithinItsBudgetAndStaysRight)
{
    std::u16string text;
    for (int i = 0; i < 200; ++i)
        text += u"项目 " + ToUtf16(std::to_string(i)) + u"\n";
    text += u"合计";
    TestSheet sheet(text);
    sheet.state.references = true;
    sheet.state.referenceCache = std::make_shared<ReferenceCache>(4096);
    for (int round = 0; round < 3; ++round) {
        sheet.sheet.ReplaceLine(200, u"合计");
        sheet.sheet.MoveCaret(1 << 30);
        sheet.Enter();
        EXPECT_EQ(ToUtf8(sheet.sheet.LineText(200)), "合计=19900");
        // Past the budget after one pass over the sheet, emptied before the next.
        EXPECT_GT(sheet.state.referenceCache->Bytes(), 4096u);
    }
    ReferenceCache& cache = *sheet.state.referenceCache;
    cache.BeginPass();
    EXPECT_EQ(cache.LineCount(), 0u);
}

// A chain of 100 000 lines, each the one above plus one: one pass down the sheet, no recursion
// that could run out of stack.
TEST(References, AChainOfAHundredThousandLines)
{
    std::u16string text = u"0\n";
    for (int i = 0; i < 100'000; ++i)
        text += u"上行+1=0\n";
    text += u"上行";
    TestSheet sheet(text);
    sheet.state.references = true;
    sheet.Enter();
    EXPECT_EQ(ToUtf8(sheet.sheet.LineText(100'001)), "上行=100000");
    EXPECT_EQ(RecalculateAll(sheet.sheet, sheet.state, sheet.notifier), 100'000);
    EXPECT_EQ(ToUtf8(sheet.sheet.LineText(100'000)), "上行+1=100000");
}

// ---- 全部重算 --------------------------------------------------------------------------------

struct Recalculated {
    int rewritten = 0;
    std::vector<std::string> lines;
    RecordingNotifier notifier;
};

Recalculated Recalculate(std::u16string_view text, bool references)
{
    TestSheet sheet(text);
    sheet.state.references = references;
    Recalculated r;
    r.rewritten = RecalculateAll(sheet.sheet, sheet.state, sheet.notifier);
    for (int i = 0; i < sheet.sheet.LineCount(); ++i)
        r.lines.push_back(ToUtf8(sheet.sheet.LineText(i)));
    r.notifier = sheet.notifier;
    return r;
}

TEST(RecalculateAll, EvaluatesEveryLineWithAResultOnceWithoutBoxes)
{
    const struct {
        std::u16string_view sheet;
        bool references;
        std::vector<std::string> want;
        int rewritten;
    } cases[] = {
        // Up to date already: nothing rewritten.
        {u"1+2=3\n2*3=6", false, {"1+2=3", "2*3=6"}, 0},
        // Stale results, lines without one untouched, a box line written as after the box, a
        // fault line stripped of its old result, a line of "=" left alone.
        {u"1+2=99\n7*6\nfoo(1)=5\n1/0=7\n==\n5+=x",
         false,
         {"1+2=3", "7*6", "foo(1)=", "1/0=", "==", "5+=加法表达式错误"},
         4},
        // With the switch off, names are words.
        {u"午饭 25=25\n合计=25", false, {"午饭 25=午饭 25", "合计=合计"}, 2},
        // With it on: an edit above brings every total below up to date in one pass; headings,
        // comments, notes and lines without a result stay; lines without one still count.
        {u"# 三月\n午饭 30=25\n晚饭 40\n// 注释\n记得报销\n小计=65\n含税：上行*1.1=71.5\n合计=1",
         true,
         {"# 三月", "午饭 30=30", "晚饭 40", "// 注释", "记得报销", "小计=70", "含税：上行*1.1=77",
          "合计=70"},
         4},
        // A name nothing answers to, and a result written for a note before the switch was on.
        {u"夜宵*2=0\n今天很累=今天很累", true, {"夜宵*2=找不到：夜宵", "今天很累=今天很累"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.sheet));
        const Recalculated r = Recalculate(c.sheet, c.references);
        EXPECT_EQ(r.lines, c.want);
        EXPECT_EQ(r.rewritten, c.rewritten);
        EXPECT_TRUE(r.notifier.messages.empty());
        EXPECT_TRUE(r.notifier.faults.empty());
        // A second pass finds everything up to date.
        TestSheet again(ToUtf16([&] {
            std::string joined;
            for (const std::string& line : r.lines)
                joined += (joined.empty() ? "" : "\n") + line;
            return joined;
        }()));
        again.state.references = c.references;
        EXPECT_EQ(RecalculateAll(again.sheet, again.state, again.notifier), 0);
    }
}

// Lines above get shorter, so positions move: the caret and a recorded click keep their line
// and column (the next Enter still evaluates the line clicked).
TEST(RecalculateAll, KeepsTheCaretAndTheClickOnTheirLinesAndColumns)
{
    TestSheet sheet(u"1+2=99999\n午饭 5=0\n合计=0\n上行*2=1234567");
    sheet.state.references = true;
    sheet.sheet.MoveCaret(sheet.sheet.LineStart(3) + 5);
    sheet.sheet.SelectAhead(2);
    sheet.state.currentLine = 2;
    sheet.state.clickPos = sheet.sheet.LineStart(2) + 3;
    EXPECT_EQ(RecalculateAll(sheet.sheet, sheet.state, sheet.notifier), 4);
    EXPECT_EQ(ToUtf8(sheet.sheet.LineText(2)), "合计=8");
    EXPECT_EQ(ToUtf8(sheet.sheet.LineText(3)), "上行*2=16");
    EXPECT_EQ(sheet.sheet.CaretPos(), sheet.sheet.LineStart(3) + 5);
    EXPECT_EQ(sheet.sheet.SelectionLength(), 0);
    EXPECT_EQ(sheet.state.currentLine, 2);
    EXPECT_EQ(sheet.state.clickPos, sheet.sheet.LineStart(2) + 3);

    // A column past the line's new end goes to the end; no click stays no click.
    sheet.sheet.ReplaceLine(3, u"上行*3=1234567");
    sheet.sheet.MoveCaret(sheet.sheet.LineStart(3) + 12);
    sheet.state.clickPos = 0;
    EXPECT_EQ(RecalculateAll(sheet.sheet, sheet.state, sheet.notifier), 1);
    EXPECT_EQ(ToUtf8(sheet.sheet.LineText(3)), "上行*3=24");
    EXPECT_EQ(sheet.sheet.CaretPos(), sheet.sheet.LineStart(3) + 7);
    EXPECT_EQ(sheet.state.clickPos, 0);
}

} // namespace
} // namespace tolvane::sheet

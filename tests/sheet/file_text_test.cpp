// A sheet as file text: line breaks, controls, binary data, the written bytes, and the
// colours of a line read back.
#include "sheet/file_text.h"
#include "sheet/memory_sheet.h"
#include "sheet/sheet_helpers.h"
#include "sheet/text_decoder.h"
#include "sheet/utf.h"
#include "tests/sheet/sheet_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane::sheet {
namespace {

using namespace std::string_view_literals;

// The sheet lines a file's bytes give.
std::vector<std::u16string> LinesOf(std::string_view bytes)
{
    const std::u16string clean = CleanSheetText(DecodeText(bytes));
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = clean.find(u'\n', start);
        lines.push_back(clean.substr(start, end - start));
        if (end == std::u16string::npos)
            return lines;
        start = end + 1;
    }
}

TEST(CleanSheetText, EveryLineBreakIsOneLineAndControlsAreShown)
{
    const struct {
        const char* name;
        std::u16string_view text, want;
    } cases[] = {
        {"LF", u"1+2\n3", u"1+2\n3"},
        {"CR LF", u"1+2\r\n3\r\n", u"1+2\n3\n"},
        {"lone CR", u"1+2\r3\r", u"1+2\n3\n"},
        {"LF CR is two breaks", u"a\n\rb", u"a\n\nb"},
        {"CR CR LF is two breaks", u"a\r\r\nb", u"a\n\nb"},
        {"NUL", u"1+\u00002"sv, u"1+\uFFFD2"},
        {"TAB stays", u"1\t+2", u"1\t+2"},
        {"form feed, escape, DEL", u"\f\x1B\x7F", u"\uFFFD\uFFFD\uFFFD"},
        {"C1 next line", u"a\u0085b", u"a\uFFFDb"},
        {"line and paragraph separators", u"a\u2028b\u2029c", u"a\uFFFDb\uFFFDc"},
        {"replacement and BOM-like text stay", u"\uFFFD\uFEFF", u"\uFFFD\uFEFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CleanSheetText(c.text), c.want);
    }
}

TEST(LooksBinary, AFewStrayControlsAreTextManyAreNot)
{
    const std::u16string prose(400, u'7');
    const struct {
        const char* name;
        std::u16string text;
        bool binary;
    } cases[] = {
        {"plain sheet", u"1+2=3\r\n\t4*5=20\n", false},
        {"one NUL", std::u16string(u"1+\u00002=3"sv), false},
        {"seven NULs in a short text", std::u16string(7, u'\0') + u"1+2", false},
        {"eight NULs in a short text", std::u16string(8, u'\0') + u"1+2", true},
        {"eight NULs in 400 digits", std::u16string(8, u'\0') + prose, false},
        {"thirteen NULs in 400 digits", std::u16string(13, u'\0') + prose, true},
        {"line breaks never count", std::u16string(50, u'\n') + std::u16string(50, u'\r'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LooksBinary(c.text), c.binary);
    }
}

TEST(SheetFileBytes, Utf8WithLineFeedsBetweenLines)
{
    const struct {
        const char* name;
        std::vector<std::u16string_view> lines;
        std::string_view bytes;
    } cases[] = {
        {"no lines", {}, ""sv},
        {"one empty line", {u""}, ""sv},
        {"last line closed", {u"1+2=3", u""}, "1+2=3\n"sv},
        {"last line open", {u"1+2=3", u"7"}, "1+2=3\n7"sv},
        {"chinese", {u"你好=你好"}, "\xE4\xBD\xA0\xE5\xA5\xBD=\xE4\xBD\xA0\xE5\xA5\xBD"sv},
        {"unpaired surrogate", {u"1\xD800"}, "1\xEF\xBF\xBD"sv},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SheetFileBytes(c.lines), c.bytes);
    }
}

TEST(SheetFileBytes, ReadBackGivesTheSameLines)
{
    const std::vector<std::vector<std::u16string>> sheets = {
        {u"1+2=3", u"a*b@@a=2,b=3=6", u"5+=加法表达式错误", u"（1+2）*3=9", u"", u"", u"7"},
        {u"汇总：房租 3500 元", u"3500*12=42000", u""},
        {u" 1 + 2=3", u"\t#7=7", u"1/0"},
        {u""},
        {u"", u""},
    };
    for (const auto& lines : sheets) {
        SCOPED_TRACE(ToUtf8(lines.front()));
        const std::vector<std::u16string_view> views(lines.begin(), lines.end());
        EXPECT_EQ(LinesOf(SheetFileBytes(views)), lines);
    }
}

TEST(ReadingAFile, AcceptsEveryLineEndingAndUtf16)
{
    const std::vector<std::u16string> want = {u"1+2=3", u"你好", u""};
    const struct {
        const char* name;
        std::string_view bytes;
    } cases[] = {
        {"utf-8 LF", "1+2=3\n\xE4\xBD\xA0\xE5\xA5\xBD\n"sv},
        {"utf-8 CR LF", "1+2=3\r\n\xE4\xBD\xA0\xE5\xA5\xBD\r\n"sv},
        {"utf-8 CR", "1+2=3\r\xE4\xBD\xA0\xE5\xA5\xBD\r"sv},
        {"utf-8 BOM", "\xEF\xBB\xBF"
                      "1+2=3\n\xE4\xBD\xA0\xE5\xA5\xBD\n"sv},
        {"utf-16 le", "\xFF\xFE"
                      "1\0+\0"
                      "2\0=\0"
                      "3\0\r\0\n\0`O}Y\n\0"sv},
        {"utf-16 be", "\xFE\xFF\0"
                      "1\0+\0"
                      "2\0=\0"
                      "3\0\nO`Y}\0\n"sv},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LinesOf(c.bytes), want);
    }
}

TEST(OpenedLineColors, LinesWithAResultLookAsAfterEnter)
{
    // Each line is coloured by Enter's own helpers on a sheet, then compared with the plan.
    const std::u16string_view lines[] = {
        u"1+2=3",   u"2*(3+4)=14", u"2*-3=-6",      u"a*b@@a=2,b=3=6", u"5+=加法表达式错误",
        u"abc=abc", u"1+2=",       u"(1+2)*3=9=99", u"（1+2）*3=9",    u"sin(1)=0.841470984807897",
    };
    for (const std::u16string_view line : lines) {
        SCOPED_TRACE(ToUtf8(line));
        ASSERT_TRUE(CarriesResult(line));
        MemorySheet sheet(line);
        ColorLine(sheet, 0);
        ColorOperators(sheet, 0);
        std::string planned(line.size(), '?');
        for (const ColorRun& run : OpenedLineColors(line))
            planned.replace(run.column, run.length, run.length, run.color == kRed ? 'r' : 'l');
        EXPECT_EQ(planned, ColorMask(sheet, 0));
    }
}

TEST(OpenedLineColors, OtherLinesAreLime)
{
    const std::u16string_view lines[] = {
        u"1+2",                                     // typed, never evaluated
        u"a*b@@a=2,b=3",                            // a definition's "=" is no result
        u"'x=1'+2",                                 // quoted "="
        u"==",                                      // no expression before the "="
        u"1. 四则运算 + - * / 、括号()、正负(+ -)", // the help text
    };
    for (const std::u16string_view line : lines) {
        SCOPED_TRACE(ToUtf8(line));
        EXPECT_FALSE(CarriesResult(line));
        const std::vector<ColorRun> want = {{0, static_cast<int>(line.size()), kLime}};
        EXPECT_EQ(OpenedLineColors(line), want);
    }
    EXPECT_TRUE(OpenedLineColors(u"").empty());
}

} // namespace
} // namespace tolvane::sheet

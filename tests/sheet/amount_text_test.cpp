// A result as the user carries it elsewhere: which texts count as a number, the grouping by
// thousands and the uppercase amount of bills.
#include "engine/engine.h"
#include "sheet/amount_text.h"
#include "sheet/result_text.h"
#include "sheet/utf.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace tolvane::sheet {
namespace {

std::string Uppercase(std::string_view number)
{
    const UppercaseAmount amount = ToUppercaseAmount(ToUtf16(number));
    switch (amount.problem) {
    case AmountProblem::kNone:
        return ToUtf8(amount.text);
    case AmountProblem::kNotANumber:
        return "(not a number)";
    case AmountProblem::kTooLarge:
        return "(too large)";
    }
    return "?";
}

TEST(ToUppercaseAmount, FollowsTheRulesForBills)
{
    const struct {
        std::string_view number, want;
    } cases[] = {
        // The examples the rules and the request give.
        {"0", "零元整"},
        {"0.5", "伍角"},
        {"10", "壹拾元整"},
        {"16", "壹拾陆元整"},
        {"100.05", "壹佰元零伍分"},
        {"1005.5", "壹仟零伍元伍角"},
        {"1409.5", "壹仟肆佰零玖元伍角"},
        {"6007.14", "陆仟零柒元壹角肆分"},
        {"1680.32", "壹仟陆佰捌拾元零叁角贰分"},
        {"107000.53", "壹拾万柒仟元零伍角叁分"},
        {"16409.02", "壹万陆仟肆佰零玖元零贰分"},
        {"325.04", "叁佰贰拾伍元零肆分"},
        {"100000000", "壹亿元整"},
        {"200000000.01", "贰亿元零壹分"},
        {"-3.2", "负叁元贰角"},
        // Below one yuan: 角 and 分 alone.
        {"0.05", "伍分"},
        {"0.32", "叁角贰分"},
        {"-0.07", "负柒分"},
        // 壹拾 wherever ten to nineteen heads a section.
        {"110", "壹佰壹拾元整"},
        {"19.9", "壹拾玖元玖角"},
        {"100010", "壹拾万零壹拾元整"},
        {"150000000", "壹亿伍仟万元整"},
        // Zeros inside a section: one 零 a run; at its end: none.
        {"1009", "壹仟零玖元整"},
        {"1090", "壹仟零玖拾元整"},
        {"1900", "壹仟玖佰元整"},
        {"1000.5", "壹仟元零伍角"},
        {"1000.05", "壹仟元零伍分"},
        {"1000.55", "壹仟元零伍角伍分"},
        // Zeros around 万 and 亿.
        {"10000", "壹万元整"},
        {"10001", "壹万零壹元整"},
        {"10100", "壹万零壹佰元整"},
        {"11000", "壹万壹仟元整"},
        {"100100", "壹拾万零壹佰元整"},
        {"10070000", "壹仟零柒万元整"},
        {"100010000", "壹亿零壹万元整"},
        {"100001000", "壹亿零壹仟元整"},
        {"500000001", "伍亿零壹元整"},
        {"1000000001", "壹拾亿零壹元整"},
        {"1000100000", "壹拾亿零壹拾万元整"},
        {"2030000000", "贰拾亿叁仟万元整"},
        {"1000000000000", "壹万亿元整"},
        {"1000100000000", "壹万零壹亿元整"},
        {"1000000000001", "壹万亿零壹元整"},
        {"1000000010000", "壹万亿零壹万元整"},
        {"10000000000000", "壹拾万亿元整"},
        {"100000000000000", "壹佰万亿元整"},
        {"123456789012345", "壹佰贰拾叁万肆仟伍佰陆拾柒亿捌仟玖佰零壹万贰仟叁佰肆拾伍元整"},
        // Exponent notation is read as the decimal value it stands for.
        {"1E15", "壹仟万亿元整"},
        {"2.5E15", "贰仟伍佰万亿元整"},
        {"1.0000001E15", "壹仟万零壹亿元整"},
        {"1.00000001E15", "壹仟万亿壹仟万元整"},
        {"9.99999999999999E15", "玖仟玖佰玖拾玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾元整"},
        {"1.5E-5", "零元整"},
        // Half away from zero at the fen, on the decimal digits as shown.
        {"3.005", "叁元零壹分"},
        {"3.0049", "叁元整"},
        {"2.675", "贰元陆角捌分"},
        {"0.005", "壹分"},
        {"-0.005", "负壹分"},
        {"0.004", "零元整"},
        {"-0.004", "零元整"},
        {"0.125", "壹角叁分"},
        {"-0.125", "负壹角叁分"},
        {"9.995", "壹拾元整"},
        {"99999.995", "壹拾万元整"},
        {"0.995", "壹元整"},
        // Beyond the units, and texts that are no number.
        {"1E16", "(too large)"},
        {"-1E16", "(too large)"},
        {"1.5E300", "(too large)"},
        {"abc", "(not a number)"},
        {"", "(not a number)"},
        {"1,234", "(not a number)"},
        {"加法表达式错误", "(not a number)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(Uppercase(c.number), c.want);
    }
}

TEST(GroupThousands, GroupsTheWholePartOnly)
{
    const struct {
        std::string_view number, want;
    } cases[] = {
        {"0", "0"},
        {"123", "123"},
        {"1234", "1,234"},
        {"-1234", "-1,234"},
        {"123456", "123,456"},
        {"1234567.891", "1,234,567.891"},
        {"-0.123456789", "-0.123456789"},
        {"100000000000000", "100,000,000,000,000"},
        {"1.4142135623731", "1.4142135623731"},
        {"2.11485056755269E-44", "2.11485056755269E-44"},
        {"2.5E15", "2.5E15"},
        {"加法表达式错误", "加法表达式错误"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(ToUtf8(GroupThousands(ToUtf16(c.number))), c.want);
    }
}

TEST(IsNumberText, AcceptsWhatFormatNumberWritesForFiniteValues)
{
    // Random bit patterns cover every decade, subnormals included; the fixed values the edges
    // of fixed notation and the shortest and longest texts.
    std::mt19937_64 random(20240611);
    for (int k = 0; k < 200000; ++k) {
        const double value = std::bit_cast<double>(random());
        if (!std::isfinite(value))
            continue;
        const std::string text = engine::FormatNumber(value);
        ASSERT_TRUE(IsNumberText(ToUtf16(text))) << text;
    }
    for (double value : {0.0, -0.0, 1e-5, 1e-4, 0.00012345678901234, 1e14, 99999999999999.9, 1e15,
                         -1.7976931348623157e308, 4.9406564584124654e-324, 1.0 / 3}) {
        const std::string text = engine::FormatNumber(value);
        EXPECT_TRUE(IsNumberText(ToUtf16(text))) << text;
    }
}

TEST(IsNumberText, RefusesOtherShapes)
{
    for (std::string_view text : {"",
                                  "-",
                                  "-0",
                                  "+3",
                                  "003",
                                  "0.50",
                                  "1.",
                                  ".5",
                                  "1,234",
                                  " 3",
                                  "3 ",
                                  "1e5",
                                  "1E+5",
                                  "1E5",
                                  "1E14",
                                  "1E-4",
                                  "1E015",
                                  "10E15",
                                  "1.0E15",
                                  "1E309",
                                  "1E-325",
                                  "0.00001",
                                  "1234567890123456",
                                  "0.1234567890123456",
                                  "1.234567890123456E-5",
                                  "1.234567890123456E20",
                                  "INF",
                                  "-INF",
                                  "NAN",
                                  "1.2.3",
                                  "加法表达式错误",
                                  "1+2"}) {
        EXPECT_FALSE(IsNumberText(ToUtf16(text))) << text;
    }
}

TEST(NumericResult, IsTheNumberBehindTheLastSeparator)
{
    const struct {
        std::string_view line;
        std::optional<std::string_view> want;
    } cases[] = {
        {"1+2=3", "3"},
        {"1/3=0.333333333333333", "0.333333333333333"},
        {"1+2=3=99", "99"},
        {"a*b@@a=2,b=3=6", "6"},
        {"1/7*10^-43=1.42857142857143E-44", "1.42857142857143E-44"},
        {"2.5*10^15=2.5E15", "2.5E15"},
        {"12=12", "12"},
        {"5+=加法表达式错误", std::nullopt},
        {"foo(1)=", std::nullopt},
        {"abc=abc", std::nullopt},
        {"1E15=1E15", std::nullopt}, // the echo of a line the engine could not read
        {"1+2", std::nullopt},
        {"a@@a=2", std::nullopt}, // a definition, no result
        {"'='", std::nullopt},
        {"1+2=3 ", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::optional<std::u16string> result = NumericResult(ToUtf16(c.line));
        const std::optional<std::string> got =
            result ? std::optional<std::string>(ToUtf8(*result)) : std::nullopt;
        EXPECT_EQ(got, c.want);
    }
}

} // namespace
} // namespace tolvane::sheet

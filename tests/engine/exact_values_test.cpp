// Values one line hands to another unrounded: the exact text of a double, exact named values in
// an expression, the unrounded result of an evaluation, the check of a text with its named
// values, and the running sum of a column.
#include "engine/engine.h"
#include "engine/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace tolvane::engine {
namespace {

std::string ExactText(double value)
{
    std::string text;
    AppendExactNumber(value, text);
    return text;
}

TEST(AppendExactNumber, WritesFixedNotationThatReadsBackAsTheDouble)
{
    const struct {
        double value;
        std::string_view want; // empty: only the round trip is checked
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.0, "1"},
        {-2.5, "-2.5"},
        {1e20, "100000000000000000000"},
        {0.1, "0.100000000000000005551"},
        {1.0 / 3, "0.33333333333333331483"},
        {1e-5, "0.000010000000000000000818"},
        {123456789012345678.0, "123456789012345680"},
        {std::numeric_limits<double>::max(), ""},
        {std::numeric_limits<double>::min(), ""},
        {std::numeric_limits<double>::denorm_min(), ""},
        {-std::numeric_limits<double>::denorm_min(), ""},
        {6.02214076e23, ""},
        {std::nextafter(1.0, 2.0), ""},
    };
    for (const auto& c : cases) {
        const std::string text = ExactText(c.value);
        SCOPED_TRACE(text);
        if (!c.want.empty()) {
            EXPECT_EQ(text, c.want);
        }
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos);
        const auto back = ParseNumber(text);
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(*back == Extended(c.value));
    }
}

// An exact named value stands for its double; a sign keeps every digit, where a sign in front of
// a typed number gives a 15-digit result like any operation.
TEST(ExactNamedValues, ReachTheEvaluationUnrounded)
{
    const double third = 1.0 / 3;
    const struct {
        std::string_view text;
        double x;
        std::string_view want;
    } cases[] = {
        {"x*3", third, "1"},    {"-x*3", third, "-1"},   {"x*-3", -third, "1"},
        {"0-x*3", third, "-1"}, {"x^2", -2, "4"},        {"2^x", -1, "0.5"},
        {"x", 0.1, "0.1"},      {"x*1", 1e300, "1E300"}, {"x/1E0", 5, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        NamedValues named;
        ASSERT_TRUE(named.SetExact("x", c.x));
        const Evaluation e = EvaluateExpression(c.text, named);
        if (c.want.empty()) {
            EXPECT_FALSE(e.ok);
            continue;
        }
        ASSERT_TRUE(e.ok) << e.error;
        EXPECT_EQ(FormatNumber(e.value), c.want);
    }
    // A function receives the argument with all its digits, the sign's too; its own result is
    // an operation's, rounded to 15 digits for what follows.
    for (const std::string_view text : {"abs(x)", "max(x,-1)", "abs(-x)"}) {
        SCOPED_TRACE(text);
        NamedValues named;
        named.SetExact("x", -third);
        const Evaluation e = EvaluateExpression(text, named);
        ASSERT_TRUE(e.ok);
        EXPECT_EQ(std::fabs(e.unrounded), third);
    }
    // The same value as a plain named value goes in as its 15-digit text.
    NamedValues plain;
    plain.Set("x", third);
    EXPECT_EQ(FormatNumber(EvaluateExpression("x*3", plain).value), "0.999999999999999");
}

TEST(ExactNamedValues, RefuseWhatHasNoDigitsAndCountWhatTheyHold)
{
    NamedValues named;
    EXPECT_FALSE(named.HasExact());
    EXPECT_FALSE(named.SetExact("x", std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(named.SetExact("x", std::nan("")));
    EXPECT_FALSE(named.SetExact("1x", 1));
    EXPECT_FALSE(named.HasExact());
    EXPECT_TRUE(named.SetExact("x", 2));
    EXPECT_TRUE(named.HasExact());
    named.Set("x", 2); // an exact entry set plainly is plain again
    EXPECT_FALSE(named.HasExact());
    EXPECT_TRUE(named.SetExact("pi", 3));
    EXPECT_TRUE(named.HasExact());
    ResetNamedValues(named);
    EXPECT_FALSE(named.HasExact());
}

TEST(EvaluateExpression, GivesTheUnroundedDoubleBesideTheValue)
{
    const NamedValues constants;
    const struct {
        std::string_view text;
        double unrounded;
    } cases[] = {
        {"1/3", 1.0 / 3},
        {"2/3+0", 0.666666666666667},                 // the last step adds to a 15-digit operand
        {"0.12345678901234567", 0.12345678901234567}, // a typed number is read whole
        {"-(1/3)", -0.333333333333333}, // the sign is an operation on a 15-digit result
        {"sqrt(2)", std::sqrt(2.0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Evaluation e = EvaluateExpression(c.text, constants);
        ASSERT_TRUE(e.ok);
        EXPECT_EQ(e.unrounded, c.unrounded);
        EXPECT_EQ(FormatNumber(e.unrounded), FormatNumber(e.value));
    }
}

TEST(CheckExpression, ReadsTheTextWithItsNamedValues)
{
    NamedValues named;
    named.SetExact("x", -1);
    std::string error;
    EXPECT_TRUE(CheckExpression("x * 2", named, error));
    EXPECT_TRUE(error.empty());
    EXPECT_TRUE(CheckExpression("sqrt(x)", named, error)); // well formed, though it has no value
    EXPECT_FALSE(CheckExpression("x*", named, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(CheckExpression("y*2", named, error));
    EXPECT_FALSE(CheckExpression("2x", named, error));
}

TEST(RunningSum, AddsAColumnAsItsExactSumRoundedOnce)
{
    RunningSum sum;
    EXPECT_EQ(sum.Value(), 0);
    for (int i = 0; i < 100'000; ++i)
        sum.Add(0.1);
    EXPECT_EQ(sum.Value(), 10000.0);
    sum.Clear();
    for (const double v : {1e16, 1.0, -1e16})
        sum.Add(v);
    EXPECT_EQ(sum.Value(), 1.0);
    sum.Clear();
    sum.Add(std::numeric_limits<double>::max());
    sum.Add(std::numeric_limits<double>::max());
    EXPECT_FALSE(std::isfinite(sum.Value()));
}

} // namespace
} // namespace tolvane::engine

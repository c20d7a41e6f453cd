// What the evaluator hands to the function step, and what it does with the
// answer, seen through a recording step in place of the real functions.
#include "engine/function_step.h"
#include "engine/messages.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <string>
#include <vector>

namespace tolvane::engine {
namespace {

std::vector<std::string> g_calls;

// Answers 1.5 for a known name; "fail" records a message, "fault" raises the
// overflow flag, "none" stops without either.
std::optional<double> RecordingStep(std::string_view name, std::optional<std::string_view> list,
                                    ErrorState& errors)
{
    std::string call(name);
    call.append("[").append(list ? *list : "<empty>").append("]");
    g_calls.push_back(call);
    if (list == "9") {
        AppendError(errors, msg::kFirstArgument);
        return std::nullopt;
    }
    if (list == "8") {
        volatile double big = 1e308;
        return big * 10; // raises the overflow flag
    }
    if (list == "7")
        return std::nullopt;
    return 1.5;
}

std::string Failure(std::string_view message, std::string_view end = ";")
{
    return std::string("error:").append(message).append(end);
}

class FunctionStepTest : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
    Evaluation Evaluate(std::string_view text)
    {
        return EvaluateExpression(text, m_named, &RecordingStep);
    }

private:
    const NamedValues m_named;
};

TEST_F(FunctionStepTest, HandsOverArgumentListsAsNumberTexts)
{
    const struct {
        std::string_view text;
        std::vector<std::string> calls;
        std::string result;
    } cases[] = {
        {"max(-1,2)", {"max[-1,2]"}, "1.5"},
        {"max(007.50,1/3,2^0.5,-(3),10^20,0.00001*1)",
         {"max[007.50,0.333333333333333,1.4142135623731,-3,1E20,1E-5]"},
         "1.5"},
        {"sum(1,max(2,3),4)", {"max[2,3]", "sum[1,1.5,4]"}, "1.5"},
        {"max(1,2)+min(3,4)*2", {"max[1,2]", "min[3,4]"}, "4.5"},
        {"-sqrt(4)", {"sqrt[4]"}, "-1.5"},
        {"sqrt(pi)", {"sqrt[3.14159265358979]"}, "1.5"},
        {"power(2,3)^2", {"power[2,3]"}, "2.25"},
        {"logN(8,2)", {"logN[8,2]"}, "1.5"},
        {"sqrt(4)!", {"sqrt[4]"}, Failure(msg::kFactorialRange)},
        {"sqrt(9)+1", {"sqrt[9]"}, Failure(msg::kFirstArgument)},
        {"sqrt(8)+1/0", {"sqrt[8]"}, "error:"}, // the fault ends it before the message
        {"sqrt(7)", {"sqrt[7]"}, "error:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        g_calls.clear();
        const Evaluation e = Evaluate(c.text);
        EXPECT_EQ(g_calls, c.calls);
        EXPECT_EQ(e.ok ? FormatNumber(e.value) : Failure(e.error, ""), c.result);
    }
}

TEST_F(FunctionStepTest, LongArgumentListsArriveWhole)
{
    std::string text = "sum(";
    std::string want;
    for (int k = 1; k <= 20'000; ++k) {
        std::string item = k > 1 ? "," : "";
        item.append(k % 3 == 0 ? "-" : "").append(std::to_string(k));
        text += item;
        want += item;
    }
    text += ")";
    const Evaluation e = Evaluate(text);
    ASSERT_TRUE(e.ok);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0], std::string("sum[").append(want).append("]"));
}

// Ten thousand calls, nested or side by side, each reach the step once.
TEST_F(FunctionStepTest, ManyCallsEachReachTheStep)
{
    std::string nested;
    std::string chained = "0";
    for (int k = 0; k < 10'000; ++k) {
        nested += "sqrt(";
        chained += "+abs(2)";
    }
    nested += "1";
    nested.append(10'000, ')');
    EXPECT_EQ(FormatNumber(Evaluate(nested).value), "1.5");
    EXPECT_EQ(g_calls.size(), 10'000u);
    EXPECT_EQ(g_calls.front(), "sqrt[1]");
    EXPECT_EQ(g_calls.back(), "sqrt[1.5]");
    g_calls.clear();
    EXPECT_EQ(FormatNumber(Evaluate(chained).value), "15000");
    EXPECT_EQ(g_calls.size(), 10'000u);
}

} // namespace
} // namespace tolvane::engine

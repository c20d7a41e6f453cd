#include "engine/messages.h"
#include "engine/pre_check.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tolvane::engine {
namespace {

TEST(IsPlainArithmetic, AnswersWithoutFault)
{
    const struct {
        std::string_view text;
        bool plain;
    } cases[] = {
        {"1+2", true},
        {"-5", true},
        {"0.25", true},
        {"5--3", true},
        {"2*3*-4", true},
        {"(anything", false},
        {"sin(1)", true},
        {"2*-3", false},
        {"5-*2", false},
        {"1..2", false},
        {"1.2.3", false},
        {"1 + 2", false},
        {"2^3", false},
        {"5!", false},
        {"1+2+", false},
        {"1**2", false},
        {"", false},
        {"1+.+2", false},
        {"1，2", false},
        {"１+2", false},
        {"+5", true},
        {"0.1*3-0.3", true},
        {"---5", true},
        {"1e5", false},
        // A character outside ASCII never reads as arithmetic, but parentheses still decide.
        {"（1+2)", false},
        {"(1+2)×3", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PreCheck check = IsPlainArithmetic(c.text);
        EXPECT_EQ(check.plain, c.plain);
        EXPECT_EQ(check.fault, "");
    }
}

// What each fault is described as, and that the first one met in the order of the operations
// is the one reported (the sheet's tests go through every way a line reaches one).
TEST(IsPlainArithmetic, DescribesTheFirstFault)
{
    const std::string notANumber(msg::kFaultNotANumber);
    const struct {
        std::string_view text;
        std::string fault;
    } cases[] = {
        {"1/0", std::string(msg::kFaultDivisionByZero)},
        {"0/0+1", std::string(msg::kFaultInvalidOperation)},
        {"400000000000000000000*400000000000000000000", std::string(msg::kFaultOverflow)},
        {"-1.2.3+1", "'-1.2.3'" + notANumber},
        {"1.2.3+1/0", std::string(msg::kFaultDivisionByZero)},
        {"0.5-1.2.3", "'1.2.3'" + notANumber},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PreCheck check = IsPlainArithmetic(c.text);
        EXPECT_FALSE(check.plain);
        EXPECT_EQ(check.fault, c.fault);
    }
}

} // namespace
} // namespace tolvane::engine

// The function step called directly: what the checker never lets through
// (wrong case, missing lists and arguments) must still be answered right.
#include "engine/functions.h"
#include "tests/functions/outcome.h"

#include <optional>

namespace tolvane::engine::testing {
namespace {

std::string Apply(std::string_view name, std::optional<std::string_view> list)
{
    ErrorState errors;
    const std::optional<double> answer = ApplyFunction(name, list, errors);
    return Outcome(answer, errors);
}

TEST(ApplyFunction, NameTestIsCaseSensitiveDispatchIsNot)
{
    const struct {
        std::string_view name;
        std::optional<std::string_view> list;
        std::string_view want;
    } cases[] = {
        {"logN", "2,8", "3"},
        {"logn", "2,8", "无法识别的函数！;"},
        {"LOG2", "8", "无法识别的函数！;"},
        {"Sqrt", "4", "无法识别的函数！;"},
        {"sqrtx", "4", "无法识别的函数！;"},
        // Whole-name dispatch: no name is taken for a longer or shorter one.
        {"ln", "1", "0"},
        {"int", "7.5", "7"},
        {"intax", "5000", "45"},
        {"round", "2.4", "2"},
        {"sn", "1,1,3", "6"},
        {"sqn", "1,2,3", "7"},
        {"sqrt", std::nullopt, "无法识别的函数！;"},
        {"sqrt", "", "函数参数出错!;"},
        {"max", ",1", "函数参数出错!;"},
        {"sqrt", "x", kNumericFault},
        {"sqrt", "1,2", "1"}, // extra items of a one-argument function are ignored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Apply(c.name, c.list), c.want);
    }
}

TEST(ApplyFunction, MissingSecondArgumentHasEachFunctionsMessage)
{
    const struct {
        std::string_view name, want;
    } cases[] = {
        {"power", "函数参数有误!;"},       {"logN", "对数函数值有误!;"},
        {"roundto", "数据约位数有误!;"},   {"mod", "输入数据有误!;"},
        {"s_ellip", "椭圆参数有误！;"},    {"s_rect", "矩形长宽有误！;"},
        {"s_poly", "正多边形参数有误！;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Apply(c.name, "2"), c.want);
        EXPECT_EQ(Apply(c.name, "2,"), c.want);
    }
    EXPECT_EQ(Apply("power", "2,x"), kNumericFault);
}

} // namespace
} // namespace tolvane::engine::testing

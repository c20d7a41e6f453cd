// Roots, powers, logarithms, trigonometry, rounding and remainder as a user
// reaches them: one expression in, the sheet's text or the messages out.
#include "tests/functions/outcome.h"

namespace tolvane::engine::testing {
namespace {

TEST(ElementaryFunctions, ComputeTheirValues)
{
    const Case cases[] = {
        {"abs(-3)", "3"},
        {"sqrt(0)", "0"},
        {"sqrt(2)", "1.4142135623731"},
        {"exp(1)", "2.71828182845905"},
        {"arcsin(1)", "1.5707963267949"},
        {"arccos(-1)", "3.14159265358979"},
        {"arctan(1)", "0.785398163397448"},
        {"log2(8)", "3"},
        {"log10(1000)", "3"},
        {"ln(e)", "1"},
        {"logN(2,8)", "3"},
        {"logN(10,1)", "0"},
        {"power(2,10)", "1024"},
        {"power(0,0)", "1"},
        {"power(-8,3)", "-512"},
        {"power(2,0.5)", "1.4142135623731"},
        // The decimal pi of these two meets the 15-digit pi of the named values.
        {"degrad(180)", "3.14159265358979"},
        {"raddeg(pi)", "180"},
    };
    ExpectOutcomes(cases);
}

// Far beyond 2^63 the floating-point unit's own sine gives up; the answers
// must still be the true values.
TEST(ElementaryFunctions, TrigonometryOfHugeArguments)
{
    const Case cases[] = {
        {"sin(0)", "0"},
        {"cos(0)", "1"},
        {"tan(pi/4)", "0.999999999999999"}, // pi/4 travels as a 15-digit text
        {"sin(10^22)", "-0.852200849767189"},
        {"cos(10^22)", "0.523214785395139"},
        {"tan(10^22)", "-1.6287782256069"},
    };
    ExpectOutcomes(cases);
}

TEST(ElementaryFunctions, RoundToWholeNumbers)
{
    const Case cases[] = {
        {"int(-2.7)", "-2"},
        {"trunc(-2.7)", "-2"},
        {"frac(-2.7)", "-0.7"},
        {"frac(2.25)", "0.25"},
        {"round(2.5)", "2"},
        {"round(3.5)", "4"},
        {"round(-2.5)", "-2"},
        {"round(0.5)", "0"},
        {"round(-3.7)", "-4"},
        // int has no range limit; trunc and round go through 64-bit integers.
        {"int(10^20)", "1E20"},
        {"trunc(10^20)", kNumericFault},
        {"round(10^19)", kNumericFault},
    };
    ExpectOutcomes(cases);
}

TEST(ElementaryFunctions, RoundToPowersOfTen)
{
    const Case cases[] = {
        {"roundto(3.14159,-2)", "3.14"},
        {"roundto(2.675,-2)", "2.67"}, // the double nearest 2.675 lies below it
        {"roundto(1234,2)", "1200"},
        {"roundto(2.5,0)", "2"},
        {"roundto(3.5,0)", "4"},
        {"roundto(5,14)", "0"},
        {"roundto(5,-14)", "5"},
        {"roundto(5,15)", "数据约位数有误!;"},
        {"roundto(5,-15)", "数据约位数有误!;"},
        {"roundto(5,0.5)", "数据约位数有误!;"},
        {"roundto(10^10,-14)", kNumericFault}, // the quotient 10^24 is beyond 64 bits
    };
    ExpectOutcomes(cases);
}

TEST(ElementaryFunctions, Remainder)
{
    const Case cases[] = {
        {"mod(7,3)", "1"},
        {"mod(-7,3)", "-1"},
        {"mod(6,3)", "0"},
        // 2^53 + 1 is read exactly: no detour through a double.
        {"mod(9007199254740993,2)", "1"},
        {"mod(7,0)", "求余必须为正整数!;"},
        {"mod(7,-3)", "求余必须为正整数!;"},
        {"mod(7.5,2)", "求余必须为正整数!;"},
        {"mod(7,2.5)", "求余必须为正整数!;"},
        {"mod(10^19,3)", kNumericFault},
    };
    ExpectOutcomes(cases);
}

TEST(ElementaryFunctions, RefuseArgumentsOutsideTheirDomain)
{
    const Case cases[] = {
        {"sqrt(-1)", "根号内必须为正数!;"},
        {"arcsin(1.1)", "反正弦函数值必须在-1到1之间!;"},
        {"arcsin(-1.1)", "反正弦函数值必须在-1到1之间!;"},
        {"arccos(1.1)", "反余弦函数值必须在-1到1之间!;"},
        {"log2(-1)", "对数函数值必须大于0!;"},
        {"log10(0)", "对数函数值必须大于0!;"},
        {"ln(0)", "对数函数值必须大于0!;"},
        {"logN(1,8)", "对数函数值与底数必须大于0，且底数不能等于1!;"},
        {"logN(0,8)", "对数函数值与底数必须大于0，且底数不能等于1!;"},
        {"logN(2,-8)", "对数函数值与底数必须大于0，且底数不能等于1!;"},
        // A message stops the line: nothing after it is computed or added.
        {"sqrt(-1)+sqrt(-4)", "根号内必须为正数!;"},
    };
    ExpectOutcomes(cases);
}

TEST(ElementaryFunctions, NumericFaultsEndTheLineWithoutMessage)
{
    const Case cases[] = {
        {"exp(1000)", kNumericFault}, // fits the extended range, not a double
        {"exp(100000)", kNumericFault}, {"power(-8,1/3)", kNumericFault},
        {"power(0,-1)", kNumericFault}, {"power(10,400)", kNumericFault},
        {"1+exp(1000)", kNumericFault},
    };
    ExpectOutcomes(cases);
}

} // namespace
} // namespace tolvane::engine::testing

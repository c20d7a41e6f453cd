// Income tax and its inverse, mortgage payments and series sums.
#include "engine/functions.h"
#include "tests/functions/outcome.h"

namespace tolvane::engine::testing {
namespace {

// Every bracket bound belongs to the lower bracket.
TEST(FinanceFunctions, IncomeTaxByBracket)
{
    const Case cases[] = {
        {"intax(0)", "0"},         {"intax(-100)", "0"},         {"intax(3500)", "0"},
        {"intax(5000)", "45"},     {"intax(5001)", "45.1"},      {"intax(8000)", "345"},
        {"intax(12500)", "1245"},  {"intax(38500)", "7745"},     {"intax(58500)", "13745"},
        {"intax(83500)", "22495"}, {"intax(83501)", "22495.45"}, {"intax(100000)", "29920"},
    };
    ExpectOutcomes(cases);
}

TEST(FinanceFunctions, SalaryFromTax)
{
    const Case cases[] = {
        {"arcintax(45)", "5000"},
        {"arcintax(45.1)", "5001"},
        {"arcintax(345)", "8000"},
        {"arcintax(7745)", "38500"},
        {"arcintax(22495)", "83500"},
        {"arcintax(29920)", "100000"},
        {"arcintax(intax(61234.5))", "61234.5"},
        {"arcintax(0)", "未交个人所得税时无法反算工资！;"},
        {"arcintax(-1)", "未交个人所得税时无法反算工资！;"},
    };
    ExpectOutcomes(cases);
}

TEST(FinanceFunctions, MortgagePayment)
{
    const Case cases[] = {
        // Equal instalments: the same for every valid month and any mode but 1.
        {"morrep(120000,0.06,10,0,1)", "1332.24602329979"},
        {"morrep(120000,0.06,10,2,120)", "1332.24602329979"},
        {"morrep(120000,6%,10,0,60)", "1332.24602329979"},
        // Equal principal: first and last month.
        {"morrep(120000,0.06,10,1,1)", "1600"},
        {"morrep(120000,0.06,10,1,120)", "1005"},
        // Extended intermediates give the correctly rounded 8368.0555555555547.
        {"morrep(100000,0.05,1,1,12)", "8368.05555555555"},
        {"morrep(120000,0.06,10,1,121)", "按揭还款参数输入有误！;"},
        {"morrep(120000,0.06,10.5,1,1)", "按揭还款参数输入有误！;"},
        {"morrep(120000,0,10,0,1)", "按揭还款参数输入有误！;"},
        {"morrep(120000,0.06,10,0,0)", "按揭还款参数输入有误！;"},
        {"morrep(120000,0.06,10,0,1.5)", "按揭还款参数输入有误！;"},
        {"morrep(0,0.06,10,0,1)", "按揭还款参数输入有误！;"},
    };
    ExpectOutcomes(cases);
}

TEST(FinanceFunctions, SeriesSums)
{
    const Case cases[] = {
        {"sn(1,1,100)", "5050"},
        {"sn(2,-0.5,4)", "5"},
        {"sn(1,1,0)", "等差数列参数输入有误，项数必须为正整数 !;"},
        {"sn(1,1,2.5)", "等差数列参数输入有误，项数必须为正整数 !;"},
        {"sqn(1,2,10)", "1023"},
        {"sqn(3,0.5,3)", "5.25"},
        {"sqn(1,-1,3)", "1"},
        {"sqn(1,1.05,30)", "66.4388475030133"},
        // A whole power by squaring keeps the sign of (-1)^n exact.
        {"sqn(1,-1,2147483648)", "0"},
        {"sqn(1,-1,2147483649)", "1"},
        {"sqn(1,0.5,10^6)", "2"},
        {"sqn(1,1,10)", "等比数列参数输入有误，公比不能为1 !;"},
        {"sqn(1,2,0)", "等比数列参数输入有误，公比不能为1 !;"},
        {"sqn(1,2,1.5)", "等比数列参数输入有误，公比不能为1 !;"},
        {"sqn(1,10,400)", kNumericFault}, // q^n beyond the double range
    };
    ExpectOutcomes(cases);
}

// The routines that read their own lists refuse another count with their
// message and leave r alone.
TEST(FinanceRoutines, RefuseAWrongArgumentCount)
{
    const RoutineCase cases[] = {
        {handlers::Morrep, "120000,0.06,10,0", "按揭还款参数输入有误！;"},
        {handlers::Morrep, "120000,0.06,10,0,1,1", "按揭还款参数输入有误！;"},
        {handlers::Sn, "1,1", "等差数列参数输入有误，项数必须为正整数 !;"},
        {handlers::Sqn, "1,2,3,4", "等比数列参数输入有误，公比不能为1 !;"},
    };
    ExpectRefusals(cases);
}

} // namespace
} // namespace tolvane::engine::testing

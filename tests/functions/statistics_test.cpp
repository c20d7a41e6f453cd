// max, min, sum, avg and stddev over argument lists of any length.
#include "tests/functions/outcome.h"

#include <string>

namespace tolvane::engine::testing {
namespace {

TEST(StatisticalFunctions, SummariseTheirArguments)
{
    const Case cases[] = {
        {"max(3,9,4)", "9"},
        {"min(3,9,4)", "3"},
        {"min(-1,-5,2)", "-5"},
        {"sum(1,2,3.5)", "6.5"},
        {"avg(1,2,3,4)", "2.5"},
        {"stddev(1,2,3)", "1"},
        // The sample deviation; the population deviation would be 2.
        {"stddev(2,4,4,4,5,5,7,9)", "2.1380899352994"},
        {"max(5)", "5"},
        {"min(5)", "5"},
        {"sum(5)", "5"},
        {"avg(5)", "5"},
        {"max(-0.5)", "-0.5"},
    };
    ExpectOutcomes(cases);
}

TEST(StatisticalFunctions, ArgumentsAreEvaluatedFirst)
{
    const Case cases[] = {
        {"max(1,2*3,sqrt(16))", "6"}, {"sum(max(1,2),min(3,4))", "5"}, {"max(1,max(2,3))", "3"},
        {"max(max(2,3),1)", "3"},     {"2*avg(1,2)+1", "4"},
    };
    ExpectOutcomes(cases);
}

TEST(StatisticalFunctions, NumericFaults)
{
    const std::string huge(400, '9');
    const Case cases[] = {
        {"stddev(5)", kNumericFault},          // 0 / 0
        {"sum(10^308,10^308)", kNumericFault}, // the running sum overflows
        {"avg(10^308,10^308)", kNumericFault},
    };
    ExpectOutcomes(cases);
    // A number too large for a double must not turn into an infinity (or a 0)
    // and give a result: wherever it stands in the list, the line fails.
    for (const std::string& line : {"max(1," + huge + ")", "max(" + huge + ",1)",
                                    "min(1," + huge + ",2)", "sum(" + huge + ")"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Outcome(line), kNumericFault);
    }
}

TEST(StatisticalFunctions, LongLists)
{
    std::string fifty;
    for (int k = 1; k <= 50; ++k) {
        if (k > 1)
            fifty += ',';
        fifty += std::to_string(k); // not "," + ...: GCC 12 at -O3 warns of a false overlap
    }
    EXPECT_EQ(Outcome("max(" + fifty + ")"), "50");
    EXPECT_EQ(Outcome("min(" + fifty + ")"), "1");
    EXPECT_EQ(Outcome("sum(" + fifty + ")"), "1275");
    EXPECT_EQ(Outcome("avg(" + fifty + ")"), "25.5");
    EXPECT_EQ(Outcome("stddev(" + fifty + ")"), "14.5773797371133");
}

} // namespace
} // namespace tolvane::engine::testing

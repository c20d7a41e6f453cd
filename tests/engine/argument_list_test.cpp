#include "engine/argument_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane::engine {
namespace {

TEST(NthArgument, PicksOneItemWithoutBlanks)
{
    const struct {
        std::string_view list;
        int n;
        std::string_view want;
    } cases[] = {
        {"1, 2 ,3", 2, "2"}, {"1, 2 ,3", 1, "1"}, {"1, 2 ,3", 3, "3"}, {"1, 2 ,3", 4, ""},
        {"1, 2 ,3", 0, ""},  {"1, 2 ,3", -1, ""}, {"1,,3", 2, ""},     {"1,,3", 3, "3"},
        {"", 1, ""},         {"   ", 1, ""},      {"7", 1, "7"},       {"7", 2, ""},
        {"1,2,", 3, ""},     {",5", 1, ""},       {",5", 2, "5"},      {" - 1 . 5 ", 1, "-1.5"},
        {"2,3", 1, "2"},     {"a,b", 2, "b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " #" + std::to_string(c.n));
        EXPECT_EQ(NthArgument(c.list, c.n), c.want);
    }
}

TEST(ParseArguments, ConvertsUntilTheFirstBadOrEmptyItem)
{
    const struct {
        std::string_view list;
        bool ok;
        std::vector<double> want; // three slots, starting as 9, 9, 9
    } cases[] = {
        {"1.5,-2,3E2", true, {1.5, -2, 300}},
        {"1,x,3", false, {1, 9, 9}},
        {"1,,3", true, {1, 9, 9}},
        {"1,2,3,4", true, {1, 2, 3}},
        {"", true, {9, 9, 9}},
        {" 4 , 5 ", true, {4, 5, 9}},
        {"1,2,", true, {1, 2, 9}},
        {"1,2,3 x", false, {1, 2, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        std::vector<double> values = {9, 9, 9};
        EXPECT_EQ(ParseArguments(c.list, values), c.ok);
        EXPECT_EQ(values, c.want);
    }
}

TEST(ParseArguments, ReadsAVeryLongList)
{
    std::string list;
    const int count = 100'000;
    for (int k = 1; k <= count; ++k)
        list += std::to_string(k) + (k < count ? "," : "");
    std::vector<double> values(count, 0);
    EXPECT_TRUE(ParseArguments(list, values));
    EXPECT_EQ(values.front(), 1.0);
    EXPECT_EQ(values.back(), static_cast<double>(count));
    EXPECT_EQ(NthArgument(list, count), std::to_string(count));
}

} // namespace
} // namespace tolvane::engine

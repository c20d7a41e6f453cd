#include "engine/engine.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tolvane::engine {
namespace {

class FunctionTableTest : public ::testing::Test {
protected:
    void SetUp() override { InitExpressionEngine(); }
};

TEST_F(FunctionTableTest, HoldsFortyTwoEntriesAsWritten)
{
    const auto& table = FunctionTable();
    ASSERT_EQ(table.size(), 42u);
    EXPECT_EQ(table.front(), "sqrt(1)");
    EXPECT_EQ(table[34], "sqn(3)"); // the blank after the comma is dropped
    EXPECT_EQ(table.back(), "p_planes(7)");
}

TEST_F(FunctionTableTest, DeclaresArgumentCounts)
{
    const struct {
        std::string_view name;
        int count;
    } cases[] = {
        {"sqrt", 1},     {"power", 2},  {"costh", 3},     {"max", 0},      {"stddev", 0},
        {"logN", 2},     {"log2", 1},   {"log10", 1},     {"sn", 3},       {"sqn", 3},
        {"morrep", 5},   {"p_line", 5}, {"pdisspace", 6}, {"p_planes", 7}, {"pdisplanes", 4},
        {"arcintax", 1}, {"intax", 1},  {"foo", -1},      {"logn", -1},    {"ABS", -1},
        {"", -1},        {"sq", -1},    {"sqrt(", -1},    {" sqn", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DeclaredArgumentCount(c.name), c.count);
        EXPECT_EQ(IsFunctionName(c.name), c.count >= 0);
    }
}

TEST_F(FunctionTableTest, KnowsEveryTableNameExactlyWithCase)
{
    int found = 0;
    for (const std::string& entry : FunctionTable()) {
        std::string_view name = entry;
        name = name.substr(name.find_first_not_of(' '));
        name = name.substr(0, name.find('('));
        SCOPED_TRACE(name);
        EXPECT_TRUE(IsFunctionName(name));
        found += IsFunctionName(name) ? 1 : 0;
    }
    EXPECT_EQ(found, 42);
}

TEST(FunctionTableLifetime, IsEmptyAfterShutdownAndRefilledByStartUp)
{
    InitExpressionEngine();
    FinalizeExpressionEngine();
    EXPECT_FALSE(IsFunctionName("sqrt"));
    EXPECT_EQ(DeclaredArgumentCount("max"), -1);
    EXPECT_TRUE(NamedValues().empty());
    InitExpressionEngine();
    InitExpressionEngine(); // a second start-up changes nothing
    EXPECT_EQ(FunctionTable().size(), 42u);
    EXPECT_EQ(NamedValues().size(), 4u);
}

} // namespace
} // namespace tolvane::engine

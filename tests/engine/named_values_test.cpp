#include "engine/engine.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tolvane::engine {
namespace {

std::map<std::string, double> Variables()
{
    std::map<std::string, double> out;
    for (std::size_t k = 4; k < NamedValues().size(); ++k)
        out[NamedValues()[k].name] = NamedValues()[k].value;
    return out;
}

class NamedValuesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitExpressionEngine();
        ResetNamedValues();
    }
};

TEST_F(NamedValuesTest, ResetRegistersTheFourConstantsInOrder)
{
    DefineVariables("a=1");
    ResetNamedValues();
    const auto& values = NamedValues();
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].name, "pi");
    EXPECT_EQ(values[1].name, "PI");
    EXPECT_EQ(values[2].name, "e");
    EXPECT_EQ(values[3].name, "E");
    EXPECT_EQ(values[0].value, 3.141592653589793);
    EXPECT_EQ(values[1].value, 3.141592653589793);
    EXPECT_EQ(values[2].value, 2.718281828459045);
    EXPECT_EQ(values[3].value, 2.718281828459045);
}

TEST_F(NamedValuesTest, DefineVariablesAcceptsOnlyWellFormedItems)
{
    const struct {
        std::string_view text;
        int accepted;
        std::map<std::string, double> defined;
    } cases[] = {
        {"r=2,h=5", 2, {{"r", 2}, {"h", 5}}},
        {"a=1,b,c=3", 2, {{"a", 1}, {"c", 3}}},
        {"a=1,", 1, {{"a", 1}}},
        {"1a=2", 0, {}},
        {"a_b=2x", 0, {}},
        {"ab=", 0, {}},
        {"x,a=1", 1, {{"a", 1}}},
        {"a=", 0, {}},
        {"a=1", 1, {{"a", 1}}},
        {"a=2*3", 0, {}},
        {"a==1", 0, {}},
        {"a=1=2", 0, {}},
        {"_a=1", 0, {}},
        {"a=1e3,b=-.5,c=+2.", 3, {{"a", 1000}, {"b", -0.5}, {"c", 2}}},
        {"a=1,a=7", 2, {{"a", 7}}},
        {"a=1e400", 0, {}},
        {",,a=1,,", 1, {{"a", 1}}},
        {"\xe4=1,b=2", 1, {{"b", 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ResetNamedValues();
        EXPECT_EQ(DefineVariables(c.text), c.accepted);
        EXPECT_EQ(Variables(), c.defined);
    }
}

TEST_F(NamedValuesTest, ARedefinedConstantKeepsItsPlace)
{
    EXPECT_EQ(DefineVariables("pi=3"), 1);
    ASSERT_EQ(NamedValues().size(), 4u);
    EXPECT_EQ(NamedValues()[0].value, 3.0);
    EXPECT_EQ(NamedValues()[1].value, 3.141592653589793);
}

TEST_F(NamedValuesTest, AddNamedValuesRefusesABatchWithOneBadName)
{
    const std::vector<std::string> bad = {"a", "_x", "b"};
    const std::vector<double> values = {1, 2, 3};
    EXPECT_EQ(AddNamedValues(bad, values), 0);
    EXPECT_TRUE(Variables().empty());

    const std::vector<std::string> good = {"a", "b2", "c_", "pi"};
    EXPECT_EQ(AddNamedValues(good, std::vector<double>{1, 2}), 2); // the shorter list wins
    EXPECT_EQ(Variables(), (std::map<std::string, double>{{"a", 1}, {"b2", 2}}));
    EXPECT_EQ(AddNamedValues(std::vector<std::string>{"a"}, std::vector<double>{9}), 1);
    EXPECT_EQ(Variables().at("a"), 9.0);
}

// Past a dozen or so names the table switches to an index; registration
// order and overwriting must not change with it.
TEST_F(NamedValuesTest, ManyVariablesKeepOrderAndLastDefinitionWins)
{
    std::string text;
    for (int k = 0; k < 1000; ++k)
        text += "v" + std::to_string(k) + "=" + std::to_string(k) + ",";
    text += "v3=-1,pi=2";
    EXPECT_EQ(DefineVariables(text), 1002);
    const auto& values = NamedValues();
    ASSERT_EQ(values.size(), 1004u);
    EXPECT_EQ(values[0].value, 2.0);
    EXPECT_EQ(values[4].name, "v0");
    EXPECT_EQ(values[7].name, "v3");
    EXPECT_EQ(values[7].value, -1.0);
    EXPECT_EQ(values[1003].name, "v999");
    ResetNamedValues();
    EXPECT_EQ(NamedValues().size(), 4u);
    EXPECT_EQ(DefineVariables("v5=5"), 1);
    EXPECT_EQ(NamedValues()[4].name, "v5");
}

} // namespace
} // namespace tolvane::engine

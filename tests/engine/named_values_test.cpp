#include "engine/engine.h"
#include "engine/messages.h"
#include "engine/substitution.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace tolvane::engine {
namespace {

// The variables: every entry after the four constants.
std::map<std::string, double> Variables(const NamedValues& named)
{
    std::map<std::string, double> out;
    for (const NamedValue& entry : named.Entries().subspan(4))
        out[entry.name] = entry.value;
    return out;
}

TEST(NamedValues, StartAndResetWithTheFourConstantsInOrder)
{
    NamedValues named;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const auto values = named.Entries();
        ASSERT_EQ(values.size(), 4u);
        EXPECT_EQ(values[0].name, "pi");
        EXPECT_EQ(values[1].name, "PI");
        EXPECT_EQ(values[2].name, "e");
        EXPECT_EQ(values[3].name, "E");
        EXPECT_EQ(values[0].value, 3.141592653589793);
        EXPECT_EQ(values[1].value, 3.141592653589793);
        EXPECT_EQ(values[2].value, 2.718281828459045);
        EXPECT_EQ(values[3].value, 2.718281828459045);
        DefineVariables(named, "a=1,pi=3");
        ResetNamedValues(named);
    }
}

TEST(NamedValues, DefineVariablesAcceptsOnlyWellFormedItems)
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
        NamedValues named;
        EXPECT_EQ(DefineVariables(named, c.text), c.accepted);
        EXPECT_EQ(Variables(named), c.defined);
    }
}

TEST(NamedValues, ARedefinedConstantKeepsItsPlace)
{
    NamedValues named;
    EXPECT_EQ(DefineVariables(named, "pi=3"), 1);
    ASSERT_EQ(named.Entries().size(), 4u);
    EXPECT_EQ(named.Entries()[0].value, 3.0);
    EXPECT_EQ(named.Entries()[1].value, 3.141592653589793);
}

TEST(NamedValues, AddNamedValuesRefusesABatchWithOneBadName)
{
    NamedValues named;
    const std::vector<std::string> bad = {"a", "_x", "b"};
    const std::vector<double> values = {1, 2, 3};
    EXPECT_EQ(AddNamedValues(named, bad, values), 0);
    EXPECT_TRUE(Variables(named).empty());

    const std::vector<std::string> good = {"a", "b2", "c_", "pi"};
    EXPECT_EQ(AddNamedValues(named, good, std::vector<double>{1, 2}), 2); // the shorter list wins
    EXPECT_EQ(Variables(named), (std::map<std::string, double>{{"a", 1}, {"b2", 2}}));
    EXPECT_EQ(AddNamedValues(named, std::vector<std::string>{"a"}, std::vector<double>{9}), 1);
    EXPECT_EQ(Variables(named).at("a"), 9.0);
}

// Past a dozen or so names the table switches to an index; registration
// order, overwriting and lookups must not change with it, nor after a reset.
TEST(NamedValues, ManyVariablesKeepOrderAndLastDefinitionWins)
{
    NamedValues named;
    std::string text;
    for (int k = 0; k < 1000; ++k)
        text.append("v")
            .append(std::to_string(k))
            .append("=")
            .append(std::to_string(k))
            .append(",");
    text += "v3=-1,pi=2";
    EXPECT_EQ(DefineVariables(named, text), 1002);
    const auto values = named.Entries();
    ASSERT_EQ(values.size(), 1004u);
    EXPECT_EQ(values[0].value, 2.0);
    EXPECT_EQ(values[4].name, "v0");
    EXPECT_EQ(values[7].name, "v3");
    EXPECT_EQ(values[7].value, -1.0);
    EXPECT_EQ(values[1003].name, "v999");
    ASSERT_NE(named.Find("v998"), nullptr);
    EXPECT_EQ(named.Find("v998")->value, 998.0);
    EXPECT_EQ(named.Find("v1000"), nullptr);
    std::string sum = "v11+v12+v13+v14+v15+v16+v999+pi";
    SubstituteNamedValues(sum, named);
    EXPECT_EQ(sum, "11+12+13+14+15+16+999+2");

    ResetNamedValues(named);
    EXPECT_EQ(named.Entries().size(), 4u);
    EXPECT_EQ(named.Find("v998"), nullptr);
    EXPECT_EQ(DefineVariables(named, "v5=5"), 1);
    EXPECT_EQ(named.Entries()[4].name, "v5");
}

// Two sets of named values used at the same time on two threads: each
// evaluation sees only its own.
TEST(NamedValues, TwoOwnersEvaluateIndependentlyOnTwoThreads)
{
    const auto evaluateMany = [](std::string_view definitions, std::string_view want, int& wrong) {
        NamedValues named;
        DefineVariables(named, definitions);
        for (int k = 0; k < 2000; ++k) {
            const Evaluation e = EvaluateExpression("a*max(b,2)+pi", named);
            if (!e.ok || FormatNumber(e.value) != want)
                ++wrong;
        }
    };
    int wrongFirst = 0;
    int wrongSecond = 0;
    std::thread first(evaluateMany, "a=2,b=5,pi=1", "11", std::ref(wrongFirst));
    std::thread second(evaluateMany, "a=10,b=1", "23.1415926535898", std::ref(wrongSecond));
    first.join();
    second.join();
    EXPECT_EQ(wrongFirst, 0);
    EXPECT_EQ(wrongSecond, 0);
}

} // namespace
} // namespace tolvane::engine

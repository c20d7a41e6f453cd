#include "engine/engine.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tolvane::engine {
namespace {

// The text users have always been shown, blanks after four commas included.
constexpr std::string_view kTableText =
    "sqrt(1),abs(1),exp(1),power(2),sin(1),cos(1),tan(1),arcsin(1),arccos(1),arctan(1),"
    "degrad(1),raddeg(1),costh(3),s_tria(3),s_circ(1),s_ellip(2),s_rect(2),s_poly(2),log2(1),"
    "log10(1),logN(2),ln(1),int(1),trunc(1),round(1),roundto(2),frac(1),mod(2),max(0),min(0),"
    "sum(0),avg(0),stddev(0),sn(3), sqn(3),intax(1),arcintax(1),morrep(5),pdisplanes(4), "
    "pdisspace(6), p_line(5), p_planes(7)";

TEST(FunctionTable, GeneratesTheTableTextExactly)
{
    EXPECT_EQ(FunctionTableText(), kTableText);
}

// The entries are the text split at its commas with the blanks behind them
// dropped, in the same order.
TEST(FunctionTable, EntriesAreTheTextSplitAtItsCommas)
{
    std::string joined;
    for (const std::string_view entry : FunctionTable()) {
        if (!joined.empty())
            joined += ',';
        joined += entry;
    }
    std::string text(kTableText);
    std::erase(text, ' ');
    EXPECT_EQ(joined, text);
    ASSERT_EQ(FunctionTable().size(), 42u);
    EXPECT_EQ(FunctionTable()[34], "sqn(3)");
}

TEST(FunctionTable, DeclaresArgumentCounts)
{
    const struct {
        std::string_view name;
        int count;
    } cases[] = {
        {"sqrt", 1},     {"power", 2},  {"costh", 3},     {"max", 0},      {"stddev", 0},
        {"logN", 2},     {"log2", 1},   {"log10", 1},     {"sn", 3},       {"sqn", 3},
        {"morrep", 5},   {"p_line", 5}, {"pdisspace", 6}, {"p_planes", 7}, {"pdisplanes", 4},
        {"arcintax", 1}, {"intax", 1},  {"foo", -1},      {"logn", -1},    {"ABS", -1},
        {"", -1},        {"sq", -1},    {"sqrt(", -1},    {" sqn", -1},    {"sqrtx", -1},
        {"a", -1},       {"zz", -1},    {"_", -1},        {"LOGN", -1},    {"p_planes ", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DeclaredArgumentCount(c.name), c.count);
        EXPECT_EQ(IsFunctionName(c.name), c.count >= 0);
    }
}

TEST(FunctionTable, KnowsEveryEntryByItsNameWithItsCount)
{
    for (const std::string_view entry : FunctionTable()) {
        SCOPED_TRACE(entry);
        const std::string_view name = entry.substr(0, entry.find('('));
        const std::string_view count =
            entry.substr(name.size() + 1, entry.size() - name.size() - 2);
        EXPECT_TRUE(IsFunctionName(name));
        EXPECT_EQ(std::to_string(DeclaredArgumentCount(name)), count);
    }
}

} // namespace
} // namespace tolvane::engine

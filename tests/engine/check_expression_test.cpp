#include "engine/check_expression.h"
#include "engine/engine.h"
#include "engine/messages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::engine {
namespace {

namespace m = msg;

// The error text a list of messages gives: each followed by ';'.
std::string Messages(std::initializer_list<std::string_view> list)
{
    std::string out;
    for (const std::string_view message : list) {
        out += message;
        out += ';';
    }
    return out;
}

TEST(CheckExpression, PassesWellFormedExpressions)
{
    const std::string_view cases[] = {
        "2 + 3",        "-5",         "2^-3",      "5!",
        "5!!",          "(5)!",       "50%",       "5%%",
        "2*(-3)",       "max(1,2,3)", "logN(8,2)", "sum(1,2,3,4,5)",
        "1.2+3.4",      "+5",         "2--3",      "max(1,sqrt(4))",
        "log10(100)",   "(((1)))",    "sqrt(2)*2", "p_planes(1,2,3,4,5,6,7)",
        "007.50",       "1",          "max(-1,2)", "sin(-(1))",
        "2*max(1,2)^2",
    };
    for (const std::string_view text : cases) {
        SCOPED_TRACE(text);
        std::string error = "left over";
        EXPECT_TRUE(CheckExpression(text, error));
        EXPECT_EQ(error, "");
    }
}

TEST(CheckExpression, ReportsEachFaultWithItsMessages)
{
    const struct {
        std::string_view text;
        std::string want;
    } cases[] = {
        // Function calls.
        {"logn(8,2)", Messages({m::kUnknownFunctionName})},
        {"ABS(2)", Messages({m::kUnknownFunctionName})},
        {"power(2)", Messages({m::kArgumentCount})},
        {"sqrt(4", Messages({m::kArgumentCount})},
        {"sqrt(1,2)", Messages({m::kArgumentCount})},
        {"sqrt(1,foo(2))", Messages({m::kArgumentCount})}, // the outer call is judged first
        {"a+b(2)", Messages({m::kBadFunctionName, m::kUnknownFunctionName})},
        {"2x(3)", Messages({m::kUnknownFunctionName})},
        {"max(1,(2,3))", Messages({m::kInvalidCharacter})},
        // Characters.
        {"x+1", Messages({m::kInvalidCharacter})},
        {"1=2", Messages({m::kInvalidCharacter})},
        {"1,2", Messages({m::kInvalidCharacter})},
        {"1E5", Messages({m::kInvalidCharacter})},
        {"1\t+2", Messages({m::kInvalidCharacter})},
        {"\xe4\xb8\x80+1", Messages({m::kInvalidCharacter})},
        {"sqrt", Messages({m::kInvalidCharacter})},
        // Parentheses.
        {"max()", Messages({m::kParenthesisNeighbour, m::kParenthesisPairing})},
        {"2(3)", Messages({m::kParenthesisNeighbour, m::kParenthesisPairing})},
        {"(2)(3)", Messages({m::kParenthesisNeighbour})},
        {"2)", Messages({m::kTooManyClosing, m::kParenthesisPairing})},
        {"(2", Messages({m::kParenthesisPairing})},
        {"%5", Messages({m::kParenthesisNeighbour})},
        {"()", Messages({m::kParenthesisNeighbour, m::kParenthesisPairing})},
        {"1+(*2)", Messages({m::kParenthesisNeighbour, m::kParenthesisPairing})},
        {"2(*3)", Messages({m::kParenthesisNeighbour, m::kParenthesisNeighbour,
                            m::kParenthesisPairing})}, // both neighbours of one '('
        {"(1)2", Messages({m::kParenthesisNeighbour})},
        {"(*2)", Messages({m::kParenthesisNeighbour, m::kParenthesisPairing})},
        {"(2+)", Messages({m::kParenthesisNeighbour})},
        // Operators.
        {"*2", Messages({m::kFirstCharacter})},
        {"*", Messages({m::kFirstCharacter, m::kLastCharacter})},
        {"2+", Messages({m::kLastCharacter})},
        {"2**3", Messages({m::kOperatorNeighbour})},
        {"2^^3", Messages({m::kOperatorNeighbour})},
        {"2+*3", Messages({m::kOperatorNeighbour})},
        {"1.+2", Messages({m::kOperatorNeighbour})},
        {"2/.5", Messages({m::kOperatorNeighbour})},
        // Decimal points.
        {"1..2", Messages({m::kAdjacentPoints})},
        {"3.5.1", Messages({m::kTwoPoints})},
        {".5", Messages({m::kPointAtEdge})},
        {"5.", Messages({m::kPointAtEdge})},
        {".", Messages({m::kPointAtEdge})},
        {"1.5+2.5.5", Messages({m::kTwoPoints})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error = "left over";
        EXPECT_FALSE(CheckExpression(c.text, error));
        EXPECT_EQ(error, c.want);
    }
}

TEST(CheckExpression, BlankTextFailsWithoutMessage)
{
    for (const std::string_view text : {"", " ", "     "}) {
        std::string error = "left over";
        EXPECT_FALSE(CheckExpression(text, error));
        EXPECT_EQ(error, "");
    }
}

// Deeply nested calls are judged in one sweep; the answer must not depend
// on the depth.
TEST(CheckExpression, JudgesDeeplyNestedCalls)
{
    const int depth = 10'000;
    std::string text;
    for (int k = 0; k < depth; ++k)
        text += "max(1,";
    text += "2";
    text.append(depth, ')');
    std::string error;
    EXPECT_TRUE(CheckExpression(text, error));
    text.back() = '+';
    EXPECT_FALSE(CheckExpression(text, error));
    EXPECT_EQ(error, Messages({m::kArgumentCount})); // the outermost call is not closed
}

// Well-formed lines are recognised in one sweep; on every text the answer
// and the messages must be those of the full passes.
TEST(CheckExpression, ShortcutAgreesWithTheFullPasses)
{
    const std::string_view alphabet = "0123456789..()+-*/%^!,x max(";
    std::mt19937 random(2024);
    CheckBuffers fast;
    CheckBuffers full;
    full.shortcut = false;
    int passed = 0;
    for (int round = 0; round < 200'000; ++round) {
        std::string text;
        const auto length = 1 + random() % 12;
        for (std::size_t k = 0; k < length; ++k)
            text += alphabet[random() % alphabet.size()];
        ErrorState a;
        ErrorState b;
        const bool fastOk = CheckInto(text, a, fast);
        const bool fullOk = CheckInto(text, b, full);
        ASSERT_EQ(fastOk, fullOk) << text;
        ASSERT_EQ(a.text, b.text) << text;
        passed += fastOk ? 1 : 0;
    }
    EXPECT_GT(passed, 1000); // the table reached many well-formed texts
}

} // namespace
} // namespace tolvane::engine

// Any text at all gives a number or a failure with the known messages: never
// a crash, a hang or an exception. The large inputs here must finish with
// the right answer; how fast they do is measured in bench/, not here.
#include "engine/engine.h"
#include "engine/messages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tolvane::engine {
namespace {

// Joins texts by appending (a literal + std::string draws a false warning
// from GCC 12 at -O3).
template <typename... Parts> std::string Cat(const Parts&... parts)
{
    std::string out;
    (out.append(parts), ...);
    return out;
}

std::string EvalToText(std::string_view text)
{
    const Evaluation e = EvaluateExpression(text, NamedValues{});
    return e.ok ? FormatNumber(e.value) : Cat("error:", e.error);
}

std::string Repeat(std::string_view piece, int times)
{
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int k = 0; k < times; ++k)
        out += piece;
    return out;
}

TEST(Robustness, LargeInputsFinishWithTheRightAnswer)
{
    const int n = 10'000;
    const struct {
        std::string name;
        std::string text;
        std::string want;
    } cases[] = {
        {"nested parentheses", Cat(Repeat("(", n), "1+2", Repeat(")", n)), "3"},
        {"100000 operators", Cat("0", Repeat("+1", 100'000)), "100000"},
        {"long product", Cat("3", Repeat("*2", 40), Repeat("/2", 40), Repeat("*1", 100'000)), "3"},
        {"nested calls", Cat(Repeat("abs(", n), "1", Repeat(")", n)), "1"},
        {"many signs", Repeat("-", 100'001) + "1", "-1"},
        {"megabyte number", Cat("0.", std::string(1'000'000, '0'), "1"), "0"},
        {"megabyte of blanks", Cat(std::string(1'000'000, ' '), "2"), "2"},
        // Each sum is carried as a 15-digit text, so the rounding adds up.
        {"many constants", Cat("0", Repeat("+pi", 50'000)), "157079.632687236"},
        {"many factorials", Cat("3", Repeat("!", 3)), Cat("error:", msg::kFactorialRange, ";")},
        {"unclosed megabyte", Repeat("(", 1'000'000), Cat("error:", msg::kParenthesisPairing, ";")},
        {"call with 10000 arguments", Cat("max(", Repeat("1,", n), "1)"), "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EvalToText(c.text), c.want);
    }
}

// Random bytes and random mixtures of the language's own characters: every
// answer is a number or a failure whose text is made of known messages.
TEST(Robustness, RandomTextGivesANumberOrKnownMessages)
{
    const std::string_view known[] = {
        msg::kBadFunctionName,    msg::kUnknownFunctionName, msg::kArgumentCount,
        msg::kInvalidCharacter,   msg::kTooManyClosing,      msg::kParenthesisNeighbour,
        msg::kParenthesisPairing, msg::kFirstCharacter,      msg::kLastCharacter,
        msg::kOperatorNeighbour,  msg::kPointAtEdge,         msg::kAdjacentPoints,
        msg::kTwoPoints,          msg::kFactorialRange,      msg::kDivisionByZero,
        msg::kInvalidToken,       msg::kUnknownFunction,     msg::kFirstArgument,
    };
    const std::string alphabet = "0123456789.+-*/^%!(),  epimaxsqrt_#~@\t\xe4\xff";
    const NamedValues named;
    std::mt19937 random(12345);
    for (int round = 0; round < 20'000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k) {
            text += round % 4 == 0 ? static_cast<char>(random() % 256)
                                   : alphabet[random() % alphabet.size()];
        }
        const Evaluation e = EvaluateExpression(text, named);
        if (e.ok) {
            EXPECT_TRUE(std::isfinite(e.value)) << text;
            continue;
        }
        std::string_view rest = e.error;
        while (!rest.empty()) {
            bool matched = false;
            for (const std::string_view m : known) {
                if (rest.starts_with(m) && rest.size() > m.size() && rest[m.size()] == ';') {
                    rest.remove_prefix(m.size() + 1);
                    matched = true;
                    break;
                }
            }
            ASSERT_TRUE(matched) << "text: " << text << " error: " << e.error;
        }
    }
}

} // namespace
} // namespace tolvane::engine

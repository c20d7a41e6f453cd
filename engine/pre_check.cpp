#include "engine/pre_check.h"

#include "engine/char_sets.h"
#include "engine/engine.h"
#include "engine/messages.h"
#include "engine/numeric/numeric.h"
#include "engine/numeric/single.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace tolvane::engine {
namespace {

// The pre-check's own classes, on the checker's operators and digits.
constexpr CharSet kArithmeticChars = kDigitChars | kOperatorChars | CharSet("().");
constexpr CharSet kMulAddDivChars{"*+/"};
constexpr CharSet kMulDivChars{"*/"};
constexpr CharSet kAddSubChars{"+-"};

// On a text of digits, '.' and the four operators: no two of * + / in a row, a digit at the end.
bool PassesCharacterCheck(std::string_view text)
{
    if (text.empty() || !kDigitChars.Has(text.back()))
        return false;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (kMulAddDivChars.Has(text[i]) && kMulAddDivChars.Has(text[i + 1]))
            return false;
    }
    return true;
}

// The non-empty pieces of a text between separator characters, one after the other, as views
// into the text.
class Pieces {
public:
    Pieces(std::string_view text, const CharSet& separators)
        : m_text(text)
        , m_separators(separators)
    {}

    // The next piece, or nullopt when there is none left.
    std::optional<std::string_view> Next()
    {
        while (m_start < m_text.size()) {
            const std::size_t start = m_start;
            std::size_t end = start;
            while (end < m_text.size() && !m_separators.Has(m_text[end]))
                ++end;
            m_start = end + 1;
            if (end > start)
                return m_text.substr(start, end - start);
        }
        return std::nullopt;
    }

private:
    std::string_view m_text;
    const CharSet& m_separators;
    std::size_t m_start = 0;
};

// The pre-check's steps, faulting where the floating-point unit would trap: a text that is no
// number, a division by zero, 0/0, a stored value beyond the single range. A factor is read and
// used in its operation in extended precision; only what the computation keeps is a Single. A
// step that faults answers nullopt and leaves its description in `fault`; the caller stops at
// the first.
class SinglePrecision {
public:
    // A factor, read and used without being stored; `negated` reads it with a '-' in front.
    std::optional<Extended> Read(std::string_view text, bool negated = false)
    {
        const auto value = ParseNumber(text);
        if (!value) {
            // Built in a string of its own: GCC 12 at -O3 takes an assignment of "'" to `fault`
            // followed by appends for an overlapping copy (-Wrestrict).
            std::string described(1, '\'');
            if (negated)
                described += '-';
            described.append(text).append(1, '\'').append(msg::kFaultNotANumber);
            fault = std::move(described);
            return std::nullopt;
        }
        return negated ? -*value : *value;
    }

    // A term of the sum, read and stored.
    std::optional<Single> Load(std::string_view text, bool negated)
    {
        const std::optional<Extended> value = Read(text, negated);
        return value ? Store(*value) : std::nullopt;
    }

    // a op b worked out in extended precision, its result stored.
    std::optional<Single> Apply(char op, Extended a, Extended b)
    {
        switch (op) {
        case '+':
            return Store(a + b);
        case '-':
            return Store(a - b);
        case '*':
            return Store(a * b);
        default:
            if (b == Extended(0)) {
                fault = a == Extended(0) ? msg::kFaultInvalidOperation : msg::kFaultDivisionByZero;
                return std::nullopt;
            }
            return Store(a / b);
        }
    }

    std::string fault;

private:
    std::optional<Single> Store(Extended value)
    {
        const std::optional<Single> stored = Single::Store(value);
        if (!stored)
            fault = msg::kFaultOverflow;
        return stored;
    }
};

// A term of the sum: its text, and its value once a term holding '*' or '/' is worked out.
struct Term {
    std::string_view text;
    std::optional<Single> value;
};

enum class Reduced { kDone, kTooFewFactors, kFault };

// Works out a term holding '*' or '/'. The term's operators are taken in order: operator k joins
// factors k and k+1 while the running value is 0, else the running value and factor k+1; a
// trailing operator without a factor is ignored.
Reduced ReduceTerm(Term& term, SinglePrecision& single)
{
    Pieces factors(term.text, kMulDivChars);
    std::optional<std::string_view> factor = factors.Next();
    std::optional<std::string_view> nextFactor = factors.Next();
    if (!nextFactor)
        return Reduced::kTooFewFactors;
    Single value;
    for (std::size_t op = 0; op < term.text.size() && nextFactor; ++op) {
        if (!kMulDivChars.Has(term.text[op]))
            continue;
        const std::optional<Extended> left =
            value.Value() == Extended(0) ? single.Read(*factor) : value.Value();
        if (!left)
            return Reduced::kFault;
        const std::optional<Extended> right = single.Read(*nextFactor);
        if (!right)
            return Reduced::kFault;
        const std::optional<Single> result = single.Apply(term.text[op], *left, *right);
        if (!result)
            return Reduced::kFault;
        value = *result;
        factor = std::exchange(nextFactor, factors.Next());
    }
    term.value = value;
    return Reduced::kDone;
}

// Loads a term into the sum. A worked-out term is written as its 15-digit number text and
// converted again; that text reads back as the very single it was written from (15 digits lie
// far closer to it than half a single's last place), so its value is taken as it stands.
std::optional<Single> LoadTerm(const Term& term, bool negated, SinglePrecision& single)
{
    if (!term.value)
        return single.Load(term.text, negated);
    return negated ? term.value->Negated() : *term.value;
}

// The several-pieces case of the pre-check, on text already known to hold only digits, '.' and
// the four operators.
PreCheck WorkOutInSinglePrecision(std::string_view text)
{
    SinglePrecision single;
    std::vector<Term> terms;
    Pieces termTexts(text, kAddSubChars);
    while (const std::optional<std::string_view> termText = termTexts.Next())
        terms.push_back({*termText, std::nullopt});
    for (Term& term : terms) {
        if (std::ranges::none_of(term.text, [](char c) { return kMulDivChars.Has(c); }))
            continue;
        switch (ReduceTerm(term, single)) {
        case Reduced::kDone:
            break;
        case Reduced::kTooFewFactors:
            return {false, {}};
        case Reduced::kFault:
            return {false, single.fault};
        }
    }
    if (terms.size() < 2)
        return {true, {}};
    std::optional<Single> value = LoadTerm(terms[0], text.front() == '-', single);
    if (!value)
        return {false, single.fault};
    std::optional<Single> next = LoadTerm(terms[1], false, single);
    if (!next)
        return {false, single.fault};
    std::size_t loaded = 2;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (!kAddSubChars.Has(text[i]))
            continue;
        value = single.Apply(text[i], value->Value(), next->Value());
        if (!value)
            return {false, single.fault};
        if (loaded < terms.size() && !(next = LoadTerm(terms[loaded++], false, single)))
            return {false, single.fault};
    }
    return {true, {}};
}

} // namespace

PreCheck IsPlainArithmetic(std::string_view expression)
{
    // One pass looks for the parentheses, which decide at once, and for characters outside
    // plain arithmetic (every byte of a non-ASCII character is one). Replacing "--" below keeps
    // every character inside that set, so the rest is checked on the copy afterwards.
    bool open = false;
    bool close = false;
    bool arithmetic = true;
    for (const char ch : expression) {
        open = open || ch == '(';
        close = close || ch == ')';
        arithmetic = arithmetic && kArithmeticChars.Has(ch);
    }
    if (open || close)
        return {open && close, {}};
    if (!arithmetic)
        return {false, {}};
    std::string text(expression);
    // 5--3 reads 5+03.
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '-' && text[i + 1] == '-') {
            text[i] = '+';
            text[i + 1] = '0';
        }
    }
    if (!PassesCharacterCheck(text))
        return {false, {}};

    Pieces pieces(text, kOperatorChars);
    int count = 0;
    while (const std::optional<std::string_view> piece = pieces.Next()) {
        // A piece of decimal points only (1+.+2) is no number; the line goes the quiet way.
        if (piece->find_first_not_of('.') == std::string_view::npos)
            return {false, {}};
        ++count;
    }
    if (count <= 1)
        return {ParseNumber(text).has_value(), {}};
    // The floating-point unit computes as the engine needs, whatever the caller left set: every
    // fault masked, so one never traps, and 64-bit precision.
    const NumericScope scope;
    return WorkOutInSinglePrecision(text);
}

} // namespace tolvane::engine

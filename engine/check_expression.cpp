#include "engine/check_expression.h"

#include "engine/char_sets.h"
#include "engine/engine.h"
#include "engine/function_table.h"
#include "engine/messages.h"
#include "engine/substitution.h"

#include <array>
#include <string>

namespace tolvane::engine {
namespace {

// What may stand where, by pass.
constexpr CharSet kExpressionChars = CharSet("().*+-/") | kDigitChars;
constexpr CharSet kBeforeOpen("(*+-/");
constexpr CharSet kAfterOpen = CharSet("(+-") | kDigitChars;
constexpr CharSet kBeforeClose = CharSet(")") | kDigitChars;
constexpr CharSet kAfterClose(")*+-/");
constexpr CharSet kAfterOperator(")*./");
constexpr CharSet kBeforeProduct("(*+-./");
constexpr CharSet kRewrittenOrName = CharSet(" %^!") | kNameStartChars;

// Blanks go; the postfix operators and the power operator become plain
// arithmetic, so the later passes judge one kind of expression:
// "%" -> "/(100)", "^" -> "*", "!" -> "*(1*1)". Answers whether the text
// holds a letter or '_', without which there is no call to rewrite.
bool RewritePostfixOperators(std::string_view expression, std::string& copy)
{
    copy.clear();
    copy.reserve(expression.size());
    bool names = false;
    std::size_t runStart = 0;
    for (std::size_t k = 0; k < expression.size(); ++k) {
        const char c = expression[k];
        if (!kRewrittenOrName.Has(c))
            continue;
        if (kNameStartChars.Has(c)) {
            names = true;
            continue;
        }
        copy.append(expression, runStart, k - runStart);
        runStart = k + 1;
        switch (c) {
        case ' ':
            break;
        case '%':
            copy += "/(100)";
            break;
        case '^':
            copy += '*';
            break;
        default:
            copy += "*(1*1)";
        }
    }
    copy.append(expression, runStart);
    return names;
}

// For every '(' in order: how many commas sit directly inside it and whether
// it is closed. A call's arguments are judged by these two facts, found here
// in one sweep instead of a walk per call, which nested calls would make
// quadratic.
void MeasureParentheses(const std::string& copy, CheckBuffers& buffers)
{
    buffers.ownCommas.clear();
    buffers.closed.clear();
    std::vector<std::size_t> stack;
    for (const char c : copy) {
        if (c == '(') {
            stack.push_back(buffers.ownCommas.size());
            buffers.ownCommas.push_back(0);
            buffers.closed.push_back(false);
        } else if (c == ')') {
            if (!stack.empty()) {
                buffers.closed[stack.back()] = true;
                stack.pop_back();
            }
        } else if (c == ',' && !stack.empty()) {
            ++buffers.ownCommas[stack.back()];
        }
    }
}

// Pass 1: every known function call name(a,b,...) becomes (1)*(a*b*...):
// the name is replaced by "(1)*" and the commas directly inside the call by
// '*'. A name runs from the first letter or '_' after the last call (or the
// start) up to the next '('. The pass stops at the first call in error.
void CheckFunctionCalls(CheckBuffers& b, ErrorState& errors)
{
    const std::string& s = b.copy;
    std::string& out = b.rewritten;
    out.clear();
    out.reserve(s.size() + s.size() / 2);
    b.open.clear();
    bool measured = false;
    std::size_t ordinal = 0;
    std::size_t nameStart = std::string::npos;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (nameStart == std::string::npos && kNameStartChars.Has(c))
            nameStart = i;
        if (c == ',' && !b.open.empty() && b.open.back().call) {
            out += '*';
            continue;
        }
        if (c == ')' && !b.open.empty())
            b.open.pop_back();
        if (c != '(') {
            out += c;
            continue;
        }
        bool call = false;
        if (nameStart != std::string::npos) {
            // The name's characters went out unchanged (a ',' inside it may
            // have become '*', which is no name character either).
            const std::string_view name(out.data() + out.size() - (i - nameStart), i - nameStart);
            for (const char n : name) {
                if (!kNameChars.Has(n)) {
                    AppendError(errors, msg::kBadFunctionName);
                    break;
                }
            }
            const FunctionInfo* function = FindFunction(name);
            if (function == nullptr) {
                AppendError(errors, msg::kUnknownFunctionName);
            } else {
                if (!measured) {
                    MeasureParentheses(s, b);
                    measured = true;
                }
                const int declared = function->argumentCount;
                const auto arguments = static_cast<long long>(b.ownCommas[ordinal]) + 1;
                if (!b.closed[ordinal] || (declared != kAnyCount && arguments != declared)) {
                    AppendError(errors, msg::kArgumentCount);
                } else {
                    out.resize(out.size() - name.size());
                    out += "(1)*";
                    call = true;
                }
            }
            nameStart = std::string::npos;
            if (errors.flag)
                return;
        }
        b.open.push_back({ordinal, call});
        ++ordinal;
        out += '(';
    }
}

// Pass 2: only parentheses, the point, the four operators and digits remain.
void CheckCharacters(std::string_view s, ErrorState& errors)
{
    for (const char c : s) {
        if (!kExpressionChars.Has(c)) {
            AppendError(errors, msg::kInvalidCharacter);
            return;
        }
    }
}

// One message for each side of s[i] whose neighbour is not allowed there.
bool CheckNeighbours(std::string_view s, std::size_t i, const CharSet& before, const CharSet& after,
                     ErrorState& errors)
{
    bool found = false;
    if (i >= 1 && !before.Has(s[i - 1])) {
        AppendError(errors, msg::kParenthesisNeighbour);
        found = true;
    }
    if (i + 1 < s.size() && !after.Has(s[i + 1])) {
        AppendError(errors, msg::kParenthesisNeighbour);
        found = true;
    }
    return found;
}

// Pass 3: parentheses balance and what may stand next to them. An error
// found while a parenthesis is open is followed by the pairing message.
void CheckParentheses(std::string_view s, ErrorState& errors)
{
    const std::size_t n = s.size();
    long long depth = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[i];
        depth += c == '(' ? 1 : (c == ')' ? -1 : 0);
        if (depth < 0) {
            AppendError(errors, msg::kTooManyClosing);
            break;
        }
        bool found = false;
        if (c == '(')
            found = CheckNeighbours(s, i, kBeforeOpen, kAfterOpen, errors);
        else if (c == ')')
            found = CheckNeighbours(s, i, kBeforeClose, kAfterClose, errors);
        if (found)
            break;
    }
    if (depth != 0)
        AppendError(errors, msg::kParenthesisPairing);
}

// Pass 4: no '*' or '/' first, no operator last, and the neighbours of each
// operator. A sign may follow any operator or '('.
void CheckOperators(std::string_view s, ErrorState& errors)
{
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[i];
        const bool product = c == '*' || c == '/';
        bool found = false;
        if (product && i == 0) {
            AppendError(errors, msg::kFirstCharacter);
            found = true;
        }
        if (kOperatorChars.Has(c) && i + 1 == n) {
            AppendError(errors, msg::kLastCharacter);
            found = true;
        }
        const bool inner = i >= 1 && i + 1 < n;
        if ((c == '+' || c == '-') && inner && (s[i - 1] == '.' || kAfterOperator.Has(s[i + 1]))) {
            AppendError(errors, msg::kOperatorNeighbour);
            found = true;
        }
        if (product && inner && (kBeforeProduct.Has(s[i - 1]) || kAfterOperator.Has(s[i + 1]))) {
            AppendError(errors, msg::kOperatorNeighbour);
            found = true;
        }
        if (found)
            return;
    }
}

// Pass 5: decimal points at the ends, side by side, or twice in one number.
void CheckDecimalPoints(std::string_view s, ErrorState& errors)
{
    const std::size_t n = s.size();
    bool pointSeen = false;
    bool adjacent = false;         // the previous character was a point
    bool onlyDigitsBetween = true; // since the previous point
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[i];
        bool found = false;
        if (c == '.' && (i == 0 || i + 1 == n)) {
            AppendError(errors, msg::kPointAtEdge);
            found = true;
        }
        if (c == '.') {
            if (pointSeen && adjacent) {
                AppendError(errors, msg::kAdjacentPoints);
                found = true;
            }
            if (pointSeen && !adjacent && onlyDigitsBetween) {
                AppendError(errors, msg::kTwoPoints);
                found = true;
            }
            pointSeen = true;
            adjacent = true;
            onlyDigitsBetween = true;
        } else {
            adjacent = false;
            onlyDigitsBetween = onlyDigitsBetween && kDigitChars.Has(c);
        }
        if (found)
            return;
    }
}

// ---- The common case in one sweep -----------------------------------------
//
// Most lines are well formed. One sweep over the rewritten text with a table
// of forbidden neighbours answers "certainly clean" for them; it is stricter
// than the passes (a sign first in the text followed by a point, say), and
// anything it doubts goes through the passes, which then decide and word the
// messages. So it may only ever miss clean texts, never pass a faulty one.

enum CharClass : unsigned char { kDigit, kPoint, kOpen, kClose, kSign, kProduct, kOther, kClasses };

constexpr CharClass ClassifyChar(char c)
{
    if (kDigitChars.Has(c))
        return kDigit;
    switch (c) {
    case '.':
        return kPoint;
    case '(':
        return kOpen;
    case ')':
        return kClose;
    case '+':
    case '-':
        return kSign;
    case '*':
    case '/':
        return kProduct;
    default:
        return kOther;
    }
}

// The sweep classifies every character; one table lookup per byte is cheaper
// than the set test and the switch it replaces.
constexpr auto kClassOf = [] {
    std::array<CharClass, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = ClassifyChar(static_cast<char>(c));
    return table;
}();

constexpr CharClass ClassOf(char c)
{
    return kClassOf[static_cast<unsigned char>(c)];
}

// kForbidden[a][b]: some pass objects to b right behind a (or may).
constexpr auto kForbidden = [] {
    std::array<std::array<bool, kClasses>, kClasses> table{};
    for (int a = 0; a < kClasses; ++a) {
        for (int b = 0; b < kClasses; ++b) {
            bool bad = a == kOther || b == kOther;
            bad = bad || (a == kOpen && !(b == kOpen || b == kSign || b == kDigit));
            bad = bad || (b == kOpen && !(a == kOpen || a == kSign || a == kProduct));
            bad = bad || (b == kClose && !(a == kClose || a == kDigit));
            bad = bad || (a == kClose && !(b == kClose || b == kSign || b == kProduct));
            bad = bad ||
                  ((a == kSign || a == kProduct) && (b == kClose || b == kProduct || b == kPoint));
            bad = bad || (b == kSign && a == kPoint);
            bad = bad || (b == kProduct && a != kDigit && a != kClose);
            bad = bad || (a == kPoint && b == kPoint);
            table[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] = bad;
        }
    }
    return table;
}();

bool CertainlyClean(std::string_view s)
{
    if (s.empty())
        return false;
    const CharClass first = ClassOf(s.front());
    const CharClass last = ClassOf(s.back());
    if (first == kProduct || first == kPoint || first == kClose || first == kOther)
        return false;
    if (last == kSign || last == kProduct || last == kPoint || last == kOpen || last == kOther)
        return false;
    long long depth = 0;
    bool pointInNumber = false; // a point, then only digits, since
    CharClass before = first;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const CharClass now = ClassOf(s[i]);
        if (i > 0 && kForbidden[before][now])
            return false;
        if (now == kOpen) {
            ++depth;
        } else if (now == kClose && --depth < 0) {
            return false;
        }
        if (now == kPoint) {
            if (pointInNumber)
                return false;
            pointInNumber = true;
        } else if (now != kDigit) {
            pointInNumber = false;
        }
        before = now;
    }
    return depth == 0;
}

} // namespace

void AppendError(ErrorState& state, std::string_view message)
{
    state.flag = true;
    state.text.append(message);
    state.text.push_back(';');
}

bool CheckInto(std::string_view expression, ErrorState& errors, CheckBuffers& buffers)
{
    // The check keeps its own flag: only what it finds decides its answer.
    ErrorState own;
    own.text.swap(errors.text);
    const bool names = RewritePostfixOperators(expression, buffers.copy);
    if (buffers.copy.empty()) {
        errors.text.swap(own.text);
        return false;
    }
    if (names)
        CheckFunctionCalls(buffers, own);
    const std::string_view s = names ? buffers.rewritten : buffers.copy;
    if (!own.flag && buffers.shortcut && CertainlyClean(s)) {
        errors.text.swap(own.text);
        return true;
    }
    if (!own.flag)
        CheckCharacters(s, own);
    if (!own.flag)
        CheckParentheses(s, own);
    if (!own.flag)
        CheckOperators(s, own);
    if (!own.flag)
        CheckDecimalPoints(s, own);
    errors.text.swap(own.text);
    errors.flag = errors.flag || own.flag;
    return !own.flag;
}

bool CheckExpression(std::string_view expression, std::string& errorText)
{
    errorText.clear();
    ErrorState errors;
    try {
        CheckBuffers buffers;
        const bool ok = CheckInto(expression, errors, buffers);
        errorText = std::move(errors.text);
        return ok;
    } catch (...) {
        errorText.clear();
        return false;
    }
}

bool CheckExpression(std::string_view expression, const NamedValues& named, std::string& errorText)
{
    errorText.clear();
    try {
        std::string text(expression);
        std::erase(text, ' ');
        SubstituteNamedValues(text, named);
        return CheckExpression(text, errorText);
    } catch (...) {
        errorText.clear();
        return false;
    }
}

} // namespace tolvane::engine

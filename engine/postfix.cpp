#include "engine/postfix.h"

#include "engine/char_sets.h"

namespace tolvane::engine {
namespace {

// ---- Preparation --------------------------------------------------------------

// A '-' or '+' is a sign when it opens the text or follows one of ( * + , - / ^
// as typed: '-' becomes '~', a '+' is dropped since it changes nothing. The
// test looks at the typed character before, never at a marker already
// written, which is what marking from right to left amounts to.
constexpr CharSet kSignPlace("(*+,-/^");
constexpr CharSet kNumberChars = CharSet(".") | kDigitChars;

} // namespace

void MarkSigns(std::string& work)
{
    // Most lines have no sign at all: find the first one before rewriting.
    char before = '\0';
    std::size_t k = 0;
    for (; k < work.size(); ++k) {
        const char c = work[k];
        if ((c == '+' || c == '-') && (k == 0 || kSignPlace.Has(before)))
            break;
        before = c;
    }
    std::size_t to = k;
    for (; k < work.size(); ++k) {
        const char c = work[k];
        const bool signPlace = k == 0 || kSignPlace.Has(before);
        before = c;
        if (c == '+' && signPlace)
            continue;
        work[to++] = (c == '-' && signPlace) ? '~' : c;
    }
    work.resize(to);
    work += '#';
}

// ---- Conversion to postfix order ------------------------------------------------

namespace {

// Priorities of the operator-stack symbols by first character; function
// names (and anything unknown) rank below everything. '@', the mark of a
// sign '+', ranks with '~' in the table OperatorPriority answers; MarkSigns
// drops such a '+' instead of marking it, so no '@' reaches the conversion.
int Priority(char symbol)
{
    switch (symbol) {
    case '#':
        return 0;
    case '(':
        return 1;
    case ',':
        return 2;
    case '+':
    case '-':
        return 3;
    case '*':
    case '/':
        return 5;
    case '@':
    case '~':
        return 7;
    case '^':
    case '!':
    case '%':
        return 9;
    case ')':
        return 10;
    default:
        return -1;
    }
}

class PostfixConverter {
public:
    PostfixConverter(TokenStack<std::string_view>& output, TokenStack<std::string_view>& operators)
        : m_out(output)
        , m_ops(operators)
    {}

    // The working text ends with '#'; tokens are views into it. A number
    // (digits and points) or a name (a letter or '_', then letters, digits
    // and '_') is taken as a whole run, which is what collecting it character
    // by character in a buffer until some other character arrives amounts to.
    void Convert(std::string_view work)
    {
        static constexpr std::string_view kBottom = "#";
        m_ops.Push(kBottom);
        std::size_t i = 0;
        while (i < work.size()) {
            const char c = work[i];
            if (kNumberChars.Has(c)) {
                const std::size_t start = i;
                while (i < work.size() && kNumberChars.Has(work[i]))
                    ++i;
                m_out.Push(work.substr(start, i - start));
                // A sign applies to the number right behind it before any
                // operator does: ~2^2 is (-2)^2.
                while (!m_ops.Empty() && IsSign(m_ops.Peek()))
                    MoveTop();
                continue;
            }
            if (kNameStartChars.Has(c)) {
                const std::size_t start = i;
                while (i < work.size() && kNameChars.Has(work[i]))
                    ++i;
                m_ops.Push(work.substr(start, i - start));
                continue;
            }
            const std::string_view token = work.substr(i, 1);
            ++i;
            switch (c) {
            case '!':
            case '%':
                m_out.Push(token);
                break;
            case '(':
            case '~':
                m_ops.Push(token);
                break;
            case '+':
            case '-':
            case '*':
            case '/':
            case '^':
                while (!m_ops.Empty() && Priority(c) <= Priority(m_ops.Peek().front()))
                    MoveTop();
                m_ops.Push(token);
                break;
            case ',':
                while (!m_ops.Empty() && !IsOneOf(m_ops.Peek(), kCommaStops))
                    MoveTop();
                m_ops.Push(token);
                break;
            case ')':
                CloseParenthesis();
                break;
            case '#':
                while (m_ops.Count() > 1 || (m_ops.Count() == 1 && m_ops.Peek() != kBottom))
                    MoveTop();
                return;
            default:
                break; // no rule for it: ignored
            }
        }
    }

private:
    static bool IsSign(std::string_view token) { return token == "~"; }
    static bool IsOneOf(std::string_view token, const CharSet& set)
    {
        return token.size() == 1 && set.Has(token.front());
    }
    static constexpr CharSet kCommaStops{"(,#"};
    static constexpr CharSet kCloseStops{"(#"};

    void MoveTop()
    {
        std::string_view top;
        if (m_ops.Pop(top))
            m_out.Push(top);
    }

    // Operators back to the '(' go out; the '(' goes away; then the signs and
    // the function name waiting in front of it follow, so name(args) becomes
    // args name. On unbalanced text this may take the bottom '#' too; the
    // loops then stop at the empty stack.
    void CloseParenthesis()
    {
        while (!m_ops.Empty() && !IsOneOf(m_ops.Peek(), kCloseStops))
            MoveTop();
        std::string_view dropped;
        m_ops.Pop(dropped);
        while (!m_ops.Empty() && (IsSign(m_ops.Peek()) || StartsName(m_ops.Peek())))
            MoveTop();
    }

    TokenStack<std::string_view>& m_out;
    TokenStack<std::string_view>& m_ops;
};

} // namespace

int OperatorPriority(char symbol)
{
    return Priority(symbol);
}

void ConvertToPostfix(std::string_view work, TokenStack<std::string_view>& output,
                      TokenStack<std::string_view>& operators)
{
    PostfixConverter(output, operators).Convert(work);
}

} // namespace tolvane::engine

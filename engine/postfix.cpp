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

} // namespace

void MarkSigns(std::string& work)
{
    char before = '\0';
    std::size_t to = 0;
    for (std::size_t k = 0; k < work.size(); ++k) {
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
// names (and anything unknown) rank below everything.
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
    PostfixConverter(TTokenStack<std::string_view>& output,
                     TTokenStack<std::string_view>& operators)
        : m_out(output)
        , m_ops(operators)
    {}

    // The working text ends with '#'; tokens are views into it.
    void Convert(std::string_view work)
    {
        static constexpr std::string_view kBottom = "#";
        m_ops.Push(kBottom);
        std::size_t numberStart = 0;
        std::size_t numberEnd = 0; // number buffer = work[numberStart, numberEnd)
        std::size_t nameStart = 0;
        std::size_t nameEnd = 0;
        for (std::size_t i = 0; i < work.size(); ++i) {
            const char c = work[i];
            const bool digit = c >= '0' && c <= '9';
            if (numberEnd != numberStart && !digit && c != '.') {
                m_out.Push(work.substr(numberStart, numberEnd - numberStart));
                // A sign applies to the number right behind it before any
                // operator does: ~2^2 is (-2)^2.
                while (!m_ops.Empty() && IsSign(m_ops.Peek()))
                    MoveTop();
                numberStart = numberEnd = 0;
            }
            if (nameEnd != nameStart && !NameChars.Has(c)) {
                m_ops.Push(work.substr(nameStart, nameEnd - nameStart));
                nameStart = nameEnd = 0;
            }
            const std::string_view token = work.substr(i, 1);
            if (c == '.' || (digit && nameEnd == nameStart)) {
                if (numberEnd == numberStart)
                    numberStart = i;
                numberEnd = i + 1;
            } else if (digit || LetterChars.Has(c) || c == '_') {
                if (nameEnd == nameStart)
                    nameStart = i;
                nameEnd = i + 1;
            } else if (c == '!' || c == '%') {
                m_out.Push(token);
            } else if (c == '(' || c == '~' || c == '@') {
                m_ops.Push(token);
            } else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '^') {
                while (!m_ops.Empty() && Priority(c) <= Priority(m_ops.Peek().front()))
                    MoveTop();
                m_ops.Push(token);
            } else if (c == ',') {
                while (!m_ops.Empty() && !IsOneOf(m_ops.Peek(), "(,#"))
                    MoveTop();
                m_ops.Push(token);
            } else if (c == ')') {
                CloseParenthesis();
            } else if (c == '#') {
                while (m_ops.Count() > 1 || (m_ops.Count() == 1 && m_ops.Peek() != kBottom))
                    MoveTop();
                return;
            }
        }
    }

private:
    static bool IsSign(std::string_view token) { return token == "~" || token == "@"; }
    static bool IsOneOf(std::string_view token, std::string_view set)
    {
        return token.size() == 1 && set.find(token.front()) != std::string_view::npos;
    }

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
        while (!m_ops.Empty() && !IsOneOf(m_ops.Peek(), "(#"))
            MoveTop();
        std::string_view dropped;
        m_ops.Pop(dropped);
        while (!m_ops.Empty() && (IsSign(m_ops.Peek()) || StartsName(m_ops.Peek())))
            MoveTop();
    }

    TTokenStack<std::string_view>& m_out;
    TTokenStack<std::string_view>& m_ops;
};

} // namespace

int OperatorPriority(char symbol)
{
    return Priority(symbol);
}

void ConvertToPostfix(std::string_view work, TTokenStack<std::string_view>& output,
                      TTokenStack<std::string_view>& operators)
{
    PostfixConverter(output, operators).Convert(work);
}

} // namespace tolvane::engine

#include "engine/arithmetic.h"
#include "engine/check_expression.h"
#include "engine/engine.h"
#include "engine/functions.h"
#include "engine/messages.h"
#include "engine/number_text.h"
#include "engine/token_stack.h"

#include <cfenv>
#include <cmath>
#include <memory>
#include <unordered_map>

namespace tolvane::engine {
namespace {

// ---- Floating-point faults -------------------------------------------------
//
// Overflow, division by zero and invalid operations end an evaluation. The
// flags are cleared when an evaluation starts and before each function call
// and read after each operation; since the first raised flag ends the
// evaluation, every read sees only what the latest operation raised.
constexpr int kFaults = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

// Forces a value through memory: the operation producing it (and, for a
// double, the rounding store) happens before the flags are read, whatever the
// optimiser would like to move.
template <typename T> T Settle(T value)
{
    asm volatile("" : "+m"(value));
    return value;
}

bool Faulted()
{
    return std::fetestexcept(kFaults) != 0;
}

// ---- Named values ------------------------------------------------------------

bool IsNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// One entry at a time, in table order: each whole-word occurrence is
// replaced and the search goes on behind it. Used when a value is not finite,
// since only then can a replacement text contain a name of its own.
void SubstituteEntryByEntry(std::string& text, std::string& out)
{
    char number[kNumberTextCapacity];
    for (const NamedValue& entry : NamedValues()) {
        const std::string_view name = entry.name;
        if (name.empty() || text.find(name) == std::string::npos)
            continue;
        const std::string_view replacement(number, WriteNumber(entry.value, number));
        out.clear();
        std::size_t pos = 0;
        for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, pos)) {
            const std::size_t after = at + name.size();
            const bool whole = (at == 0 || !IsNameChar(text[at - 1])) &&
                               (after == text.size() || !IsNameChar(text[after]));
            out.append(text, pos, (whole ? at : after) - pos);
            if (whole)
                out.append(replacement);
            pos = after;
        }
        out.append(text, pos);
        text.swap(out);
    }
}

// A whole-word occurrence of a name is exactly a maximal run of name
// characters equal to it. With finite values every replacement text is a
// number whose runs begin with a digit, so no later name can match inside
// one, and all names can be replaced in a single sweep with the same result
// as going entry by entry.
void SubstituteInOneSweep(std::string& text, std::string& out)
{
    const auto& table = NamedValues();
    std::unordered_map<std::string_view, std::size_t> index;
    constexpr std::size_t kIndexFrom = 16;
    if (table.size() >= kIndexFrom) {
        for (std::size_t k = 0; k < table.size(); ++k)
            index.emplace(table[k].name, k);
    }
    const auto find = [&](std::string_view word) -> const NamedValue* {
        if (table.size() >= kIndexFrom) {
            const auto it = index.find(word);
            return it == index.end() ? nullptr : &table[it->second];
        }
        for (const NamedValue& entry : table) {
            if (entry.name == word)
                return &entry;
        }
        return nullptr;
    };
    out.clear();
    char number[kNumberTextCapacity];
    std::size_t k = 0;
    bool changed = false;
    while (k < text.size()) {
        if (!IsNameChar(text[k])) {
            out += text[k++];
            continue;
        }
        const std::size_t start = k;
        while (k < text.size() && IsNameChar(text[k]))
            ++k;
        const std::string_view word(text.data() + start, k - start);
        const NamedValue* entry = IsLetter(word.front()) ? find(word) : nullptr;
        if (entry != nullptr) {
            out.append(number, WriteNumber(entry->value, number));
            changed = true;
        } else {
            out.append(word);
        }
    }
    if (changed)
        text.swap(out);
}

void Substitute(std::string& text, std::string& out)
{
    const auto& table = NamedValues();
    if (table.empty())
        return;
    for (const NamedValue& entry : table) {
        if (!std::isfinite(entry.value)) {
            SubstituteEntryByEntry(text, out);
            return;
        }
    }
    SubstituteInOneSweep(text, out);
}

// ---- Values -----------------------------------------------------------------

// A value-stack entry stands for a number text without holding one: a typed
// number is a view of the working text, an operator result keeps the double
// whose FormatNumber text it stands for together with what ParseNumber reads
// back from that text, and an argument list keeps its items.
struct Value {
    enum class Kind : unsigned char { Typed, Result, List };
    Kind kind = Kind::Typed;
    std::string_view typed;
    double result = 0;
    long double readBack = 0;
    std::size_t list = 0; // index into the evaluation's list pool
};

Value ResultValue(double result)
{
    Value v;
    v.kind = Value::Kind::Result;
    v.result = result;
    v.readBack = DecimalToExtended(RoundToFifteenDigits(result));
    return v;
}

// Everything one evaluation works in. Kept between evaluations (per thread)
// so a line is evaluated without allocating once the buffers have grown.
struct Scratch {
    std::string work;
    std::string spare;
    CheckBuffers check;
    TTokenStack<std::string_view> output;
    TTokenStack<std::string_view> operators;
    TTokenStack<Value> values;
    // Argument lists, each item by item in reverse order, so that joining
    // the next item in front of a long list (what `,` does, right to left)
    // costs one append instead of a copy of the list.
    std::vector<std::vector<Value>> lists;
    std::size_t listsUsed = 0;
    std::string argumentText;
    char numberText[kNumberTextCapacity] = {};

    void Reset()
    {
        output.Clear();
        operators.Clear();
        values.Clear();
        listsUsed = 0;
    }
};

// Hands out the thread's scratch, or a fresh one if it is in use (a function
// evaluating an expression of its own).
class ScratchLease {
public:
    ScratchLease()
    {
        if (t_busy) {
            m_own = std::make_unique<Scratch>();
            m_scratch = m_own.get();
        } else {
            t_busy = true;
            m_scratch = &t_scratch;
        }
        m_scratch->Reset();
    }
    ~ScratchLease()
    {
        if (!m_own)
            t_busy = false;
    }
    ScratchLease(const ScratchLease&) = delete;
    ScratchLease& operator=(const ScratchLease&) = delete;
    Scratch& Get() { return *m_scratch; }

private:
    static thread_local Scratch t_scratch;
    static thread_local bool t_busy;
    std::unique_ptr<Scratch> m_own;
    Scratch* m_scratch = nullptr;
};

thread_local Scratch ScratchLease::t_scratch;
thread_local bool ScratchLease::t_busy = false;

// ---- Preparation --------------------------------------------------------------

// A '-' or '+' is a sign when it opens the text or follows one of ( * + , - / ^
// as typed: '-' becomes '~', a '+' is dropped since it changes nothing. The
// test looks at the typed character before, never at a marker already
// written, which is what marking from right to left amounts to.
void MarkSigns(std::string& work)
{
    char before = '\0';
    std::size_t to = 0;
    for (std::size_t k = 0; k < work.size(); ++k) {
        const char c = work[k];
        const bool signPlace =
            k == 0 || std::string_view("(*+,-/^").find(before) != std::string_view::npos;
        before = c;
        if (c == '+' && signPlace)
            continue;
        work[to++] = (c == '-' && signPlace) ? '~' : c;
    }
    work.resize(to);
    work += '#';
}

// ---- Conversion to postfix order ------------------------------------------------

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

bool StartsName(std::string_view token)
{
    return !token.empty() && (IsLetter(token.front()) || token.front() == '_');
}

class PostfixConverter {
public:
    explicit PostfixConverter(Scratch& s)
        : m_out(s.output)
        , m_ops(s.operators)
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
            if (nameEnd != nameStart && !IsNameChar(c)) {
                m_ops.Push(work.substr(nameStart, nameEnd - nameStart));
                nameStart = nameEnd = 0;
            }
            const std::string_view token = work.substr(i, 1);
            if (c == '.' || (digit && nameEnd == nameStart)) {
                if (numberEnd == numberStart)
                    numberStart = i;
                numberEnd = i + 1;
            } else if (digit || IsLetter(c) || c == '_') {
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

// ---- Evaluation of the postfix sequence ------------------------------------------

enum class Step { Next, Fault, Message };

class PostfixEvaluator {
public:
    PostfixEvaluator(Scratch& s, ErrorState& errors)
        : m_s(s)
        , m_values(s.values)
        , m_errors(errors)
    {}

    // The value, or nullopt with or without messages in the error state.
    std::optional<double> Run()
    {
        std::feclearexcept(kFaults);
        const auto& output = m_s.output;
        for (std::size_t k = 0; k < output.Count(); ++k) {
            const Step step = Apply(output[k]);
            if (step != Step::Next || m_errors.flag)
                return std::nullopt;
        }
        Value top;
        if (!m_values.Pop(top))
            return std::nullopt;
        const auto value = Read(top);
        if (!value)
            return std::nullopt;
        const double result = Settle(static_cast<double>(*value));
        if (Faulted())
            return std::nullopt;
        return result;
    }

private:
    Step Apply(std::string_view token)
    {
        const char c = token.front();
        if ((c >= '0' && c <= '9') || c == '.') {
            Value v;
            v.typed = token;
            m_values.Push(v);
            return Step::Next;
        }
        switch (c) {
        case '~':
        case '%':
        case '!':
            return Unary(c);
        case '+':
        case '-':
        case '*':
        case '/':
        case '^':
            return Binary(c);
        case ',':
            return Join();
        case '@':
            return Step::Next;
        default:
            break;
        }
        if (StartsName(token))
            return Function(token);
        AppendError(m_errors, msg::kInvalidToken);
        return Step::Message;
    }

    // What ParseNumber reads from the entry's text; an argument list (which
    // holds a ',') is no number.
    std::optional<long double> Read(const Value& v) const
    {
        switch (v.kind) {
        case Value::Kind::Typed:
            return ParseNumber(v.typed);
        case Value::Kind::Result:
            return v.readBack;
        case Value::Kind::List:
            break;
        }
        return std::nullopt;
    }

    // Rounds to double, checks the flags and pushes the result.
    Step PushResult(long double r)
    {
        const double d = Settle(static_cast<double>(Settle(r)));
        if (Faulted() || !std::isfinite(d))
            return Step::Fault;
        m_values.Push(ResultValue(d));
        return Step::Next;
    }

    Step Unary(char op)
    {
        Value v;
        if (!m_values.Pop(v))
            return Step::Next;
        const auto x = Read(v);
        if (!x)
            return Step::Fault;
        if (op == '~')
            return PushResult(-*x);
        if (op == '%')
            return PushResult(*x * 0.01L);
        if (*x != std::trunc(*x) || *x > 150 || *x < 1) {
            AppendError(m_errors, msg::kFactorialRange);
            return Step::Message;
        }
        double r = 1;
        for (int k = static_cast<int>(*x); k >= 1; --k)
            r = Settle(static_cast<double>(static_cast<long double>(k) * r));
        return PushResult(r);
    }

    Step Binary(char op)
    {
        Value right;
        Value left;
        if (!m_values.Pop(right) || !m_values.Pop(left))
            return Step::Next;
        const auto b = Read(right);
        const auto a = Read(left);
        if (!a || !b)
            return Step::Fault;
        switch (op) {
        case '+':
            return PushResult(Settle(*a) + Settle(*b));
        case '-':
            return PushResult(Settle(*a) - Settle(*b));
        case '*':
            return PushResult(Settle(*a) * Settle(*b));
        case '/':
            if (*b == 0) {
                AppendError(m_errors, msg::kDivisionByZero);
                return Step::Message;
            }
            return PushResult(Settle(*a) / Settle(*b));
        default: {
            const auto power = PowerRule(*a, *b);
            if (!power)
                return Step::Fault;
            return PushResult(*power);
        }
        }
    }

    // a , b -> the list a,b in typed order.
    Step Join()
    {
        Value right;
        Value left;
        if (!m_values.Pop(right) || !m_values.Pop(left))
            return Step::Next;
        std::size_t list = 0;
        if (right.kind == Value::Kind::List) {
            list = right.list;
        } else {
            list = NewList();
            m_s.lists[list].push_back(right);
        }
        auto& reversed = m_s.lists[list];
        if (left.kind == Value::Kind::List) {
            const auto& more = m_s.lists[left.list];
            reversed.insert(reversed.end(), more.begin(), more.end());
        } else {
            reversed.push_back(left);
        }
        Value joined;
        joined.kind = Value::Kind::List;
        joined.list = list;
        m_values.Push(joined);
        return Step::Next;
    }

    std::size_t NewList()
    {
        if (m_s.listsUsed == m_s.lists.size())
            m_s.lists.emplace_back();
        m_s.lists[m_s.listsUsed].clear();
        return m_s.listsUsed++;
    }

    // The entry as the number text it stands for.
    std::string_view Text(const Value& v)
    {
        switch (v.kind) {
        case Value::Kind::Typed:
            return v.typed;
        case Value::Kind::Result:
            return {m_s.numberText, WriteNumber(v.result, m_s.numberText)};
        case Value::Kind::List:
            break;
        }
        std::string& text = m_s.argumentText;
        text.clear();
        const auto& reversed = m_s.lists[v.list];
        for (auto it = reversed.rbegin(); it != reversed.rend(); ++it) {
            if (it != reversed.rbegin())
                text += ',';
            text.append(Text(*it)); // items are never lists themselves
        }
        return text;
    }

    Step Function(std::string_view name)
    {
        Value v;
        std::optional<std::string_view> arguments;
        if (m_values.Pop(v))
            arguments = Text(v);
        std::feclearexcept(kFaults);
        const std::optional<double> r = ApplyFunction(name, arguments, m_errors);
        if (m_errors.flag)
            return Step::Message;
        if (!r)
            return Step::Fault;
        return PushResult(*r);
    }

    Scratch& m_s;
    TTokenStack<Value>& m_values;
    ErrorState& m_errors;
};

} // namespace

int OperatorPriority(char symbol)
{
    return Priority(symbol);
}

void SubstituteNamedValues(std::string& text)
{
    std::string out;
    Substitute(text, out);
}

Evaluation EvaluateExpression(std::string_view text)
{
    Evaluation result;
    try {
        ScratchLease lease;
        Scratch& s = lease.Get();
        s.work.clear();
        for (const char c : text) {
            if (c != ' ')
                s.work += c;
        }
        if (s.work.empty())
            return result;
        Substitute(s.work, s.spare);
        ErrorState errors;
        if (!CheckInto(s.work, errors, s.check)) {
            result.error = std::move(errors.text);
            return result;
        }
        MarkSigns(s.work);
        PostfixConverter(s).Convert(s.work);
        const std::optional<double> value = PostfixEvaluator(s, errors).Run();
        if (value && !errors.flag) {
            result.ok = true;
            result.value = *value;
        } else {
            result.error = std::move(errors.text);
        }
    } catch (...) {
        // Only running out of memory can get here; the line simply fails.
        result = Evaluation{};
    }
    return result;
}

} // namespace tolvane::engine

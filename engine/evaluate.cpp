#include "engine/arithmetic.h"
#include "engine/char_sets.h"
#include "engine/check_expression.h"
#include "engine/engine.h"
#include "engine/function_step.h"
#include "engine/functions.h"
#include "engine/messages.h"
#include "engine/named_values.h"
#include "engine/number_text.h"
#include "engine/numeric/numeric.h"
#include "engine/postfix.h"
#include "engine/substitution.h"
#include "engine/token_stack.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>

namespace tolvane::engine {
namespace {

// ---- Floating-point faults -------------------------------------------------
//
// Overflow, division by zero and invalid operations end an evaluation. The
// flags are clear when an evaluation starts (its NumericScope clears them,
// whatever a caller or an earlier line left raised). An overflow or invalid
// result shows in the value itself (infinite or not a number), which each
// operation tests at once; the flags, which also catch a fault hidden inside
// a computation (an overflowing square in the power rule whose reciprocal is
// 0), are read before anything observable happens: before a message is
// recorded, before a function is called (so it starts with clear flags) and
// after it, and when the result is taken. Since flags are sticky, that
// answers exactly as clearing them before and reading them after every
// operation would.

// The extended value nearest 0.01, what '%' multiplies by.
constexpr Extended kOneHundredth = Extended::FromBits({0xa3d7'0a3d'70a3'd70a, 0x3ff8});

// ---- Values -----------------------------------------------------------------

// A value-stack entry stands for a number text without holding one. It
// keeps what ParseNumber reads from that text, plus what gives the text back
// when an argument list needs it: a typed number is a stretch of the working
// text (read when it is pushed; one ParseNumber rejects is Unreadable and a
// fault when used, as its text would be), an operator result keeps the
// double whose FormatNumber text it stands for, and an argument list keeps
// its items. 32 bytes, so the stack stays compact.
//
// An Exact entry is a typed number that an exact named value wrote into the
// text (NamedValues::SetExact), or its negation: it stands for its double with
// every digit, so a sign in front of it keeps the digits, where a sign in front
// of any other number gives a 15-digit result as every operation does.
struct Value {
    enum class Kind : unsigned char { Typed, Unreadable, Result, List, Exact };
    Extended number = 0;
    // Typed, Unreadable: offset << 32 | length in the working text;
    // Result, Exact: the bits of the double; List: the index in the list pool.
    std::uint64_t payload = 0;
    Kind kind = Kind::Typed;
};

// The two makers write straight into the stack slot: an Extended copied
// through a temporary costs an extended store and load each way.
void SetTyped(Value& v, std::string_view work, std::string_view token)
{
    const auto offset = static_cast<std::uint64_t>(token.data() - work.data());
    v.payload = offset << 32 | token.size();
    if (const auto number = ParseNumber(token)) {
        v.number = *number;
        v.kind = Value::Kind::Typed;
    } else {
        v.number = 0;
        v.kind = Value::Kind::Unreadable;
    }
}

void SetResult(Value& v, double result)
{
    v.kind = Value::Kind::Result;
    v.payload = std::bit_cast<std::uint64_t>(result);
    v.number = RoundedToExtended(result);
}

// n! as the double product n * (n - 1) * ... * 1, taken in that order. k * r
// with k <= 150 needs at most 61 bits, so the extended product is exact and
// rounding it to double is the double product. The compiler forms the table,
// so a '!' costs a lookup rather than up to 150 dependent multiplications.
constexpr int kMaxFactorial = 150;
constexpr auto kFactorials = [] {
    std::array<double, kMaxFactorial + 1> table{};
    for (int n = 1; n <= kMaxFactorial; ++n) {
        double r = 1;
        for (int k = n; k >= 1; --k)
            r *= k;
        table[static_cast<std::size_t>(n)] = r;
    }
    return table;
}();

// Typed numbers are addressed by 32-bit offsets; a longer line (4 GB) is
// refused before anything else.
constexpr std::size_t kLongestLine = 0xffff'ffffu;

// Everything one evaluation works in. Kept between evaluations (per thread)
// so a line is evaluated without allocating once the buffers have grown.
struct Scratch {
    std::string work;
    std::string spare;
    CheckBuffers check;
    TokenStack<std::string_view> output;
    TokenStack<std::string_view> operators;
    TokenStack<Value> values;
    // Argument lists, each item by item in reverse order, so that joining
    // the next item in front of a long list (what `,` does, right to left)
    // costs one append instead of a copy of the list.
    std::vector<std::vector<Value>> lists;
    std::size_t listsUsed = 0;
    std::string argumentText;
    char numberText[kNumberTextCapacity] = {};
    // The magnitudes of the exact named values, sorted; empty for most lines.
    std::vector<Extended> exactMagnitudes;
    std::string exactText;

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

// ---- Evaluation of the postfix sequence ------------------------------------------

enum class Step { Next, Fault, Message };

class PostfixEvaluator {
public:
    PostfixEvaluator(Scratch& s, FunctionStep step, ErrorState& errors)
        : m_s(s)
        , m_values(s.values)
        , m_step(step)
        , m_errors(errors)
    {}

    // The value, or nullopt with or without messages in the error state.
    // On success also the double the last step computed, before an operation's result is
    // rounded to 15 digits (Evaluation::unrounded).
    std::optional<double> Run(double& unrounded)
    {
        const auto& output = m_s.output;
        for (std::size_t k = 0; k < output.Count(); ++k) {
            const Step step = Apply(output[k]);
            if (step != Step::Next || m_errors.flag)
                return std::nullopt;
        }
        const Value* top = m_values.PopInPlace();
        if (top == nullptr || !IsNumber(*top))
            return std::nullopt;
        const double result = Settle(ToDouble(top->number));
        if (Faulted())
            return std::nullopt;
        const bool keepsDouble =
            top->kind == Value::Kind::Result || top->kind == Value::Kind::Exact;
        unrounded = keepsDouble ? std::bit_cast<double>(top->payload) : result;
        return result;
    }

private:
    Step Apply(std::string_view token)
    {
        const char c = token.front();
        if ((c >= '0' && c <= '9') || c == '.') {
            Value& v = m_values.PushSlot();
            SetTyped(v, m_s.work, token);
            if (!m_s.exactMagnitudes.empty())
                MarkExact(v);
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
        default:
            break;
        }
        if (StartsName(token))
            return Function(token);
        return Message(msg::kInvalidToken);
    }

    // A fault raised earlier takes precedence: the evaluation would have
    // ended there, before this message.
    Step Message(std::string_view message)
    {
        if (Faulted())
            return Step::Fault;
        AppendError(m_errors, message);
        return Step::Message;
    }

    // Whether ParseNumber reads a number from the entry's text (then it is
    // `number`); an argument list (which holds a ',') is no number.
    static bool IsNumber(const Value& v)
    {
        return v.kind == Value::Kind::Typed || v.kind == Value::Kind::Result ||
               v.kind == Value::Kind::Exact;
    }

    // A typed number that equals an exact named value is that value: the text the substitution
    // wrote reads back as exactly its double.
    void MarkExact(Value& v) const
    {
        if (v.kind == Value::Kind::Typed &&
            std::ranges::binary_search(m_s.exactMagnitudes, v.number, std::less<>{})) {
            v.kind = Value::Kind::Exact;
            v.payload = std::bit_cast<std::uint64_t>(ToDouble(v.number));
        }
    }

    // Rounds to double and pushes the result. Its value lands on the stack
    // in memory, so no later reading of the flags can come before the
    // operation that made it.
    Step PushResult(Extended r)
    {
        const double d = ToDouble(r);
        if (!std::isfinite(d))
            return Step::Fault;
        SetResult(m_values.PushSlot(), d);
        return Step::Next;
    }

    // The operands are read where they lie on the stack; the result is
    // computed before it is pushed over them.
    Step Unary(char op)
    {
        const Value* v = m_values.PopInPlace();
        if (v == nullptr)
            return Step::Next;
        if (!IsNumber(*v))
            return Step::Fault;
        const Extended x = v->number;
        if (op == '~' && v->kind == Value::Kind::Exact) {
            const double negated = -std::bit_cast<double>(v->payload);
            Value& out = m_values.PushSlot();
            out.kind = Value::Kind::Exact;
            out.number = -x;
            out.payload = std::bit_cast<std::uint64_t>(negated);
            return Step::Next;
        }
        if (op == '~')
            return PushResult(-x);
        if (op == '%')
            return PushResult(x * kOneHundredth);
        if (x != Trunc(x) || x > kMaxFactorial || x < 1)
            return Message(msg::kFactorialRange);
        return PushResult(kFactorials[static_cast<std::size_t>(ToInt64(x))]);
    }

    Step Binary(char op)
    {
        const Value* right = m_values.PopInPlace();
        const Value* left = right != nullptr ? m_values.PopInPlace() : nullptr;
        if (left == nullptr)
            return Step::Next;
        if (!IsNumber(*left) || !IsNumber(*right))
            return Step::Fault;
        const Extended a = left->number;
        const Extended b = right->number;
        switch (op) {
        case '+':
            return PushResult(a + b);
        case '-':
            return PushResult(a - b);
        case '*':
            return PushResult(a * b);
        case '/':
            if (b == 0)
                return Message(msg::kDivisionByZero);
            return PushResult(a / b);
        default: {
            const auto power = PowerRule(a, b);
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
            list = right.payload;
        } else {
            list = NewList();
            m_s.lists[list].push_back(right);
        }
        auto& reversed = m_s.lists[list];
        if (left.kind == Value::Kind::List) {
            const auto& more = m_s.lists[left.payload];
            reversed.insert(reversed.end(), more.begin(), more.end());
        } else {
            reversed.push_back(left);
        }
        Value joined;
        joined.kind = Value::Kind::List;
        joined.payload = list;
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
        case Value::Kind::Unreadable:
            return std::string_view(m_s.work).substr(v.payload >> 32, v.payload & 0xffff'ffffu);
        case Value::Kind::Result:
            return {m_s.numberText, WriteNumber(std::bit_cast<double>(v.payload), m_s.numberText)};
        case Value::Kind::Exact:
            m_s.exactText.clear();
            AppendExactNumber(std::bit_cast<double>(v.payload), m_s.exactText);
            return m_s.exactText;
        case Value::Kind::List:
            break;
        }
        std::string& text = m_s.argumentText;
        text.clear();
        const auto& reversed = m_s.lists[v.payload];
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
        if (Faulted())
            return Step::Fault;
        const std::optional<double> r = m_step(name, arguments, m_errors);
        if (m_errors.flag)
            return Step::Message;
        if (!r || Faulted())
            return Step::Fault;
        return PushResult(*r);
    }

    Scratch& m_s;
    TokenStack<Value>& m_values;
    FunctionStep m_step;
    ErrorState& m_errors;
};

} // namespace

Evaluation EvaluateExpression(std::string_view text, const NamedValues& named)
{
    return EvaluateExpression(text, named, &ApplyFunction);
}

Evaluation EvaluateExpression(std::string_view text, const NamedValues& named, FunctionStep step)
{
    Evaluation result;
    // The floating-point unit as the arithmetic needs it, the caller's
    // settings back on every way out. A function step that evaluates a line
    // of its own runs while the flags are clear, so its scope clearing them
    // on the way out loses nothing.
    const NumericScope numeric;
    try {
        ScratchLease lease;
        Scratch& s = lease.Get();
        if (text.size() > kLongestLine)
            return result;
        s.work.assign(text);
        std::erase(s.work, ' ');
        if (s.work.empty())
            return result;
        SubstituteNamedValues(s.work, named, s.spare);
        s.exactMagnitudes.clear();
        if (named.HasExact()) {
            for (const NamedValue& entry : named.Entries()) {
                if (entry.exact)
                    s.exactMagnitudes.push_back(Extended(std::fabs(entry.value)));
            }
            std::ranges::sort(s.exactMagnitudes, std::less<>{});
        }
        if (s.work.size() > kLongestLine)
            return result;
        ErrorState errors;
        if (!CheckInto(s.work, errors, s.check)) {
            result.error = std::move(errors.text);
            return result;
        }
        MarkSigns(s.work);
        ConvertToPostfix(s.work, s.output, s.operators);
        double unrounded = 0;
        const std::optional<double> value = PostfixEvaluator(s, step, errors).Run(unrounded);
        if (value && !errors.flag) {
            result.ok = true;
            result.value = *value;
            result.unrounded = unrounded;
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

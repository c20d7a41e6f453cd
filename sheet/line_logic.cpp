#include "sheet/line_logic.h"

#include "engine/engine.h"
#include "sheet/sheet_helpers.h"
#include "sheet/utf.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iterator>
#include <vector>

namespace tolvane::sheet {

bool ContainsChar(std::u16string_view text, char16_t ch)
{
    return text.find(ch) != std::u16string_view::npos;
}

std::u16string NormalizeLine(std::u16string_view line)
{
    std::u16string normal;
    normal.reserve(line.size());
    for (char16_t ch : line) {
        switch (ch) {
        case u'（':
            normal += u'(';
            break;
        case u'）':
            normal += u')';
            break;
        case u'，':
            normal += u',';
            break;
        case u'\r':
        case u'\n':
        case u' ':
            break;
        default:
            normal += ch;
        }
    }
    return normal;
}

// ---- Result separators ---------------------------------------------------------------------

namespace {

constexpr std::u16string_view kDefinitionsMarker = u"@@";

bool IsQuote(char16_t ch)
{
    return ch == u'\'' || ch == u'"';
}
bool IsItemSeparator(char16_t ch)
{
    return ch == u',' || ch == u'，';
}

// Positions of the "=" that separate a line's expression from earlier results. A "=" inside a
// definition item behind "@@" is the item's own (a=2) unless the item already holds one
// (b=3=6); a "=" between a matched pair of quotes never separates.
std::vector<std::size_t> ResultSeparators(std::u16string_view line)
{
    const std::size_t marker = line.find(kDefinitionsMarker);
    const std::size_t definitions =
        marker == std::u16string_view::npos ? line.size() : marker + kDefinitionsMarker.size();
    std::vector<std::size_t> separators;
    bool itemHasEquals = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char16_t ch = line[i];
        if (IsQuote(ch)) {
            const std::size_t partner = line.find(ch, i + 1);
            if (partner != std::u16string_view::npos) {
                i = partner;
                continue;
            }
        }
        if (i < definitions) {
            if (ch == u'=')
                separators.push_back(i);
        } else if (IsItemSeparator(ch)) {
            itemHasEquals = false;
        } else if (ch == u'=') {
            if (itemHasEquals)
                separators.push_back(i);
            itemHasEquals = true;
        }
    }
    return separators;
}

} // namespace

bool HasResultSeparator(std::u16string_view line)
{
    return !ResultSeparators(line).empty();
}

std::optional<std::u16string> ExpressionBeforeResult(std::u16string_view line)
{
    std::size_t start = 0;
    std::vector<std::size_t> ends = ResultSeparators(line);
    ends.push_back(line.size());
    for (const std::size_t end : ends) {
        std::u16string_view piece = line.substr(start, end - start);
        piece.remove_prefix(std::min(piece.find_first_not_of(u" #"), piece.size()));
        if (!piece.empty())
            return std::u16string(piece);
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<std::u16string> ResultBehindSeparator(std::u16string_view line)
{
    const std::vector<std::size_t> separators = ResultSeparators(line);
    if (separators.empty())
        return std::nullopt;
    return std::u16string(line.substr(separators.back() + 1));
}

// ---- The pre-check -------------------------------------------------------------------------

namespace {

bool IsDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}
bool IsMulAddDiv(char16_t ch)
{
    return ch == u'*' || ch == u'+' || ch == u'/';
}
bool IsArithmeticChar(char16_t ch)
{
    return IsDigit(ch) || ch == u'(' || ch == u')' || ch == u'*' || ch == u'+' || ch == u'-' ||
           ch == u'.' || ch == u'/';
}

// Digits, '.', the four operators; no two of * + / in a row; a digit at the end.
bool PassesCharacterCheck(std::u16string_view text)
{
    if (text.empty() || !IsDigit(text.back()))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsArithmeticChar(text[i]))
            return false;
        if (IsMulAddDiv(text[i]) && i + 1 < text.size() && IsMulAddDiv(text[i + 1]))
            return false;
    }
    return true;
}

// Non-empty pieces of text between any of the separator characters.
std::vector<std::string> Split(std::string_view text, std::string_view separators)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
        if (end > start)
            pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

// Arithmetic on stored single-precision values, faulting where the floating-point unit would
// trap: a division by zero, 0/0, a result beyond the single range, a text that is no number.
// After the first fault every call answers false and `fault` keeps that first description.
class SinglePrecision {
public:
    bool Convert(const std::string& text, float& out)
    {
        const std::optional<long double> value = engine::ParseNumber(text);
        if (!value)
            return Fail("'" + text + "'" + std::string(msg::kFaultNotANumber));
        return Store(*value, out);
    }

    bool Apply(char op, float left, float right, float& out)
    {
        const long double a = left;
        const long double b = right;
        switch (op) {
        case '+':
            return Store(a + b, out);
        case '-':
            return Store(a - b, out);
        case '*':
            return Store(a * b, out);
        default:
            if (b == 0)
                return Fail(
                    std::string(a == 0 ? msg::kFaultInvalidOperation : msg::kFaultDivisionByZero));
            return Store(a / b, out);
        }
    }

    std::string fault;

private:
    bool Fail(std::string description)
    {
        fault = std::move(description);
        return false;
    }

    bool Store(long double value, float& out)
    {
        // Rounding to nearest keeps everything below FLT_MAX plus half its last place; from
        // there on the store overflows.
        static const long double limit = static_cast<long double>(FLT_MAX) + std::ldexp(1.0L, 103);
        if (!(std::fabs(value) < limit))
            return Fail(std::string(msg::kFaultOverflow));
        out = static_cast<float>(value);
        return true;
    }
};

enum class Reduced { kDone, kTooFewFactors, kFault };

// Works out one term holding '*' or '/' and writes its value back as a number text. The term's
// operators are taken in order: operator k joins factors k and k+1 while the running value is 0,
// else the running value and factor k+1; a trailing operator without a factor is ignored.
Reduced ReduceTerm(std::string& term, SinglePrecision& single)
{
    const std::vector<std::string> factors = Split(term, "*/");
    if (factors.size() < 2)
        return Reduced::kTooFewFactors;
    std::vector<char> ops;
    std::copy_if(term.begin(), term.end(), std::back_inserter(ops),
                 [](char ch) { return ch == '*' || ch == '/'; });
    float value = 0;
    for (std::size_t k = 0; k < ops.size() && k + 1 < factors.size(); ++k) {
        float left = value;
        float right = 0;
        if (value == 0 && !single.Convert(factors[k], left))
            return Reduced::kFault;
        if (!single.Convert(factors[k + 1], right) || !single.Apply(ops[k], left, right, value))
            return Reduced::kFault;
    }
    term = engine::FormatNumber(static_cast<double>(value));
    return Reduced::kDone;
}

// The several-pieces case of the pre-check, on text already known to hold only digits, '.' and
// the four operators.
PreCheck WorkOutInSinglePrecision(const std::string& text)
{
    SinglePrecision single;
    std::vector<std::string> terms = Split(text, "+-");
    for (std::string& term : terms) {
        if (term.find_first_of("*/") == std::string::npos)
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
    float value = 0;
    float next = 0;
    if (!single.Convert((text.front() == '-' ? "-" : "") + terms[0], value) ||
        !single.Convert(terms[1], next))
        return {false, single.fault};
    std::size_t loaded = 2;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] != '+' && text[i] != '-')
            continue;
        if (!single.Apply(text[i], value, next, value))
            return {false, single.fault};
        if (loaded < terms.size() && !single.Convert(terms[loaded++], next))
            return {false, single.fault};
    }
    return {true, {}};
}

} // namespace

PreCheck IsPlainArithmetic(std::u16string_view expression)
{
    const bool open = ContainsChar(expression, u'(');
    const bool close = ContainsChar(expression, u')');
    if (open || close)
        return {open && close, {}};

    std::u16string work(expression);
    // 5--3 reads 5+03.
    for (std::size_t i = 0; i + 1 < work.size(); ++i) {
        if (work[i] == u'-' && work[i + 1] == u'-') {
            work[i] = u'+';
            work[i + 1] = u'0';
        }
    }
    if (!PassesCharacterCheck(work))
        return {false, {}};

    const std::string text(work.begin(), work.end()); // ASCII only by now
    const std::vector<std::string> pieces = Split(text, "*+-/");
    // A piece of decimal points only (1+.+2) is no number; the line goes the quiet way.
    if (std::any_of(pieces.begin(), pieces.end(), [](const std::string& piece) {
            return piece.find_first_not_of('.') == std::string::npos;
        }))
        return {false, {}};
    if (pieces.size() <= 1)
        return {engine::ParseNumber(text).has_value(), {}};
    return WorkOutInSinglePrecision(text);
}

// ---- Evaluation ----------------------------------------------------------------------------

namespace {

std::optional<double> Evaluate(std::u16string_view expression)
{
    std::u16string text = NormalizeLine(expression);
    // Each evaluation starts from the four constants; the line's variables live for this one
    // evaluation only, so nothing one line defines can reach another line or another sheet.
    engine::NamedValues named;
    const std::size_t marker = text.find(kDefinitionsMarker);
    if (marker != std::u16string::npos) {
        engine::DefineVariables(named, ToUtf8(std::u16string_view(text).substr(marker + 2)));
        text.resize(marker);
    }
    const engine::Evaluation evaluation = engine::EvaluateExpression(ToUtf8(text), named);
    if (!evaluation.ok)
        return std::nullopt;
    return evaluation.value;
}

std::u16string NumberText(const std::optional<double>& value)
{
    return value ? ToUtf16(engine::FormatNumber(*value)) : std::u16string();
}

} // namespace

std::u16string EvaluateLine(std::u16string_view expression, Notifier& notifier)
{
    const std::optional<double> value = Evaluate(expression);
    if (!value)
        notifier.ShowMessage(msg::kErrorCaption, msg::kEvaluationFailed);
    return NumberText(value);
}

std::u16string EvaluateLineQuiet(std::u16string_view expression)
{
    return NumberText(Evaluate(expression));
}

std::u16string DiagnoseOperator(std::u16string_view expression)
{
    const auto diagnosis = [](char16_t ch) -> std::u16string_view {
        switch (ch) {
        case u'+':
            return msg::kAdditionError;
        case u'-':
            return msg::kSubtractionError;
        case u'*':
            return msg::kMultiplicationError;
        case u'/':
            return msg::kDivisionError;
        default:
            return {};
        }
    };
    if (expression.empty())
        return {};
    if (!diagnosis(expression.back()).empty())
        return std::u16string(diagnosis(expression.back()));
    if (expression.front() == u'+' || expression.front() == u'-')
        return {};
    for (char16_t ch : expression) {
        if (!diagnosis(ch).empty())
            return std::u16string(diagnosis(ch));
    }
    return {};
}

// ---- The evaluation step -------------------------------------------------------------------

namespace {

int LineEnd(const Sheet& sheet, int line)
{
    return sheet.LineStart(line) + static_cast<int>(sheet.LineText(line).size());
}

struct ResultText {
    std::u16string text;
    EnterOutcome outcome = EnterOutcome::kNumber;
};

ResultText ResultOf(std::u16string_view expression, bool plain, Notifier& notifier)
{
    if (plain) {
        std::u16string number = EvaluateLine(expression, notifier);
        const EnterOutcome outcome =
            number.empty() ? EnterOutcome::kReported : EnterOutcome::kNumber;
        return {std::move(number), outcome};
    }
    if (std::u16string number = EvaluateLineQuiet(expression); !number.empty())
        return {std::move(number), EnterOutcome::kNumber};
    std::u16string diagnosis = DiagnoseOperator(expression);
    return {diagnosis.empty() ? std::u16string(expression) : std::move(diagnosis),
            EnterOutcome::kDiagnosed};
}

} // namespace

EnterOutcome PressEnter(Sheet& sheet, SheetState& state, Notifier& notifier)
{
    // The line last clicked is evaluated even if the keyboard moved the caret away since.
    if (state.clickPos != 0)
        sheet.MoveCaret(state.clickPos);
    const int line = sheet.LineAt(sheet.CaretPos());
    state.currentLine = line;
    const std::u16string text = sheet.LineText(line);

    std::u16string expression = text;
    if (HasResultSeparator(text)) {
        std::optional<std::u16string> before = ExpressionBeforeResult(text);
        if (!before) {
            state.currentLine = line + 1;
            state.clickPos = 0;
            sheet.MoveCaret(LineEnd(sheet, line));
            return EnterOutcome::kNoExpression;
        }
        expression = std::move(*before);
    } else if (text.empty()) {
        state.currentLine = line + 1;
        state.clickPos = 0;
        return EnterOutcome::kEmptyLine;
    }

    const PreCheck check = IsPlainArithmetic(expression);
    if (!check.fault.empty()) {
        notifier.ReportFault(check.fault);
        return EnterOutcome::kFault;
    }
    const ResultText result = ResultOf(expression, check.plain, notifier);
    sheet.ReplaceLine(line, expression + u"=" + result.text);
    state.currentLine = line + 1;
    state.clickPos = 0;
    ColorLine(sheet, line);
    ColorOperators(sheet, line);
    // One past the line's text, inside the line break after it: the key's line break then
    // opens a new empty line directly below.
    sheet.MoveCaret(LineEnd(sheet, line) + 1);
    return result.outcome;
}

} // namespace tolvane::sheet

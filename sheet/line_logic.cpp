#include "sheet/line_logic.h"

#include "engine/engine.h"
#include "sheet/sheet_helpers.h"
#include "sheet/utf.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

namespace tolvane::sheet {

bool ContainsChar(std::u16string_view text, char16_t ch)
{
    return text.find(ch) != std::u16string_view::npos;
}

std::u16string NormalizeLine(std::u16string_view line)
{
    std::u16string normal(line.size(), u'\0');
    std::size_t length = 0;
    for (char16_t ch : line) {
        switch (ch) {
        case u'（':
            normal[length++] = u'(';
            break;
        case u'）':
            normal[length++] = u')';
            break;
        case u'，':
            normal[length++] = u',';
            break;
        case u'\r':
        case u'\n':
        case u' ':
            break;
        default:
            normal[length++] = ch;
        }
    }
    normal.resize(length);
    return normal;
}

// ---- Result separators ---------------------------------------------------------------------

namespace {

constexpr std::u16string_view kDefinitionsMarker = u"@@";
constexpr std::string_view kDefinitionsMarkerUtf8 = "@@";

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
    if (!ContainsChar(line, u'='))
        return {};
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
bool IsMulDiv(char ch)
{
    return ch == '*' || ch == '/';
}
bool IsAddSub(char ch)
{
    return ch == '+' || ch == '-';
}
bool IsOperator(char ch)
{
    return IsMulDiv(ch) || IsAddSub(ch);
}

// On a text of digits, '.' and the four operators: no two of * + / in a row, a digit at the end.
bool PassesCharacterCheck(std::string_view text)
{
    if (text.empty() || !IsDigit(text.back()))
        return false;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (IsMulAddDiv(text[i]) && IsMulAddDiv(text[i + 1]))
            return false;
    }
    return true;
}

// The non-empty pieces of a text between separator characters, one after the other, as views
// into the text.
template <bool (*IsSeparator)(char)> class Pieces {
public:
    explicit Pieces(std::string_view text)
        : m_text(text)
    {}

    // The next piece, or nullopt when there is none left.
    std::optional<std::string_view> Next()
    {
        while (m_start < m_text.size()) {
            const std::size_t start = m_start;
            std::size_t end = start;
            while (end < m_text.size() && !IsSeparator(m_text[end]))
                ++end;
            m_start = end + 1;
            if (end > start)
                return m_text.substr(start, end - start);
        }
        return std::nullopt;
    }

private:
    std::string_view m_text;
    std::size_t m_start = 0;
};

// The pre-check computes in the type ParseNumber reads into, the engine's extended precision:
// a factor is read and used in its operation at that precision; only what the computation keeps
// (a term's running value, a term loaded for the sum, each partial sum) is a single.
using Number = std::remove_cvref_t<decltype(*engine::ParseNumber(std::string_view()))>;

// Stores a value in single precision as the floating-point unit does: rounded to nearest (ties
// to even) in one step, or nullopt when the store overflows. The one place that knows how a
// single is made; everything else uses only + - * / and comparisons on Number.
std::optional<Number> StoreSingle(Number value)
{
    // Rounding to nearest keeps everything below FLT_MAX plus half its last place, 2^128 - 2^103;
    // from there on, infinity included, the store overflows.
    constexpr double kOverflowFrom = 0x1.ffffffp127;
    constexpr double kLargest = 0x1.fffffep127; // FLT_MAX
    if (!(value < Number(kOverflowFrom) && Number(-kOverflowFrom) < value))
        return std::nullopt;
    // Just beyond FLT_MAX the store rounds back to it (a conversion would have no defined value).
    if (Number(kLargest) < value)
        return Number(kLargest);
    if (value < Number(-kLargest))
        return Number(-kLargest);
    // ToFloat rounds once; going through double first would round twice.
    return Number(static_cast<double>(engine::ToFloat(value)));
}

// The pre-check's steps, faulting where the floating-point unit would trap: a text that is no
// number, a division by zero, 0/0, a stored value beyond the single range. A step that faults
// answers nullopt and leaves its description in `fault`; the caller stops at the first.
class SinglePrecision {
public:
    // A factor, read and used without being stored; `negated` reads it with a '-' in front.
    std::optional<Number> Read(std::string_view text, bool negated = false)
    {
        const auto value = engine::ParseNumber(text);
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
    std::optional<Number> Load(std::string_view text, bool negated)
    {
        const std::optional<Number> value = Read(text, negated);
        return value ? Store(*value) : std::nullopt;
    }

    // a op b worked out in extended precision, its result stored.
    std::optional<Number> Apply(char op, Number a, Number b)
    {
        switch (op) {
        case '+':
            return Store(a + b);
        case '-':
            return Store(a - b);
        case '*':
            return Store(a * b);
        default:
            if (b == Number(0)) {
                fault = a == Number(0) ? msg::kFaultInvalidOperation : msg::kFaultDivisionByZero;
                return std::nullopt;
            }
            return Store(a / b);
        }
    }

    std::string fault;

private:
    std::optional<Number> Store(Number value)
    {
        const std::optional<Number> stored = StoreSingle(value);
        if (!stored)
            fault = msg::kFaultOverflow;
        return stored;
    }
};

// A term of the sum: its text, and its value once a term holding '*' or '/' is worked out.
struct Term {
    std::string_view text;
    std::optional<Number> value;
};

enum class Reduced { kDone, kTooFewFactors, kFault };

// Works out a term holding '*' or '/'. The term's operators are taken in order: operator k joins
// factors k and k+1 while the running value is 0, else the running value and factor k+1; a
// trailing operator without a factor is ignored.
Reduced ReduceTerm(Term& term, SinglePrecision& single)
{
    Pieces<IsMulDiv> factors(term.text);
    std::optional<std::string_view> factor = factors.Next();
    std::optional<std::string_view> nextFactor = factors.Next();
    if (!nextFactor)
        return Reduced::kTooFewFactors;
    Number value = 0; // stored in single precision
    for (std::size_t op = 0; op < term.text.size() && nextFactor; ++op) {
        if (!IsMulDiv(term.text[op]))
            continue;
        const std::optional<Number> left = value == Number(0) ? single.Read(*factor) : value;
        if (!left)
            return Reduced::kFault;
        const std::optional<Number> right = single.Read(*nextFactor);
        if (!right)
            return Reduced::kFault;
        const std::optional<Number> result = single.Apply(term.text[op], *left, *right);
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
std::optional<Number> LoadTerm(const Term& term, bool negated, SinglePrecision& single)
{
    if (!term.value)
        return single.Load(term.text, negated);
    return negated ? -*term.value : *term.value;
}

// The several-pieces case of the pre-check, on text already known to hold only digits, '.' and
// the four operators.
PreCheck WorkOutInSinglePrecision(std::string_view text)
{
    SinglePrecision single;
    std::vector<Term> terms;
    Pieces<IsAddSub> termTexts(text);
    while (const std::optional<std::string_view> termText = termTexts.Next())
        terms.push_back({*termText, std::nullopt});
    for (Term& term : terms) {
        if (std::ranges::none_of(term.text, IsMulDiv))
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
    std::optional<Number> value = LoadTerm(terms[0], text.front() == '-', single);
    if (!value)
        return {false, single.fault};
    std::optional<Number> next = LoadTerm(terms[1], false, single);
    if (!next)
        return {false, single.fault};
    std::size_t loaded = 2;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (!IsAddSub(text[i]))
            continue;
        value = single.Apply(text[i], *value, *next);
        if (!value)
            return {false, single.fault};
        if (loaded < terms.size() && !(next = LoadTerm(terms[loaded++], false, single)))
            return {false, single.fault};
    }
    return {true, {}};
}

} // namespace

PreCheck IsPlainArithmetic(std::u16string_view expression)
{
    // One pass looks for the parentheses, which decide at once, and for characters outside
    // plain arithmetic, while it copies the text to narrow characters. Replacing "--" below
    // keeps every character inside that set, so the rest is checked on the copy afterwards.
    bool open = false;
    bool close = false;
    bool arithmetic = true;
    std::string text(expression.size(), '\0');
    for (std::size_t i = 0; i < expression.size(); ++i) {
        const char16_t ch = expression[i];
        open = open || ch == u'(';
        close = close || ch == u')';
        arithmetic = arithmetic && IsArithmeticChar(ch);
        text[i] = static_cast<char>(ch);
    }
    if (open || close)
        return {open && close, {}};
    if (!arithmetic)
        return {false, {}};
    // 5--3 reads 5+03.
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '-' && text[i + 1] == '-') {
            text[i] = '+';
            text[i + 1] = '0';
        }
    }
    if (!PassesCharacterCheck(text))
        return {false, {}};

    Pieces<IsOperator> pieces(text);
    int count = 0;
    while (const std::optional<std::string_view> piece = pieces.Next()) {
        // A piece of decimal points only (1+.+2) is no number; the line goes the quiet way.
        if (piece->find_first_not_of('.') == std::string_view::npos)
            return {false, {}};
        ++count;
    }
    if (count <= 1)
        return {engine::ParseNumber(text).has_value(), {}};
    return WorkOutInSinglePrecision(text);
}

// ---- Evaluation ----------------------------------------------------------------------------

namespace {

std::optional<double> Value(const engine::Evaluation& evaluation)
{
    return evaluation.ok ? std::optional<double>(evaluation.value) : std::nullopt;
}

// NormalizeLine's text in UTF-8, made in one pass when the line is ASCII, as most are.
std::string NormalizedUtf8(std::u16string_view expression)
{
    std::string text(expression.size(), '\0');
    std::size_t length = 0;
    for (const char16_t ch : expression) {
        if (ch >= 0x80)
            return ToUtf8(NormalizeLine(expression));
        if (ch != u'\r' && ch != u'\n' && ch != u' ')
            text[length++] = static_cast<char>(ch);
    }
    text.resize(length);
    return text;
}

std::optional<double> Evaluate(std::u16string_view expression)
{
    std::string text = NormalizedUtf8(expression);
    // Each evaluation starts from the four constants; the line's variables live for this one
    // evaluation only, so nothing one line defines can reach another line or another sheet. A
    // line without variables reads the constants alone, which the engine never changes.
    static const engine::NamedValues kConstants;
    const std::size_t marker = text.find(kDefinitionsMarkerUtf8);
    if (marker == std::string::npos)
        return Value(engine::EvaluateExpression(text, kConstants));
    engine::NamedValues named;
    engine::DefineVariables(named,
                            std::string_view(text).substr(marker + kDefinitionsMarkerUtf8.size()));
    text.resize(marker);
    return Value(engine::EvaluateExpression(text, named));
}

std::u16string NumberText(const std::optional<double>& value)
{
    if (!value)
        return {};
    const std::string number = engine::FormatNumber(*value); // ASCII
    return std::u16string(number.begin(), number.end());
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
    return sheet.LineStart(line) + sheet.LineLength(line);
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
    std::u16string expression = sheet.LineText(line);
    if (HasResultSeparator(expression)) {
        std::optional<std::u16string> before = ExpressionBeforeResult(expression);
        if (!before) {
            state.currentLine = line + 1;
            state.clickPos = 0;
            sheet.MoveCaret(LineEnd(sheet, line));
            return EnterOutcome::kNoExpression;
        }
        expression = std::move(*before);
    } else if (expression.empty()) {
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
    std::u16string written;
    written.reserve(expression.size() + 1 + result.text.size());
    written.append(expression).append(u"=").append(result.text);
    sheet.ReplaceLine(line, written);
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

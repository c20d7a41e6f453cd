#include "sheet/line_logic.h"

#include "engine/engine.h"
#include "engine/pre_check.h"
#include "sheet/enter_steps.h"
#include "sheet/line_variables.h"
#include "sheet/sheet_helpers.h"
#include "sheet/utf.h"

#include <algorithm>
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

bool IsQuote(char16_t ch)
{
    return ch == u'\'' || ch == u'"';
}

// Positions of the "=" that separate a line's expression from earlier results. A "=" inside a
// definition item behind "@@" is the item's own (a=2) unless the item already holds one
// (b=3=6); a "=" between a matched pair of quotes never separates.
std::vector<std::size_t> ResultSeparators(std::u16string_view line)
{
    if (!ContainsChar(line, u'='))
        return {};
    const std::size_t marker = FindDefinitionsMarker(line);
    const std::size_t definitions =
        marker == std::u16string_view::npos ? line.size() : marker + kDefinitionsMarkerLength;
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

// ---- Evaluation ----------------------------------------------------------------------------

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

namespace {

// The line's variables and the values of other lines, the text cut at its "@@" (at `marker`).
engine::NamedValues LineValues(std::string& text, std::size_t marker,
                               std::span<const std::string> names, std::span<const double> values)
{
    engine::NamedValues named;
    if (marker != std::string::npos) {
        engine::DefineVariables(named,
                                std::string_view(text).substr(marker + kDefinitionsMarkerLength));
        text.resize(marker);
    }
    // Values of other lines: after the variables, under names no variable of the line can have.
    for (std::size_t k = 0; k < names.size() && k < values.size(); ++k)
        named.SetExact(names[k], values[k]);
    return named;
}

} // namespace

engine::Evaluation EvaluateNormalized(std::string text, std::span<const std::string> names,
                                      std::span<const double> values)
{
    // Each evaluation starts from the four constants; the line's variables live for this one
    // evaluation only, so nothing one line defines can reach another line or another sheet. A
    // line without variables reads the constants alone, which the engine never changes.
    static const engine::NamedValues kConstants;
    const std::size_t marker = FindDefinitionsMarker(std::string_view(text));
    if (marker == std::string::npos && names.empty())
        return engine::EvaluateExpression(text, kConstants);
    const engine::NamedValues named = LineValues(text, marker, names, values);
    return engine::EvaluateExpression(text, named);
}

bool CheckNormalized(std::string text, std::span<const std::string> names,
                     std::span<const double> values)
{
    const std::size_t marker = FindDefinitionsMarker(std::string_view(text));
    const engine::NamedValues named = LineValues(text, marker, names, values);
    std::string errors;
    return engine::CheckExpression(text, named, errors);
}

namespace {

std::optional<double> Value(const engine::Evaluation& evaluation)
{
    return evaluation.ok ? std::optional<double>(evaluation.value) : std::nullopt;
}

std::optional<double> Evaluate(std::u16string_view expression)
{
    return Value(EvaluateNormalized(NormalizedUtf8(expression), {}, {}));
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

int LineEnd(const Sheet& sheet, int line)
{
    return sheet.LineStart(line) + sheet.LineLength(line);
}

namespace {

LineAnswer ResultOf(std::u16string_view expression, bool plain, Notifier& notifier)
{
    if (plain) {
        std::u16string number = EvaluateLine(expression, notifier);
        const EnterOutcome outcome =
            number.empty() ? EnterOutcome::kReported : EnterOutcome::kNumber;
        return {std::move(number), outcome, {}};
    }
    if (std::u16string number = EvaluateLineQuiet(expression); !number.empty())
        return {std::move(number), EnterOutcome::kNumber, {}};
    std::u16string diagnosis = DiagnoseOperator(expression);
    return {diagnosis.empty() ? std::u16string(expression) : std::move(diagnosis),
            EnterOutcome::kDiagnosed,
            {}};
}

} // namespace

LineAnswer AnswerLine(std::u16string_view expression, Notifier& notifier)
{
    engine::PreCheck check = engine::IsPlainArithmetic(ToUtf8(expression));
    if (!check.fault.empty())
        return {{}, EnterOutcome::kFault, std::move(check.fault)};
    return ResultOf(expression, check.plain, notifier);
}

void WriteAnswer(Sheet& sheet, SheetState& state, int line, std::u16string_view expression,
                 std::u16string_view result)
{
    std::u16string written;
    written.reserve(expression.size() + 1 + result.size());
    written.append(expression).append(u"=").append(result);
    sheet.ReplaceLine(line, written);
    state.currentLine = line + 1;
    state.clickPos = 0;
    ColorLine(sheet, line);
    ColorOperators(sheet, line);
    // One past the line's text, inside the line break after it: the key's line break then
    // opens a new empty line directly below.
    sheet.MoveCaret(LineEnd(sheet, line) + 1);
}

EnterOutcome EnterTodaysWay(Sheet& sheet, SheetState& state, Notifier& notifier, int line,
                            std::u16string_view expression)
{
    const LineAnswer answer = AnswerLine(expression, notifier);
    if (answer.outcome == EnterOutcome::kFault) {
        notifier.ReportFault(answer.fault);
        return EnterOutcome::kFault;
    }
    WriteAnswer(sheet, state, line, expression, answer.result);
    return answer.outcome;
}

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

    if (state.references)
        return EnterWithReferences(sheet, state, notifier, line, expression);
    return EnterTodaysWay(sheet, state, notifier, line, expression);
}

} // namespace tolvane::sheet

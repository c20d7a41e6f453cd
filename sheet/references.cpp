#include "sheet/references.h"

#include "engine/engine.h"
#include "sheet/enter_steps.h"
#include "sheet/line_logic.h"
#include "sheet/memory_sheet.h"
#include "sheet/reference_cache.h"
#include "sheet/sheet_helpers.h"
#include "sheet/utf.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tolvane::sheet {

namespace {

// What a line with names gives where it stands.
struct NamedAnswer {
    enum class Kind {
        kNumber,   // `evaluation` holds it
        kNotFound, // a name refers to nothing: `missing` is the first such
        kNote,     // words, not a formula: nothing is written
        kPlain,    // the rules find no number: the plain reading writes the line
    };
    Kind kind = Kind::kPlain;
    engine::Evaluation evaluation;
    std::u16string missing;
};

// What the lines read so far say to the next one: the value above, the running sums and the
// value of each label. One pass from the top down keeps it, each line in constant time, so no
// line's value is ever looked for by going back up (no recursion, nothing quadratic).
class Context {
public:
    // The value of a name by what it refers to (LineFacts::refers), if it has one.
    [[nodiscard]] std::optional<double> ValueOf(int refers) const
    {
        switch (refers) {
        case LineFacts::kLineAbove:
            return m_above;
        case LineFacts::kSubtotal:
            return m_subtotal.Value();
        case LineFacts::kTotal:
            return m_total.Value();
        default:
            break;
        }
        const auto k = static_cast<std::size_t>(refers);
        if (k < m_labels.size() && !std::isnan(m_labels[k]))
            return m_labels[k];
        return std::nullopt;
    }

    [[nodiscard]] NamedAnswer Answer(const LineFacts& facts) const;

    // Takes a line in, once it has been read; `value` is what a line with names gave.
    void Take(const LineFacts& facts, std::optional<double> value)
    {
        switch (facts.kind) {
        case LineFacts::Kind::kHeading:
            m_total.Clear();
            m_subtotal.Clear();
            return;
        case LineFacts::Kind::kBlank:
            m_subtotal.Clear();
            return;
        case LineFacts::Kind::kPlain:
        case LineFacts::Kind::kEntry:
            m_subtotal.Add(facts.value);
            m_total.Add(facts.value);
            Remember(facts, facts.value);
            return;
        case LineFacts::Kind::kNamed:
            if (value)
                Remember(facts, *value);
            if (facts.endsSubtotal)
                m_subtotal.Clear();
            return;
        case LineFacts::Kind::kNothing:
        case LineFacts::Kind::kFailed:
            return;
        }
    }

private:
    void Remember(const LineFacts& facts, double value)
    {
        m_above = value;
        if (facts.label < 0)
            return;
        const auto k = static_cast<std::size_t>(facts.label);
        if (k >= m_labels.size())
            m_labels.resize(k + 1, std::numeric_limits<double>::quiet_NaN());
        m_labels[k] = value;
    }

    std::optional<double> m_above;
    engine::RunningSum m_subtotal;
    engine::RunningSum m_total;
    // By label number; not-a-number where no line above with that label has a value.
    std::vector<double> m_labels;
};

NamedAnswer Context::Answer(const LineFacts& facts) const
{
    NamedAnswer answer;
    std::vector<double> values(facts.refers.size(), 1);
    std::optional<std::size_t> firstMissing;
    bool anyKnown = false;
    bool allFinite = true;
    for (std::size_t k = 0; k < facts.refers.size(); ++k) {
        if (const std::optional<double> value = ValueOf(facts.refers[k])) {
            anyKnown = true;
            // A sum beyond the double range has no digits to write: the line fails.
            allFinite = allFinite && std::isfinite(*value);
            values[k] = std::isfinite(*value) ? *value : 1;
        } else if (!firstMissing) {
            firstMissing = k;
        }
    }
    if (!firstMissing && allFinite) {
        answer.evaluation = EvaluateNormalized(facts.text, facts.ids, values);
        if (answer.evaluation.ok) {
            answer.kind = NamedAnswer::Kind::kNumber;
            return answer;
        }
    }
    // Words are a note; a line that uses 上行, 小计 or 合计 is a formula whatever else it holds.
    const bool note = facts.wordsOnly &&
                      std::ranges::none_of(facts.refers, [](int refers) { return refers < 0; });
    if (firstMissing && !anyKnown && note) {
        answer.kind = NamedAnswer::Kind::kNote;
        return answer;
    }
    // Whether the line is a formula at all: with a number for each name that has none.
    const bool wellFormed = CheckNormalized(facts.text, facts.ids, values);
    if (firstMissing && wellFormed) {
        answer.kind = NamedAnswer::Kind::kNotFound;
        answer.missing = facts.words[*firstMissing];
    } else if (!wellFormed && note) {
        answer.kind = NamedAnswer::Kind::kNote;
    }
    return answer;
}

// What Enter does to a line with the switch on, once the lines above are read.
struct ReferenceAnswer {
    enum class Kind {
        kWrite, // expression=result
        kText,  // nothing written
        kPlain, // the plain reading answers, as with the switch off
    };
    Kind kind = Kind::kPlain;
    std::u16string result;
    EnterOutcome outcome = EnterOutcome::kNumber;
    // What a line with names gives, for the lines below.
    std::optional<double> value;
};

ReferenceAnswer AnswerWithReferences(const LineFacts& facts, const Context& context)
{
    ReferenceAnswer answer;
    switch (facts.kind) {
    case LineFacts::Kind::kPlain:
    case LineFacts::Kind::kFailed:
        return answer;
    case LineFacts::Kind::kBlank:
    case LineFacts::Kind::kHeading:
    case LineFacts::Kind::kNothing:
        answer.kind = ReferenceAnswer::Kind::kText;
        return answer;
    case LineFacts::Kind::kEntry:
        answer.kind = ReferenceAnswer::Kind::kWrite;
        answer.result = facts.result;
        return answer;
    case LineFacts::Kind::kNamed:
        break;
    }
    const NamedAnswer named = context.Answer(facts);
    switch (named.kind) {
    case NamedAnswer::Kind::kNumber: {
        const std::string number = engine::FormatNumber(named.evaluation.value); // ASCII
        answer.kind = ReferenceAnswer::Kind::kWrite;
        answer.result.assign(number.begin(), number.end());
        answer.value = named.evaluation.unrounded;
        break;
    }
    case NamedAnswer::Kind::kNotFound:
        answer.kind = ReferenceAnswer::Kind::kWrite;
        answer.result.assign(msg::kNotFound).append(named.missing);
        answer.outcome = EnterOutcome::kDiagnosed;
        break;
    case NamedAnswer::Kind::kNote:
        answer.kind = ReferenceAnswer::Kind::kText;
        break;
    case NamedAnswer::Kind::kPlain:
        break;
    }
    return answer;
}

// Takes a line into the context, working out its value first if it has names.
void TakeLine(Context& context, const LineFacts& facts)
{
    std::optional<double> value;
    if (facts.kind == LineFacts::Kind::kNamed)
        value = AnswerWithReferences(facts, context).value;
    context.Take(facts, value);
}

// Reads the lines [0, end) into a context.
Context ReadLinesAbove(const Sheet& sheet, ReferenceCache& cache, int end)
{
    Context context;
    for (int line = 0; line < end; ++line)
        TakeLine(context, cache.Facts(sheet.LineText(line)));
    return context;
}

ReferenceCache& CacheOf(SheetState& state)
{
    if (!state.referenceCache)
        state.referenceCache = std::make_shared<ReferenceCache>();
    state.referenceCache->BeginPass();
    return *state.referenceCache;
}

// A heading, a comment, a note: the line stays as it is and the key's line break, inserted at
// its end, opens the next line below it.
EnterOutcome LeaveAsText(Sheet& sheet, SheetState& state, int line)
{
    state.currentLine = line + 1;
    state.clickPos = 0;
    sheet.MoveCaret(LineEnd(sheet, line));
    return EnterOutcome::kTextLine;
}

class SilentNotifier final : public Notifier {
public:
    void ShowMessage(std::string_view, std::string_view) override {}
    void ReportFault(std::string_view) override {}
};

// What Enter writes behind "=" on a line the plain way, without a box; a fault, after which
// Enter would leave the line with its old result, clears the result instead.
std::u16string PlainResult(std::u16string_view expression)
{
    SilentNotifier silent;
    LineAnswer answer = AnswerLine(expression, silent);
    return answer.outcome == EnterOutcome::kFault ? std::u16string() : std::move(answer.result);
}

} // namespace

EnterOutcome EnterWithReferences(Sheet& sheet, SheetState& state, Notifier& notifier, int line,
                                 std::u16string_view expression)
{
    ReferenceCache& cache = CacheOf(state);
    const LineFacts& facts = cache.Facts(sheet.LineText(line));
    // Only a line with names needs the lines above.
    const ReferenceAnswer answer = AnswerWithReferences(
        facts,
        facts.kind == LineFacts::Kind::kNamed ? ReadLinesAbove(sheet, cache, line) : Context());
    switch (answer.kind) {
    case ReferenceAnswer::Kind::kWrite:
        WriteAnswer(sheet, state, line, expression, answer.result);
        return answer.outcome;
    case ReferenceAnswer::Kind::kText:
        return LeaveAsText(sheet, state, line);
    case ReferenceAnswer::Kind::kPlain:
        break;
    }
    return EnterTodaysWay(sheet, state, notifier, line, expression);
}

namespace {

// A place in the text as a line and a column, kept across rewrites of other lines.
struct LinePlace {
    int line = 0;
    int column = 0;

    static LinePlace Of(const Sheet& sheet, int pos)
    {
        const int line = sheet.LineAt(pos);
        return {line, std::max(pos - sheet.LineStart(line), 0)};
    }
    [[nodiscard]] int Pos(const Sheet& sheet) const
    {
        return sheet.LineStart(line) + std::min(column, sheet.LineLength(line));
    }
};

} // namespace

int RecalculateAll(Sheet& sheet, SheetState& state, Notifier& /*notifier*/)
{
    const LinePlace caret = LinePlace::Of(sheet, sheet.CaretPos());
    const bool clicked = state.clickPos != 0;
    const LinePlace click = clicked ? LinePlace::Of(sheet, state.clickPos) : LinePlace{};
    ReferenceCache* cache = state.references ? &CacheOf(state) : nullptr;
    Context context;
    int rewritten = 0;
    for (int line = 0; line < sheet.LineCount(); ++line) {
        const std::u16string text = sheet.LineText(line);
        std::optional<std::u16string> expression =
            HasResultSeparator(text) ? ExpressionBeforeResult(text) : std::nullopt;
        std::optional<std::u16string> result;
        std::optional<double> value;
        const LineFacts* facts = cache ? &cache->Facts(text) : nullptr;
        if (facts) {
            // Every line counts for the ones below, whether it carries a result or not.
            ReferenceAnswer answer = AnswerWithReferences(*facts, context);
            value = answer.value;
            if (expression && answer.kind == ReferenceAnswer::Kind::kWrite)
                result = std::move(answer.result);
            else if (expression && answer.kind == ReferenceAnswer::Kind::kPlain)
                result = PlainResult(*expression);
        } else if (expression) {
            result = PlainResult(*expression);
        }
        std::u16string written;
        if (result)
            written.append(*expression).append(u"=").append(*result);
        if (!result || written == text) {
            if (facts)
                context.Take(*facts, value);
            continue;
        }
        // The lines below read this one as it is written now, as Enter on them would.
        if (facts)
            TakeLine(context, cache->Facts(written));
        sheet.ReplaceLine(line, written);
        ColorLine(sheet, line);
        ColorOperators(sheet, line);
        ++rewritten;
    }
    sheet.MoveCaret(caret.Pos(sheet));
    if (clicked)
        state.clickPos = click.Pos(sheet);
    return rewritten;
}

struct SheetReader::Lines {
    LabelTable labels;
    Context context;
};

SheetReader::SheetReader()
    : m_lines(std::make_unique<Lines>())
{}

SheetReader::~SheetReader() = default;

SheetReader::Answer SheetReader::Next(std::u16string_view line, Notifier& notifier)
{
    const LineFacts typed = ReadFacts(line, m_lines->labels);
    const ReferenceAnswer answer = AnswerWithReferences(typed, m_lines->context);
    Answer entered{std::u16string(line), EnterOutcome::kEmptyLine};
    // PressEnter's own first steps, which come before any reading.
    std::u16string expression(line);
    if (HasResultSeparator(line)) {
        std::optional<std::u16string> before = ExpressionBeforeResult(line);
        if (before)
            expression = std::move(*before);
        else
            entered.outcome = EnterOutcome::kNoExpression;
    }
    const bool read = entered.outcome != EnterOutcome::kNoExpression && !line.empty();
    if (read && answer.kind == ReferenceAnswer::Kind::kWrite) {
        entered.line = expression.append(u"=").append(answer.result);
        entered.outcome = answer.outcome;
    } else if (read && answer.kind == ReferenceAnswer::Kind::kText) {
        entered.outcome = EnterOutcome::kTextLine;
    } else if (read) {
        // The plain way, on the line alone with the switch off.
        MemorySheet alone(line);
        SheetState plain;
        entered.outcome = PressEnter(alone, plain, notifier);
        entered.line = alone.LineText(0);
    }
    // The lines below see this one as Enter leaves it, as on the sheet.
    if (entered.line == line) {
        m_lines->context.Take(typed, answer.value);
    } else {
        TakeLine(m_lines->context, ReadFacts(entered.line, m_lines->labels));
    }
    return entered;
}

} // namespace tolvane::sheet

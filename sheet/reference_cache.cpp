#include "sheet/reference_cache.h"

#include "engine/engine.h"
#include "engine/pre_check.h"
#include "sheet/enter_steps.h"
#include "sheet/line_logic.h"
#include "sheet/line_variables.h"
#include "sheet/utf.h"

#include <optional>
#include <utility>

namespace tolvane::sheet {

namespace {

// What one remembered line costs beyond its texts: the map's node and bucket, the facts.
constexpr std::size_t kEntryOverhead = sizeof(LineFacts) + sizeof(std::u16string) + 48;

std::size_t FactsBytes(const std::u16string& line, const LineFacts& facts)
{
    std::size_t bytes = kEntryOverhead + 2 * line.capacity() + 2 * facts.result.capacity() +
                        facts.text.capacity() + sizeof(int) * facts.refers.capacity();
    for (const std::string& id : facts.ids)
        bytes += sizeof(std::string) + id.capacity();
    for (const std::u16string& word : facts.words)
        bytes += sizeof(std::u16string) + 2 * word.capacity();
    return bytes;
}

// Whether the plain way reads a character of the expression that the engine rejects: any
// character beyond ASCII in front of "@@" but the full-width brackets and comma, which
// NormalizeLine turns into ASCII. Then the line gives no number, and the pre-check, which only
// computes lines of digits and operators, raises no fault.
bool HoldsForeignCharacter(std::u16string_view expression)
{
    const std::size_t marker = FindDefinitionsMarker(expression);
    for (std::size_t i = 0; i < expression.size() && i < marker; ++i) {
        const char16_t ch = expression[i];
        if (ch >= 0x80 && ch != u'（' && ch != u'）' && ch != u'，')
            return true;
    }
    return false;
}

// The number the line gives the plain way, found without a box: the pre-check does not fault
// and the evaluation succeeds. Then the plain way writes exactly this number.
std::optional<engine::Evaluation> PlainNumber(std::u16string_view line)
{
    std::u16string expression;
    if (HasResultSeparator(line)) {
        std::optional<std::u16string> before = ExpressionBeforeResult(line);
        if (!before)
            return std::nullopt;
        expression = std::move(*before);
    } else {
        expression = line;
    }
    // Most lines of an expense list hold Chinese: they need neither pre-check nor evaluation.
    if (HoldsForeignCharacter(expression) ||
        !engine::IsPlainArithmetic(ToUtf8(expression)).fault.empty())
        return std::nullopt;
    engine::Evaluation e = EvaluateNormalized(NormalizedUtf8(expression), {}, {});
    if (!e.ok)
        return std::nullopt;
    return e;
}

} // namespace

int LabelTable::Number(std::u16string_view label)
{
    const auto [where, added] =
        m_numbers.try_emplace(std::u16string(label), static_cast<int>(m_numbers.size()));
    if (added)
        m_bytes += kEntryOverhead / 2 + 2 * label.size();
    return where->second;
}

void LabelTable::Clear()
{
    m_numbers.clear();
    m_bytes = 0;
}

void ReferenceCache::BeginPass()
{
    if (Bytes() <= m_budget)
        return;
    m_facts.clear();
    m_labels.Clear();
    m_bytes = 0;
}

const LineFacts& ReferenceCache::Facts(std::u16string line)
{
    if (const auto known = m_facts.find(line); known != m_facts.end())
        return known->second;
    LineFacts facts = ReadFacts(line, m_labels);
    m_bytes += FactsBytes(line, facts);
    return m_facts.emplace(std::move(line), std::move(facts)).first->second;
}

LineFacts ReadFacts(std::u16string_view line, LabelTable& labels)
{
    LineFacts facts;
    if (line.empty())
        return facts;
    if (const auto plain = PlainNumber(line)) {
        facts.kind = LineFacts::Kind::kPlain;
        facts.value = plain->unrounded;
        return facts;
    }
    LineReading reading = ReadLine(line);
    if (!reading.label.empty())
        facts.label = labels.Number(reading.label);
    switch (reading.kind) {
    case LineReading::Kind::kBlank:
        facts.kind = LineFacts::Kind::kBlank;
        return facts;
    case LineReading::Kind::kHeading:
        facts.kind = LineFacts::Kind::kHeading;
        return facts;
    case LineReading::Kind::kNothing:
        facts.kind = LineFacts::Kind::kNothing;
        return facts;
    case LineReading::Kind::kExpression:
        break;
    }
    if (reading.names.empty()) {
        // Nothing set aside, nothing to add: the plain reading has said all there is.
        const engine::Evaluation e = reading.changed
                                         ? EvaluateNormalized(std::move(reading.text), {}, {})
                                         : engine::Evaluation{};
        facts.kind = e.ok ? LineFacts::Kind::kEntry : LineFacts::Kind::kFailed;
        if (e.ok) {
            facts.value = e.unrounded;
            facts.result = ToUtf16(engine::FormatNumber(e.value));
        }
        return facts;
    }
    facts.kind = LineFacts::Kind::kNamed;
    facts.text = std::move(reading.text);
    facts.wordsOnly = reading.wordsOnly;
    for (LineReading::Name& name : reading.names) {
        int refers = 0;
        if (name.word == words::kLineAbove)
            refers = LineFacts::kLineAbove;
        else if (name.word == words::kSubtotal)
            refers = LineFacts::kSubtotal;
        else if (name.word == words::kTotal)
            refers = LineFacts::kTotal;
        else
            refers = labels.Number(name.word);
        facts.endsSubtotal |= refers == LineFacts::kSubtotal || refers == LineFacts::kTotal;
        facts.refers.push_back(refers);
        facts.ids.push_back(std::move(name.id));
        facts.words.push_back(std::move(name.word));
    }
    return facts;
}

} // namespace tolvane::sheet

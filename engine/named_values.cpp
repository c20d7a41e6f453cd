#include "engine/named_values.h"

#include "engine/constants.h"
#include "engine/engine.h"
#include "engine/number_text.h"
#include "engine/substitution.h"

#include <algorithm>
#include <cmath>

namespace tolvane::engine {
namespace {

// From this many entries on, names are found through the index.
constexpr std::size_t kIndexedFrom = 16;

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsNameChar(char c)
{
    return IsLetter(c) || (c >= '0' && c <= '9') || c == '_';
}

bool IsValidValueName(std::string_view name)
{
    return !name.empty() && IsLetter(name.front()) && std::ranges::all_of(name, IsNameChar);
}

// ---- Substitution --------------------------------------------------------------

// One entry at a time, in table order: each whole-word occurrence is
// replaced and the search goes on behind it. Used when a value is not finite,
// since only then can a replacement text contain a name of its own.
void SubstituteEntryByEntry(std::string& text, const NamedValues& named, std::string& out)
{
    char number[kNumberTextCapacity];
    std::string exactText;
    for (const NamedValue& entry : named.Entries()) {
        const std::string_view name = entry.name;
        if (name.empty() || text.find(name) == std::string::npos)
            continue;
        std::string_view replacement;
        if (entry.exact) {
            exactText.clear();
            AppendExactNumber(entry.value, exactText);
            replacement = exactText;
        } else {
            replacement = std::string_view(number, WriteNumber(entry.value, number));
        }
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
void SubstituteInOneSweep(std::string& text, const NamedValues& named, std::string& out)
{
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
        const NamedValue* entry = IsLetter(word.front()) ? named.Find(word) : nullptr;
        if (entry != nullptr && entry->exact) {
            AppendExactNumber(entry->value, out);
            changed = true;
        } else if (entry != nullptr) {
            out.append(number, WriteNumber(entry->value, number));
            changed = true;
        } else {
            out.append(word);
        }
    }
    if (changed)
        text.swap(out);
}

} // namespace

// ---- The table ------------------------------------------------------------------

NamedValues::NamedValues()
{
    ResetNamedValues(*this);
}

std::size_t NamedValues::IndexOf(std::string_view name) const
{
    if (m_entries.size() < kIndexedFrom) {
        const auto where = std::ranges::find(m_entries, name, &NamedValue::name);
        return where == m_entries.end() ? kNone
                                        : static_cast<std::size_t>(where - m_entries.begin());
    }
    const auto where = m_positions.find(name);
    return where == m_positions.end() ? kNone : where->second;
}

const NamedValue* NamedValues::Find(std::string_view name) const
{
    const std::size_t k = IndexOf(name);
    return k == kNone ? nullptr : &m_entries[k];
}

bool NamedValues::Set(std::string_view name, double value)
{
    return Register(name, value, false);
}

bool NamedValues::SetExact(std::string_view name, double value)
{
    return Register(name, value, true);
}

// An existing name keeps the place where it was first registered.
bool NamedValues::Register(std::string_view name, double value, bool exact)
{
    // An exact text has digits only: infinity or not-a-number has none to carry.
    if (!IsValidValueName(name) || (exact && !std::isfinite(value)))
        return false;
    if (const std::size_t k = IndexOf(name); k != kNone) {
        m_exactCount +=
            static_cast<std::size_t>(exact) - static_cast<std::size_t>(m_entries[k].exact);
        m_entries[k].value = value;
        m_entries[k].exact = exact;
        return true;
    }
    m_exactCount += static_cast<std::size_t>(exact);
    m_entries.push_back(NamedValue{std::string(name), value, exact});
    if (m_entries.size() == kIndexedFrom) {
        for (std::size_t k = 0; k < m_entries.size(); ++k)
            m_positions.emplace(m_entries[k].name, k);
    } else if (m_entries.size() > kIndexedFrom) {
        m_positions.emplace(m_entries.back().name, m_entries.size() - 1);
    }
    return true;
}

void NamedValues::Clear()
{
    m_entries.clear();
    m_exactCount = 0;
    if (!m_positions.empty())
        m_positions.clear();
}

void ResetNamedValues(NamedValues& named)
{
    named.Clear();
    named.Set("pi", kPi);
    named.Set("PI", kPi);
    named.Set("e", kE);
    named.Set("E", kE);
}

int AddNamedValues(NamedValues& named, std::span<const std::string> names,
                   std::span<const double> values)
{
    if (!std::ranges::all_of(names, IsValidValueName))
        return 0;
    const std::size_t count = std::min(names.size(), values.size());
    for (std::size_t k = 0; k < count; ++k)
        named.Set(names[k], values[k]);
    return static_cast<int>(count);
}

int DefineVariables(NamedValues& named, std::string_view definitions)
{
    if (definitions.size() < 3)
        return 0;
    int accepted = 0;
    std::string_view rest = definitions;
    while (true) {
        const auto comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        const auto equals = item.find('=');
        if (equals != std::string_view::npos &&
            item.find('=', equals + 1) == std::string_view::npos) {
            const std::string_view name = item.substr(0, equals);
            const auto value = ParseNumber(item.substr(equals + 1));
            // A value beyond the double range is not a number a variable can
            // hold: it would be substituted as a text no reader accepts.
            const double stored = value ? static_cast<double>(*value) : 0.0;
            if (value && std::isfinite(stored) && named.Set(name, stored))
                ++accepted;
        }
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return accepted;
}

void SubstituteNamedValues(std::string& text, const NamedValues& named, std::string& spare)
{
    if (named.Entries().empty() || std::ranges::none_of(text, IsLetter))
        return;
    const bool allFinite = std::ranges::all_of(
        named.Entries(), [](const NamedValue& entry) { return std::isfinite(entry.value); });
    if (allFinite)
        SubstituteInOneSweep(text, named, spare);
    else
        SubstituteEntryByEntry(text, named, spare);
}

void SubstituteNamedValues(std::string& text, const NamedValues& named)
{
    std::string spare;
    SubstituteNamedValues(text, named, spare);
}

} // namespace tolvane::engine

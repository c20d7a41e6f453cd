#include "engine/named_values.h"

#include "engine/char_sets.h"
#include "engine/constants.h"
#include "engine/engine.h"
#include "engine/number_text.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tolvane::engine {
namespace {

std::vector<NamedValue> g_namedValues;
// Where each name sits in g_namedValues once the table is large, so a line
// with many variables is registered in linear time; small tables (the usual
// four constants and a few variables) are searched directly.
constexpr std::size_t kIndexedFrom = 16;
std::unordered_map<std::string, std::size_t> g_positions;

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Overwrites an existing name's value or appends a new entry, so every name
// keeps the place where it was first registered.
void Register(std::string_view name, double value)
{
    if (g_namedValues.size() < kIndexedFrom) {
        for (NamedValue& entry : g_namedValues) {
            if (entry.name == name) {
                entry.value = value;
                return;
            }
        }
        g_namedValues.push_back(NamedValue{std::string(name), value});
        if (g_namedValues.size() == kIndexedFrom) {
            for (std::size_t k = 0; k < g_namedValues.size(); ++k)
                g_positions.emplace(g_namedValues[k].name, k);
        }
        return;
    }
    const auto [where, inserted] = g_positions.try_emplace(std::string(name), g_namedValues.size());
    if (inserted)
        g_namedValues.push_back(NamedValue{std::string(name), value});
    else
        g_namedValues[where->second].value = value;
}

// ---- Substitution --------------------------------------------------------------

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

} // namespace

void SubstituteNamedValues(std::string& text, std::string& out)
{
    const auto& table = NamedValues();
    bool letters = false;
    for (const char c : text)
        letters = letters || IsLetter(c);
    if (table.empty() || !letters)
        return;
    for (const NamedValue& entry : table) {
        if (!std::isfinite(entry.value)) {
            SubstituteEntryByEntry(text, out);
            return;
        }
    }
    SubstituteInOneSweep(text, out);
}

void SubstituteNamedValues(std::string& text)
{
    std::string out;
    SubstituteNamedValues(text, out);
}

bool IsValidValueName(std::string_view name)
{
    if (name.empty() || !IsAsciiLetter(name.front()))
        return false;
    for (const char c : name) {
        if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '_')
            return false;
    }
    return true;
}

const std::vector<NamedValue>& NamedValues()
{
    return g_namedValues;
}

void ClearNamedValues()
{
    g_namedValues.clear();
    if (!g_positions.empty())
        g_positions.clear();
}

void InitExpressionEngine()
{
    ResetNamedValues();
}

void FinalizeExpressionEngine()
{
    ClearNamedValues();
}

void ResetNamedValues()
{
    ClearNamedValues();
    Register("pi", kPi);
    Register("PI", kPi);
    Register("e", kE);
    Register("E", kE);
}

int AddNamedValues(std::span<const std::string> names, std::span<const double> values)
{
    for (const std::string& name : names) {
        if (!IsValidValueName(name))
            return 0;
    }
    const std::size_t count = std::min(names.size(), values.size());
    for (std::size_t k = 0; k < count; ++k)
        Register(names[k], values[k]);
    return static_cast<int>(count);
}

int DefineVariables(std::string_view definitions)
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
            if (IsValidValueName(name) && value && std::isfinite(stored)) {
                Register(name, stored);
                ++accepted;
            }
        }
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return accepted;
}

} // namespace tolvane::engine

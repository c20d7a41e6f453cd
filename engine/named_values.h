// The named values: the constants pi, PI, e, E, the variables one line
// defines behind "@@", and the values of other lines a line refers to. A plain
// value that its owner fills (ResetNamedValues, DefineVariables,
// AddNamedValues in engine.h, SetExact) and hands to EvaluateExpression,
// which only reads it; two sheets or two threads each keep their own.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane::engine {

struct NamedValue {
    std::string name;
    double value = 0;
    // Written into the expression with every digit the double holds, so the evaluation reads
    // exactly this double; otherwise as its 15-digit text, like a number the user typed.
    bool exact = false;
};

class NamedValues {
public:
    // Holds the four constants: pi and PI (the double nearest pi), then e and E.
    NamedValues();

    // The entries in the order each name was first registered; a name occurs
    // once and is compared exactly, with case.
    [[nodiscard]] std::span<const NamedValue> Entries() const { return m_entries; }
    // The entry of that name, or nullptr.
    [[nodiscard]] const NamedValue* Find(std::string_view name) const;

    // Overwrites the value of a registered name, or appends the name with its
    // value. A valid name is a letter A-Z or a-z, then letters, digits and '_';
    // any other registers nothing and gives false.
    bool Set(std::string_view name, double value);
    // The same for a value that must reach the evaluation unrounded (a finite double another
    // line computed): its text carries all its digits, and a sign in front of it keeps them.
    // A value that is not finite registers nothing and gives false.
    bool SetExact(std::string_view name, double value);
    // Whether any entry was registered with SetExact.
    [[nodiscard]] bool HasExact() const { return m_exactCount > 0; }
    // Removes every entry, the constants too.
    void Clear();

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    // The position of that name in m_entries, or kNone.
    [[nodiscard]] std::size_t IndexOf(std::string_view name) const;
    bool Register(std::string_view name, double value, bool exact);

    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const
        {
            return std::hash<std::string_view>{}(name);
        }
    };

    std::vector<NamedValue> m_entries;
    // Where each name sits in m_entries once the table is large, so a line with
    // many variables is registered and substituted in linear time; small tables
    // (the four constants and a few variables) are searched directly.
    std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> m_positions;
    std::size_t m_exactCount = 0;
};

} // namespace tolvane::engine

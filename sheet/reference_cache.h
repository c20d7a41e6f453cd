// Internal to the sheet: what the reading of references knows of a line from its text alone,
// kept by text. A line without names has the same value wherever it stands and whatever
// surrounds it, so an entry is right under every edit by construction: an edited line is a
// different text. Lines with names keep only their reading here; their values are worked out
// anew from the lines above each time (references.cpp).
#pragma once

#include "sheet/line_reading.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane::sheet {

struct LineFacts {
    enum class Kind : std::uint8_t {
        kBlank,   // nothing but blanks: ends a 小计 block
        kHeading, // '#' first and no number: ends the 小计 and 合计 blocks
        kNothing, // nothing to evaluate: only "=" signs, a comment, a label alone
        kPlain,   // gives a number the plain way: written that way, and an entry
        kEntry,   // no names, a number once label and comment are set aside: an entry
        kNamed,   // uses names: its value depends on the lines above
        kFailed,  // no names and no number: written the plain way
    };
    // What a name refers to: a label's number, or one of these.
    static constexpr int kLineAbove = -1;
    static constexpr int kSubtotal = -2;
    static constexpr int kTotal = -3;

    Kind kind = Kind::kBlank;
    // kPlain, kEntry: the double the line computed, before rounding to 15 digits.
    double value = 0;
    // kEntry: the text Enter writes behind "=".
    std::u16string result;
    // The label's number in the cache, or -1 when the line has no label that can be named.
    int label = -1;
    // kNamed: uses 小计 or 合计, so a 小计 below counts from here on.
    bool endsSubtotal = false;
    // kNamed: the reading's text, identifiers, words and wordsOnly, and per name what it
    // refers to.
    std::string text;
    std::vector<std::string> ids;
    std::vector<std::u16string> words;
    std::vector<int> refers;
    bool wordsOnly = false;
};

// The numbers of labels (and of the words that may name one), given out in order.
class LabelTable {
public:
    [[nodiscard]] int Number(std::u16string_view label);
    [[nodiscard]] int Count() const { return static_cast<int>(m_numbers.size()); }
    [[nodiscard]] std::size_t Bytes() const { return m_bytes; }
    void Clear();

private:
    std::unordered_map<std::u16string, int> m_numbers;
    std::size_t m_bytes = 0;
};

// The facts of a line of this text; the labels and names it holds get their numbers from
// `labels`.
[[nodiscard]] LineFacts ReadFacts(std::u16string_view line, LabelTable& labels);

class ReferenceCache {
public:
    static constexpr std::size_t kDefaultBudget = std::size_t{64} << 20;
    // About `budgetBytes` of memory at most, plus what one pass over a sheet adds.
    explicit ReferenceCache(std::size_t budgetBytes = kDefaultBudget)
        : m_budget(budgetBytes)
    {}

    // Called before each pass over the lines: forgets everything once past the budget. Label
    // numbers and references to facts stay valid until the next call.
    void BeginPass();
    // The facts of a line of this text (computed on first use).
    const LineFacts& Facts(std::u16string line);
    [[nodiscard]] std::size_t LineCount() const { return m_facts.size(); }
    [[nodiscard]] std::size_t Bytes() const { return m_bytes + m_labels.Bytes(); }

private:
    std::size_t m_budget;
    std::size_t m_bytes = 0;
    std::unordered_map<std::u16string, LineFacts> m_facts;
    LabelTable m_labels;
};

} // namespace tolvane::sheet

// How a line reads with the switch 引用与合计 on, from its text alone: whether it is blank, a
// heading or only a comment, its label, and the text to evaluate with the names in it. What the
// names stand for depends on the lines above; references.cpp settles that.
//
// The reading, in order:
//  - The expression is the piece Enter evaluates (ExpressionBeforeResult): a result written
//    behind "=" is never read.
//  - A line whose first character after blanks is '#' is a heading (unless it gives a number
//    the plain way, which the caller decides first).
//  - From the first "//" on, the line is a comment.
//  - The text before the first "：" or ":" (in front of any "@@") is the label; so is a leading
//    run of Chinese characters followed by a blank, unless the run is 上行, 小计 or 合计 or
//    nothing but blanks follows it. A label made only of Chinese characters can be named.
//  - In what remains, each run of Chinese characters in front of "@@" is a name. Each becomes
//    an identifier the engine reads (a prefix that occurs nowhere in the line, then letters),
//    so it can meet no variable of the line, no constant and no function; a digit or letter
//    touching a name makes one longer word, which names nothing, as "2x" does.
// Blanks are ' ', the tab (a list pasted from a spreadsheet) and the ideographic space U+3000;
// the evaluated text holds none of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::sheet {

namespace words {
inline constexpr std::u16string_view kLineAbove = u"上行";
inline constexpr std::u16string_view kSubtotal = u"小计";
inline constexpr std::u16string_view kTotal = u"合计";
} // namespace words

// The length of the Chinese character at text[i]: 1, 2 for a surrogate pair, or 0 when there is
// none. Chinese characters are the CJK unified ideographs (all extensions), the compatibility
// ideographs and 〇.
[[nodiscard]] std::size_t ChineseCharAt(std::u16string_view text, std::size_t i);

struct LineReading {
    enum class Kind {
        kBlank,      // nothing but blanks
        kHeading,    // '#' first
        kNothing,    // no expression: only "=" signs, only a comment, or a label alone
        kExpression, // `text` to evaluate, with `names` in it
    };
    struct Name {
        std::u16string word; // as it stands in the line
        std::string id;      // what stands for it in `text`
    };

    Kind kind = Kind::kBlank;
    // The label when it is made only of Chinese characters, else empty.
    std::u16string label;
    // kExpression: the text to evaluate, normalised as Enter normalises a line, in UTF-8.
    std::string text;
    // kExpression: the distinct names, in the order they first occur.
    std::vector<Name> names;
    // kExpression: the rules took something away (a label, a comment, blanks the plain reading
    // keeps), so the text differs from what the plain reading evaluated.
    bool changed = false;
    // kExpression: no letter or digit besides the names, only Chinese text, blanks and
    // punctuation: the line reads as words rather than as a formula.
    bool wordsOnly = false;
};

[[nodiscard]] LineReading ReadLine(std::u16string_view line);

} // namespace tolvane::sheet

#include "sheet/line_reading.h"

#include "sheet/enter_steps.h"
#include "sheet/line_logic.h"
#include "sheet/line_variables.h"

#include <algorithm>
#include <array>

namespace tolvane::sheet {

namespace {

constexpr char16_t kIdeographicSpace = u'\u3000';
constexpr std::u16string_view kCommentStart = u"//";
constexpr std::u16string_view kLabelEnds = u"：:";

bool IsBlank(char16_t ch)
{
    return ch == u' ' || ch == u'\t' || ch == kIdeographicSpace;
}

bool IsBlankText(std::u16string_view text)
{
    return std::ranges::all_of(text, IsBlank);
}

std::u16string_view Trimmed(std::u16string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The run of Chinese characters starting at text[i] (possibly empty).
std::size_t ChineseRunAt(std::u16string_view text, std::size_t i)
{
    std::size_t end = i;
    while (const std::size_t length = ChineseCharAt(text, end))
        end += length;
    return end - i;
}

bool IsChineseText(std::u16string_view text)
{
    return !text.empty() && ChineseRunAt(text, 0) == text.size();
}

bool IsKeyword(std::u16string_view word)
{
    return word == words::kLineAbove || word == words::kSubtotal || word == words::kTotal;
}

// ASCII letters and digits, and their full-width forms.
bool IsLetterOrDigit(char16_t ch)
{
    const bool ascii =
        (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
    const bool fullWidth = (ch >= u'０' && ch <= u'９') || (ch >= u'Ａ' && ch <= u'Ｚ') ||
                           (ch >= u'ａ' && ch <= u'ｚ');
    return ascii || fullWidth;
}

struct Split {
    std::u16string_view label;
    std::u16string_view rest;
};

// The label and what follows it, in the text in front of the comment.
Split SplitLabel(std::u16string_view body)
{
    const std::size_t marker = FindDefinitionsMarker(body);
    const std::size_t colon = body.find_first_of(kLabelEnds);
    if (colon != std::u16string_view::npos && colon < marker)
        return {body.substr(0, colon), body.substr(colon + 1)};
    std::size_t start = 0;
    while (start < body.size() && IsBlank(body[start]))
        ++start;
    const std::size_t run = ChineseRunAt(body, start);
    const std::size_t after = start + run;
    if (run > 0 && after < body.size() && IsBlank(body[after]) &&
        !IsKeyword(body.substr(start, run)) && !IsBlankText(body.substr(after)))
        return {body.substr(start, run), body.substr(after)};
    return {{}, body};
}

// A prefix for the names' identifiers that occurs nowhere in the text: then no variable the
// line defines and no word around a name can be one of them, and no function or constant
// contains it.
std::string IdentifierPrefix(std::u16string_view text)
{
    const auto occurs = [text](std::string_view prefix) {
        return text.find(std::u16string(prefix.begin(), prefix.end())) != std::u16string_view::npos;
    };
    static constexpr std::array<std::string_view, 6> kPrefixes = {"Zq", "Qz", "Zx",
                                                                  "Xz", "Qx", "Xq"};
    for (const std::string_view prefix : kPrefixes) {
        if (!occurs(prefix))
            return std::string(prefix);
    }
    // A run of 'z' longer than any in the text.
    std::string prefix = "Zq";
    while (occurs(prefix))
        prefix += 'z';
    return prefix;
}

// The k-th identifier: the prefix, then `width` letters. All of one line have the same width,
// so none is the start of another.
std::string Identifier(const std::string& prefix, std::size_t k, std::size_t width)
{
    std::string id = prefix;
    id.resize(prefix.size() + width, 'a');
    for (std::size_t i = id.size(); i > prefix.size(); --i, k /= 26)
        id[i - 1] = static_cast<char>('a' + k % 26);
    return id;
}

// Finds the names of the evaluated text and writes it with identifiers in their place.
void ReadNames(std::u16string_view rest, LineReading& reading)
{
    const std::size_t marker = std::min(FindDefinitionsMarker(rest), rest.size());
    struct Occurrence {
        std::size_t at, length, name;
    };
    std::vector<Occurrence> occurrences;
    for (std::size_t i = 0; i < marker;) {
        const std::size_t run = ChineseRunAt(rest.substr(0, marker), i);
        if (run == 0) {
            ++i;
            continue;
        }
        const std::u16string_view word = rest.substr(i, run);
        const auto known = std::ranges::find(reading.names, word, &LineReading::Name::word);
        const auto name = static_cast<std::size_t>(known - reading.names.begin());
        if (known == reading.names.end())
            reading.names.push_back({std::u16string(word), {}});
        occurrences.push_back({i, run, name});
        i += run;
    }
    if (!reading.names.empty()) {
        const std::string prefix = IdentifierPrefix(rest);
        std::size_t width = 1;
        for (std::size_t capacity = 26; capacity < reading.names.size(); capacity *= 26)
            ++width;
        for (std::size_t k = 0; k < reading.names.size(); ++k)
            reading.names[k].id = Identifier(prefix, k, width);
    }
    std::u16string text;
    text.reserve(rest.size());
    std::size_t from = 0;
    for (const Occurrence& o : occurrences) {
        text.append(rest.substr(from, o.at - from));
        const std::string& id = reading.names[o.name].id;
        text.append(id.begin(), id.end());
        from = o.at + o.length;
    }
    text.append(rest.substr(from));
    std::ranges::replace_if(text, IsBlank, u' ');
    reading.text = NormalizedUtf8(text);
}

} // namespace

std::size_t ChineseCharAt(std::u16string_view text, std::size_t i)
{
    if (i >= text.size())
        return 0;
    const char16_t ch = text[i];
    if ((ch >= 0x4E00 && ch <= 0x9FFF) || (ch >= 0x3400 && ch <= 0x4DBF) ||
        (ch >= 0xF900 && ch <= 0xFAFF) || ch == u'〇')
        return 1;
    // The extensions beyond the first plane: U+20000 to U+323AF.
    if (ch >= 0xD840 && ch <= 0xD888 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
        const char32_t cp = 0x10000 + ((char32_t(ch) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        return cp <= 0x323AF ? 2 : 0;
    }
    return 0;
}

LineReading ReadLine(std::u16string_view line)
{
    LineReading reading;
    if (IsBlankText(line))
        return reading;
    const std::u16string_view start = Trimmed(line);
    if (start.front() == u'#') {
        reading.kind = LineReading::Kind::kHeading;
        return reading;
    }
    std::u16string piece;
    if (HasResultSeparator(line)) {
        std::optional<std::u16string> before = ExpressionBeforeResult(line);
        if (!before) {
            reading.kind = LineReading::Kind::kNothing;
            return reading;
        }
        piece = std::move(*before);
    } else {
        piece = line;
    }
    const std::u16string_view expression = piece;
    const std::u16string_view body = expression.substr(0, expression.find(kCommentStart));
    const Split split = SplitLabel(body);
    if (IsChineseText(Trimmed(split.label)))
        reading.label = Trimmed(split.label);
    if (IsBlankText(split.rest)) {
        reading.kind = LineReading::Kind::kNothing;
        return reading;
    }
    reading.kind = LineReading::Kind::kExpression;
    reading.changed =
        split.rest.size() != expression.size() || std::ranges::any_of(split.rest, [](char16_t ch) {
            return ch == u'\t' || ch == kIdeographicSpace;
        });
    reading.wordsOnly = std::ranges::none_of(split.rest, IsLetterOrDigit);
    ReadNames(split.rest, reading);
    return reading;
}

} // namespace tolvane::sheet

#include "sheet/result_text.h"

#include "sheet/line_logic.h"

namespace tolvane::sheet {

namespace {

// FormatNumber keeps 15 significant digits and writes fixed notation while the first digit's
// power lies in [-4, 14]. A double's decimal exponent lies within [-324, 308].
constexpr int kMaxSignificant = 15;
constexpr int kFixedLowest = -4;
constexpr int kFixedHighest = 14;
constexpr int kLowestExponent = -324;
constexpr int kHighestExponent = 308;

bool IsDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}

// The digits from `pos` on; advances `pos` past them.
std::u16string_view TakeDigits(std::u16string_view text, std::size_t& pos)
{
    const std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos]))
        ++pos;
    return text.substr(start, pos - start);
}

// Significant digits of a digit run: from its first non-zero digit to its last.
int SignificantDigits(std::u16string_view digits)
{
    const std::size_t first = digits.find_first_not_of(u'0');
    if (first == std::u16string_view::npos)
        return 0;
    return static_cast<int>(digits.find_last_not_of(u'0') - first + 1);
}

// The exponent of an exponent-form text: an optional "-" and digits without a leading zero.
std::optional<int> ReadExponent(std::u16string_view text)
{
    const bool negative = !text.empty() && text.front() == u'-';
    text.remove_prefix(negative ? 1 : 0);
    if (text.empty() || text.size() > 3 || text.front() == u'0')
        return std::nullopt;
    int value = 0;
    for (char16_t ch : text) {
        if (!IsDigit(ch))
            return std::nullopt;
        value = value * 10 + (ch - u'0');
    }
    return negative ? -value : value;
}

} // namespace

bool IsNumberText(std::u16string_view text)
{
    if (text == u"0")
        return true;
    if (!text.empty() && text.front() == u'-')
        text.remove_prefix(1);
    std::size_t pos = 0;
    const std::u16string_view whole = TakeDigits(text, pos);
    std::u16string_view fraction;
    bool point = false;
    if (pos < text.size() && text[pos] == u'.') {
        point = true;
        ++pos;
        fraction = TakeDigits(text, pos);
    }
    // Neither half is padded: no leading zero before a whole part and no trailing zero after a
    // fraction; a point always has digits behind it.
    if (whole.empty() || (whole.size() > 1 && whole.front() == u'0'))
        return false;
    if (point && (fraction.empty() || fraction.back() == u'0'))
        return false;

    if (pos < text.size()) {
        if (text[pos] != u'E' || whole.size() != 1 || whole.front() == u'0')
            return false;
        const std::optional<int> exponent = ReadExponent(text.substr(pos + 1));
        return exponent && (*exponent < kFixedLowest || *exponent > kFixedHighest) &&
               *exponent >= kLowestExponent && *exponent <= kHighestExponent &&
               1 + static_cast<int>(fraction.size()) <= kMaxSignificant;
    }
    if (whole.front() != u'0') {
        const int firstPower = static_cast<int>(whole.size()) - 1;
        // Zeros at the end of a whole number only place its digits; behind a point every
        // digit counts.
        const int significant = fraction.empty() ? SignificantDigits(whole)
                                                 : static_cast<int>(whole.size() + fraction.size());
        return firstPower <= kFixedHighest && significant <= kMaxSignificant;
    }
    // "0." and a fraction: the first non-zero digit stands for 10^-(its place).
    const std::size_t firstNonZero = fraction.find_first_not_of(u'0');
    if (firstNonZero == std::u16string_view::npos)
        return false;
    const int firstPower = -static_cast<int>(firstNonZero) - 1;
    return firstPower >= kFixedLowest &&
           static_cast<int>(fraction.size() - firstNonZero) <= kMaxSignificant;
}

std::optional<std::u16string> NumericResult(std::u16string_view line)
{
    std::optional<std::u16string> result = ResultBehindSeparator(line);
    if (!result || !IsNumberText(*result))
        return std::nullopt;
    if (result->find(u'E') != std::u16string::npos && ExpressionBeforeResult(line) == result)
        return std::nullopt;
    return result;
}

} // namespace tolvane::sheet

#include "sheet/amount_text.h"

#include "sheet/result_text.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tolvane::sheet {

std::u16string GroupThousands(std::u16string_view number)
{
    const std::size_t start = !number.empty() && number.front() == u'-' ? 1 : 0;
    std::size_t end = start;
    while (end < number.size() && number[end] >= u'0' && number[end] <= u'9')
        ++end;
    if (end == start || number.find(u'E') != std::u16string_view::npos)
        return std::u16string(number);
    std::u16string grouped(number.substr(0, start));
    for (std::size_t k = start; k < end; ++k) {
        if (k > start && (end - k) % 3 == 0)
            grouped += u',';
        grouped += number[k];
    }
    grouped += number.substr(end);
    return grouped;
}

namespace {

constexpr std::array<char16_t, 10> kNumerals = {u'零', u'壹', u'贰', u'叁', u'肆',
                                                u'伍', u'陆', u'柒', u'捌', u'玖'};
// The units of the places inside a section of four digits, from the lowest.
constexpr std::array<std::u16string_view, 4> kPlaceUnits = {u"", u"拾", u"佰", u"仟"};
constexpr std::array<std::uint64_t, 4> kPlaceValues = {1, 10, 100, 1000};

constexpr std::uint64_t kWan = 10'000;
constexpr std::uint64_t kYi = 100'000'000;
// 10^16 yuan counted in fen: the first amount the units cannot write.
constexpr std::uint64_t kFenLimit = 1'000'000'000'000'000'000ULL;
constexpr int kFenDigits = 18;

// The value of a number text held exactly: digits * 10^exponent, digits without leading zeros.
struct DecimalText {
    bool negative = false;
    std::u16string digits;
    int exponent = 0;
};

DecimalText ReadDecimal(std::u16string_view text)
{
    DecimalText out;
    out.negative = !text.empty() && text.front() == u'-';
    text.remove_prefix(out.negative ? 1 : 0);
    bool afterPoint = false;
    std::size_t pos = 0;
    for (; pos < text.size() && text[pos] != u'E'; ++pos) {
        if (text[pos] == u'.') {
            afterPoint = true;
            continue;
        }
        if (!out.digits.empty() || text[pos] != u'0')
            out.digits += text[pos];
        out.exponent -= afterPoint ? 1 : 0;
    }
    if (pos < text.size()) {
        std::u16string_view exponent = text.substr(pos + 1);
        const bool negativeExponent = !exponent.empty() && exponent.front() == u'-';
        exponent.remove_prefix(negativeExponent ? 1 : 0);
        int value = 0;
        for (char16_t ch : exponent)
            value = value * 10 + (ch - u'0');
        out.exponent += negativeExponent ? -value : value;
    }
    return out;
}

// The magnitude in fen, rounded half away from zero on the decimal digits; nullopt from 10^16
// yuan on.
std::optional<std::uint64_t> RoundToFen(const DecimalText& decimal)
{
    const int digitCount = static_cast<int>(decimal.digits.size());
    // Digits in front of the fen's point: fen = digits * 10^shift.
    const int shift = decimal.exponent + 2;
    const int kept = digitCount + shift;
    if (digitCount == 0 || kept < 0)
        return 0; // below a tenth of a fen
    if (kept > kFenDigits)
        return std::nullopt;
    std::uint64_t fen = 0;
    for (int k = 0; k < kept; ++k)
        fen =
            fen * 10 + (k < digitCount ? static_cast<std::uint64_t>(decimal.digits[k] - u'0') : 0);
    if (kept < digitCount && decimal.digits[kept] >= u'5')
        ++fen;
    if (fen >= kFenLimit)
        return std::nullopt;
    return fen;
}

// One section of four places, 1 to 9999: a run of zeros between digits is one 零, zeros at
// either end are not read.
void AppendSection(std::u16string& out, std::uint64_t section)
{
    bool started = false;
    bool zeroPending = false;
    for (int place = 3; place >= 0; --place) {
        const std::uint64_t digit = section / kPlaceValues[place] % 10;
        if (digit == 0) {
            zeroPending = started;
            continue;
        }
        if (zeroPending)
            out += u'零';
        zeroPending = false;
        out += kNumerals[digit];
        out += kPlaceUnits[place];
        started = true;
    }
}

// A whole number 1 to 10^16 - 1 from sections of four places under the section units 万 and 亿.
// A lower part that does not fill its places from the top follows the upper part with one 零
// (壹亿零壹万, 壹拾万零壹佰); an upper part ending in zeros closes with its unit (壹拾万柒仟).
void AppendWhole(std::u16string& out, std::uint64_t value, std::uint64_t unitValue, char16_t unit)
{
    const std::uint64_t upper = value / unitValue;
    const std::uint64_t lower = value % unitValue;
    const auto appendPart = [&out](std::uint64_t part) {
        if (part >= kWan)
            AppendWhole(out, part, kWan, u'万');
        else
            AppendSection(out, part);
    };
    if (upper > 0) {
        appendPart(upper);
        out += unit;
    }
    if (lower > 0) {
        if (upper > 0 && lower < unitValue / 10)
            out += u'零';
        appendPart(lower);
    }
}

} // namespace

UppercaseAmount ToUppercaseAmount(std::u16string_view number)
{
    if (!IsNumberText(number))
        return {{}, AmountProblem::kNotANumber};
    const DecimalText decimal = ReadDecimal(number);
    const std::optional<std::uint64_t> fen = RoundToFen(decimal);
    if (!fen)
        return {{}, AmountProblem::kTooLarge};
    if (*fen == 0)
        return {u"零元整", AmountProblem::kNone};

    const std::uint64_t yuan = *fen / 100;
    const std::uint64_t jiao = *fen / 10 % 10;
    const std::uint64_t fenDigit = *fen % 10;
    std::u16string text = decimal.negative ? u"负" : u"";
    if (yuan > 0) {
        AppendWhole(text, yuan, kYi, u'亿');
        text += u'元';
        if (jiao == 0 && fenDigit == 0) {
            text += u'整';
            return {text, AmountProblem::kNone};
        }
        // The rules allow 壹仟陆佰捌拾元叁角贰分 as well; the 零 leaves no room to add a digit.
        if (jiao == 0 || yuan % 10 == 0)
            text += u'零';
    }
    if (jiao > 0) {
        text += kNumerals[jiao];
        text += u'角';
    }
    if (fenDigit > 0) {
        text += kNumerals[fenDigit];
        text += u'分';
    }
    return {text, AmountProblem::kNone};
}

} // namespace tolvane::sheet

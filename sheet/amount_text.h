// A result written the way it is used elsewhere: with its digits grouped by thousands, or as the
// uppercase amount of a bill or settlement voucher (人民币大写).
//
// Both work on the number text as the sheet shows it (result_text.h), never on a binary value:
// "3.005" is three yuan and half a fen, and rounds up to 叁元零壹分 although the double nearest to
// 3.005 lies below it.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::sheet {

namespace msg {
// Why a result has no uppercase amount.
inline constexpr std::u16string_view kAmountNotANumber = u"该行的结果不是数字";
inline constexpr std::u16string_view kAmountTooLarge =
    u"金额达到或超过一亿亿元（10^16元），超出人民币大写的书写范围";
} // namespace msg

// `number` with "," between every three digits of its whole part, counted from the point
// ("1234567.891" gives "1,234,567.891", "-1234" gives "-1,234"). The fraction is left as it is,
// and a text in exponent notation, or any text that does not start with digits behind an
// optional "-", comes back unchanged.
[[nodiscard]] std::u16string GroupThousands(std::u16string_view number);

// The largest amount the uppercase form covers is 9999999999999999.99 yuan: the units stop at
// 仟万亿.
enum class AmountProblem {
    kNone,
    kNotANumber, // not a number text (IsNumberText)
    kTooLarge,   // 10^16 yuan or more once rounded to the fen
};

struct UppercaseAmount {
    std::u16string text; // empty unless problem is kNone
    AmountProblem problem = AmountProblem::kNone;
};

// The uppercase amount of `number` (a number text as FormatNumber writes it), rounded half away
// from zero to the fen on its decimal digits. The forms, after the rules for filling in bills and
// settlement vouchers:
// - digits 零壹贰叁肆伍陆柒捌玖, units 拾佰仟万亿 (10^13 is 壹拾万亿), then 元, 角, 分;
// - 10 to 19 at the head of a section read 壹拾…, never a bare 拾;
// - a run of zeros inside the whole part is one 零, zeros at the end of a section are not read
//   (107000 is 壹拾万柒仟, 100010000 is 壹亿零壹万);
// - 整 follows 元 when there are no 角 and 分; nothing follows 角 when there is no 分;
// - 零 follows 元 when 角 is 0 and 分 is not, and when the 元 digit is 0 and 角 is not;
// - an amount below one yuan is written with 角 and 分 alone (伍角, 伍分), zero is 零元整;
// - 负 goes in front of a negative amount that does not round to zero.
[[nodiscard]] UppercaseAmount ToUppercaseAmount(std::u16string_view number);

} // namespace tolvane::sheet

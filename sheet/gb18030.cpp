#include "sheet/gb18030.h"

#include "sheet/gb18030_tables.h"
#include "sheet/utf.h"

#include <algorithm>
#include <cstdint>

namespace tolvane::sheet {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// The number of four-byte code 90308130, the first of U+10000 and up, which follow in order.
constexpr std::uint32_t kSupplementaryFirst = 189000;

struct Code {
    std::size_t length = 1;
    char32_t character = kReplacement;
    bool malformed = true;
};

bool In(unsigned char byte, unsigned char low, unsigned char high)
{
    return byte >= low && byte <= high;
}

char32_t FourByteCharacter(std::uint32_t number)
{
    if (number < gb18030::kFourByteBmpCount) {
        const auto run =
            std::upper_bound(
                gb18030::kFourByteRuns.begin(), gb18030::kFourByteRuns.end(), number,
                [](std::uint32_t n, const gb18030::FourByteRun& r) { return n < r.first; }) -
            1;
        return run->character + (number - run->first);
    }
    if (number >= kSupplementaryFirst && number - kSupplementaryFirst < 0x100000)
        return 0x10000 + (number - kSupplementaryFirst);
    return kReplacement;
}

// The code at bytes[i]. A malformed code is its lead byte alone, so what follows is read again,
// except a lead before FF (neither trail nor text), a well-formed four-byte code that names no
// character, and a code cut short by the end of the bytes: each of these is one U+FFFD whole.
Code DecodeAt(std::string_view bytes, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80)
        return {1, lead, false};
    if (lead == 0x80)
        return {1, 0x20AC, false};
    if (lead == 0xFF)
        return {};
    const std::size_t left = bytes.size() - i;
    if (left < 2)
        return {left};
    const unsigned char second = at(i + 1);
    if (In(second, 0x40, 0x7E) || In(second, 0x80, 0xFE)) {
        const std::size_t column = second - (second < 0x7F ? 0x40 : 0x41);
        return {2, gb18030::kTwoByte[(lead - 0x81) * gb18030::kTrailCount + column], false};
    }
    if (second == 0xFF)
        return {2};
    if (!In(second, 0x30, 0x39))
        return {};
    if (left < 3)
        return {left};
    const unsigned char third = at(i + 2);
    if (!In(third, 0x81, 0xFE))
        return {};
    if (left < 4)
        return {left};
    const unsigned char fourth = at(i + 3);
    if (!In(fourth, 0x30, 0x39))
        return {};
    const std::uint32_t number =
        ((static_cast<std::uint32_t>(lead - 0x81) * 10 + (second - 0x30)) * 126 + (third - 0x81)) *
            10 +
        (fourth - 0x30);
    const char32_t character = FourByteCharacter(number);
    return {4, character, character == kReplacement};
}

// Calls emit(character) for each character of the bytes; returns how many were malformed.
template <typename Emit> std::size_t Decode(std::string_view bytes, const Emit& emit)
{
    std::size_t malformed = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const Code code = DecodeAt(bytes, i);
        emit(code.character);
        malformed += code.malformed ? 1 : 0;
        i += code.length;
    }
    return malformed;
}

} // namespace

std::u16string Gb18030ToUtf16(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    Decode(bytes, [&text](char32_t ch) {
        if (ch < 0x10000) {
            text.push_back(static_cast<char16_t>(ch));
        } else {
            text.push_back(static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF)));
        }
    });
    return text;
}

void AppendGb18030AsUtf8(std::string_view bytes, std::string& out)
{
    out += ToUtf8(Gb18030ToUtf16(bytes));
}

std::size_t MalformedGb18030(std::string_view bytes)
{
    return Decode(bytes, [](char32_t) {});
}

} // namespace tolvane::sheet

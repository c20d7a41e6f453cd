#include "sheet/utf.h"

namespace tolvane::sheet {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Writes cp as one or two units at `out`; returns how many.
std::size_t WriteUtf16(char16_t* out, char32_t cp)
{
    if (cp < 0x10000) {
        out[0] = static_cast<char16_t>(cp);
        return 1;
    }
    cp -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    return 2;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one sequence at text[i]; returns its length, or 0 when it is malformed (overlong,
// truncated, a surrogate or beyond U+10FFFF).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::u16string ToUtf16(std::string_view utf8)
{
    // A UTF-8 text never has fewer bytes than its UTF-16 text has units.
    std::u16string out(utf8.size(), u'\0');
    std::size_t length = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        // ASCII, the bulk of every sheet line, needs no decoding.
        if (const auto byte = static_cast<unsigned char>(utf8[i]); byte < 0x80) {
            out[length++] = byte;
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t sequence = DecodeUtf8(utf8, i, cp);
        length += WriteUtf16(out.data() + length, sequence == 0 ? kReplacement : cp);
        i += sequence == 0 ? 1 : sequence;
    }
    out.resize(length);
    return out;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(bytes, i, cp);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::size_t MalformedUtf8(std::string_view bytes)
{
    std::size_t malformed = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(bytes, i, cp);
        malformed += length == 0 ? 1 : 0;
        i += length == 0 ? 1 : length;
    }
    return malformed;
}

std::string ToUtf8(std::u16string_view utf16)
{
    // ASCII, the bulk of every sheet line, is copied a unit a byte; the rest is encoded.
    std::string out(utf16.size(), '\0');
    std::size_t i = 0;
    for (; i < utf16.size() && utf16[i] < 0x80; ++i)
        out[i] = static_cast<char>(utf16[i]);
    out.resize(i);
    for (; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

} // namespace tolvane::sheet

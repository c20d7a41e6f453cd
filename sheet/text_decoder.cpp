#include "sheet/text_decoder.h"

#include "sheet/gb18030.h"
#include "sheet/utf.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

namespace tolvane::sheet {

namespace {

using namespace std::string_view_literals;

constexpr char16_t kReplacement = 0xFFFD;

struct Mark {
    TextEncoding encoding = TextEncoding::kUtf8;
    std::size_t length = 0; // 0: no mark
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF"sv;
constexpr std::string_view kUtf16LeMark = "\xFF\xFE"sv;
constexpr std::string_view kUtf16BeMark = "\xFE\xFF"sv;

Mark FindMark(std::string_view bytes)
{
    if (bytes.starts_with(kUtf8Mark))
        return {TextEncoding::kUtf8, kUtf8Mark.size()};
    if (bytes.starts_with(kUtf16LeMark))
        return {TextEncoding::kUtf16Le, kUtf16LeMark.size()};
    if (bytes.starts_with(kUtf16BeMark))
        return {TextEncoding::kUtf16Be, kUtf16BeMark.size()};
    return {};
}

// Whether more bytes could still make `bytes` the start of a mark.
bool MayBecomeMark(std::string_view bytes)
{
    return std::ranges::any_of(std::array{kUtf8Mark, kUtf16LeMark, kUtf16BeMark},
                               [bytes](std::string_view mark) {
                                   return bytes.size() < mark.size() && mark.starts_with(bytes);
                               });
}

bool IsAscii(std::string_view bytes)
{
    // Eight bytes at a time: most input is ASCII, and all of it passes through here.
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, 8);
        if ((word & 0x8080808080808080u) != 0)
            return false;
    }
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The length of the first line of `bytes` with its LF, or npos when no LF ends it.
std::size_t LineLength(std::string_view bytes)
{
    const std::size_t lf = bytes.find('\n');
    return lf == std::string_view::npos ? lf : lf + 1;
}

// Calls decode(bytes, encoding) for runs of whole lines read in one encoding: neither a UTF-8
// nor a GB18030 sequence reaches across a LF, so a run decodes as its lines one by one would.
// With `last`, the bytes end the input and their last line needs no LF; otherwise that line is
// left. Returns the number of bytes decoded.
template <typename Decode>
std::size_t DecodeLineRuns(std::string_view bytes, bool last, LineEncodings& lines,
                           const Decode& decode)
{
    // Lines of ASCII read alike in both encodings and decide nothing: a block of them is one run.
    const std::size_t lastLf = bytes.rfind('\n');
    const std::size_t whole = last                               ? bytes.size()
                              : lastLf == std::string_view::npos ? 0
                                                                 : lastLf + 1;
    if (whole > 0 && IsAscii(bytes.substr(0, whole))) {
        decode(bytes.substr(0, whole), lines.Next(bytes.substr(0, whole)));
        return whole;
    }
    lines.LookAhead(bytes.substr(0, whole));
    std::size_t runStart = 0;
    std::size_t pos = 0;
    LineEncodings::Choice run;
    while (pos < bytes.size()) {
        std::size_t length = LineLength(bytes.substr(pos));
        if (length == std::string_view::npos) {
            if (!last)
                break;
            length = bytes.size() - pos;
        }
        const LineEncodings::Choice line = lines.Next(bytes.substr(pos, length));
        if (pos > runStart &&
            (line.encoding != run.encoding || line.wellFormed != run.wellFormed)) {
            decode(bytes.substr(runStart, pos - runStart), run);
            runStart = pos;
        }
        run = line;
        pos += length;
    }
    if (pos > runStart)
        decode(bytes.substr(runStart, pos - runStart), run);
    return pos;
}

} // namespace

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string text;
    text.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(bigEndian ? static_cast<char16_t>(first << 8 | second)
                                 : static_cast<char16_t>(second << 8 | first));
    }
    const auto isHigh = [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    const auto isLow = [](char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1]))
            ++i;
        else if (isHigh(text[i]) || isLow(text[i]))
            text[i] = kReplacement;
    }
    if (bytes.size() % 2 != 0)
        text.push_back(kReplacement);
    return text;
}

namespace {

// The encoding only `line` is well-formed in, if it is well-formed in exactly one.
std::optional<TextEncoding> DecidingEncoding(std::string_view line, bool& utf8, bool& gb18030)
{
    utf8 = IsValidUtf8(line);
    gb18030 = MalformedGb18030(line) == 0;
    if (utf8 == gb18030)
        return std::nullopt;
    return utf8 ? TextEncoding::kUtf8 : TextEncoding::kGb18030;
}

} // namespace

LineEncodings::Choice LineEncodings::Next(std::string_view line)
{
    if (IsAscii(line))
        return {m_current, true};
    bool utf8 = false;
    bool gb18030 = false;
    if (const std::optional<TextEncoding> decided = DecidingEncoding(line, utf8, gb18030)) {
        m_current = *decided;
        m_decided = true;
    }
    return {m_current, m_current == TextEncoding::kUtf8 ? utf8 : gb18030};
}

void LineEncodings::LookAhead(std::string_view lines)
{
    for (std::size_t pos = 0; !m_decided && pos < lines.size();) {
        const std::size_t lf = lines.find('\n', pos);
        const std::size_t end = lf == std::string_view::npos ? lines.size() : lf + 1;
        const std::string_view line = lines.substr(pos, end - pos);
        bool utf8 = false;
        bool gb18030 = false;
        if (!IsAscii(line)) {
            if (const std::optional<TextEncoding> decided = DecidingEncoding(line, utf8, gb18030)) {
                m_current = *decided;
                m_decided = true;
            }
        }
        pos = end;
    }
}

std::u16string DecodeText(std::string_view bytes)
{
    const Mark mark = FindMark(bytes);
    bytes.remove_prefix(mark.length);
    if (mark.encoding == TextEncoding::kUtf16Le || mark.encoding == TextEncoding::kUtf16Be)
        return DecodeUtf16(bytes, mark.encoding == TextEncoding::kUtf16Be);
    if (mark.length > 0)
        return ToUtf16(bytes);
    std::u16string text;
    text.reserve(bytes.size());
    LineEncodings lines;
    DecodeLineRuns(
        bytes, true, lines, [&text](std::string_view run, const LineEncodings::Choice& choice) {
            text += choice.encoding == TextEncoding::kGb18030 ? Gb18030ToUtf16(run) : ToUtf16(run);
        });
    return text;
}

void TextDecoder::Decode(std::string_view bytes, bool last, std::string& out)
{
    std::string start;
    if (m_mode == Mode::kUndecided) {
        m_held += bytes;
        if (!last && MayBecomeMark(m_held))
            return;
        const Mark mark = FindMark(m_held);
        m_mode = mark.length == 0                          ? Mode::kLines
                 : mark.encoding == TextEncoding::kUtf16Le ? Mode::kUtf16Le
                 : mark.encoding == TextEncoding::kUtf16Be ? Mode::kUtf16Be
                                                           : Mode::kUtf8Mark;
        start = m_held.substr(mark.length);
        m_held.clear();
        bytes = start;
    }
    if (m_mode == Mode::kUtf16Le || m_mode == Mode::kUtf16Be)
        DecodeUtf16Units(bytes, last, out);
    else
        DecodeLines(bytes, last, out);
}

void TextDecoder::DecodeLines(std::string_view bytes, bool last, std::string& out)
{
    // The held line in progress first: only the new bytes can end it.
    std::string_view todo = bytes;
    std::string joined;
    if (!m_held.empty()) {
        const std::size_t end = LineLength(bytes);
        if (end == std::string_view::npos && !last) {
            m_held += bytes;
            return;
        }
        joined = std::move(m_held);
        m_held.clear();
        joined += bytes;
        todo = joined;
    }
    const auto append = [&out](std::string_view run, const LineEncodings::Choice& choice) {
        if (choice.encoding == TextEncoding::kGb18030)
            AppendGb18030AsUtf8(run, out);
        else if (choice.wellFormed)
            out += run;
        else
            out += ToUtf8(ToUtf16(run));
    };
    std::size_t decoded = 0;
    if (m_mode == Mode::kUtf8Mark) {
        // Every line is UTF-8; a run of them only has to end at a LF.
        const std::size_t lf = todo.rfind('\n');
        decoded = last ? todo.size() : lf == std::string_view::npos ? 0 : lf + 1;
        const std::string_view run = todo.substr(0, decoded);
        append(run, {TextEncoding::kUtf8, IsValidUtf8(run)});
    } else {
        decoded = DecodeLineRuns(todo, last, m_lines, append);
    }
    m_held.assign(todo.substr(decoded));
}

void TextDecoder::DecodeUtf16Units(std::string_view bytes, bool last, std::string& out)
{
    m_held += bytes;
    std::size_t complete = last ? m_held.size() : m_held.size() / 2 * 2;
    // A high surrogate waits for its partner in the bytes to come.
    if (!last && complete >= 2) {
        // The byte that holds the unit's top bits: D8 to DB begins a pair.
        const auto top = static_cast<unsigned char>(
            m_held[m_mode == Mode::kUtf16Be ? complete - 2 : complete - 1]);
        if (top >= 0xD8 && top <= 0xDB)
            complete -= 2;
    }
    out +=
        ToUtf8(DecodeUtf16(std::string_view(m_held).substr(0, complete), m_mode == Mode::kUtf16Be));
    m_held.erase(0, complete);
}

} // namespace tolvane::sheet

// Bytes of a file or of tolvane-eval's input, decoded whole (as the window opens a file) and as a
// stream cut into pieces (as tolvane-eval reads it): never a crash, text that is well-formed
// (valid UTF-8, no unpaired surrogate), and the same text both ways wherever the cut cannot
// matter. It can matter only for the lines before the first line that decides between UTF-8 and
// GB18030: a stream answers them with the bytes at hand, the whole file looks further ahead.
#include "sheet/gb18030.h"
#include "sheet/text_decoder.h"
#include "sheet/utf.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The lines of a text, each with its LF; the last may lack one.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

bool StartsWithMark(std::string_view bytes)
{
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
           bytes.starts_with("\xFE\xFF");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tolvane;
    if (size == 0)
        return 0;
    // The first byte sets the size of the pieces, 1 to 16 bytes.
    const std::size_t piece = data[0] % 16 + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::u16string whole = sheet::DecodeText(bytes);
    const std::string utf8 = sheet::ToUtf8(whole);
    fuzz::Require(sheet::ToUtf16(utf8) == whole, "the whole text has no unpaired surrogate");

    std::string inOnePiece;
    sheet::TextDecoder().Decode(bytes, true, inOnePiece);
    fuzz::Require(inOnePiece == utf8, "a stream handed over at once decodes as the whole");

    sheet::TextDecoder decoder;
    std::string streamed;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        decoder.Decode(bytes.substr(at, piece), false, streamed);
    decoder.Decode({}, true, streamed);
    fuzz::Require(sheet::IsValidUtf8(streamed), "the stream's text is UTF-8");
    if (StartsWithMark(bytes)) {
        fuzz::Require(streamed == utf8, "with a mark the stream decodes as the whole");
        return 0;
    }

    const std::vector<std::string_view> raw = SplitLines(bytes);
    const std::vector<std::string_view> wholeLines = SplitLines(utf8);
    const std::vector<std::string_view> streamedLines = SplitLines(streamed);
    fuzz::Require(wholeLines.size() == raw.size() && streamedLines.size() == raw.size(),
                  "every line is decoded once both ways");
    bool decided = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        decided = decided || sheet::IsValidUtf8(raw[i]) != (sheet::MalformedGb18030(raw[i]) == 0);
        if (decided)
            fuzz::Require(streamedLines[i] == wholeLines[i],
                          "from the first deciding line on the stream decodes as the whole");
    }
    return 0;
}

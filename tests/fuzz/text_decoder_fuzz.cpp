// Bytes of a file or of tolvane-eval's input, decoded whole (as the window opens a file) and as a
// stream cut into pieces (as tolvane-eval reads it): never a crash, the same text both ways
// however the stream is cut, and text that is well-formed (valid UTF-8, no unpaired surrogate).
#include "sheet/text_decoder.h"
#include "sheet/utf.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

    sheet::TextDecoder decoder;
    std::string streamed;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        decoder.Decode(bytes.substr(at, piece), false, streamed);
    decoder.Decode({}, true, streamed);
    fuzz::Require(streamed == utf8, "the stream decodes as the whole");
    fuzz::Require(sheet::IsValidUtf8(streamed), "the stream's text is UTF-8");
    return 0;
}

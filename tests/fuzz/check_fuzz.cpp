// CheckExpression on arbitrary bytes: true exactly with an empty error text,
// and the text checked is never changed.
#include "engine/engine.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tolvane;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string copy = text;
    std::string errorText = "left over";
    const bool ok = engine::CheckExpression(text, errorText);
    fuzz::Require(text == copy, "the checked text is not changed");
    if (ok)
        fuzz::Require(errorText.empty(), "a passed check leaves an empty error text");
    fuzz::Require(fuzz::IsMessageSequence(errorText),
                  "the error text is a sequence of the engine's messages");
    return 0;
}

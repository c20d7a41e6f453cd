// EvaluateExpression on arbitrary bytes: a number or a failure, never a crash;
// a success carries no error text, a failure only the engine's own messages.
#include "engine/engine.h"
#include "tests/fuzz/fuzz_support.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tolvane;
    static const engine::NamedValues named;

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const engine::Evaluation result = engine::EvaluateExpression(text, named);
    if (result.ok) {
        fuzz::Require(result.error.empty(), "a success leaves an empty error text");
        fuzz::Require(std::isfinite(result.value), "a success is a finite number");
    } else {
        fuzz::Require(fuzz::IsMessageSequence(result.error),
                      "a failure's error text is a sequence of the engine's messages");
    }
    return 0;
}

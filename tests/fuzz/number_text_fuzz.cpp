// FormatNumber and ParseNumber: any finite double formats to a text that
// parses back and formats to the same text again, and any text that parses is
// handled without a crash.
#include "engine/engine.h"
#include "tests/fuzz/fuzz_support.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tolvane;

    if (size >= sizeof(double)) {
        double x;
        std::memcpy(&x, data, sizeof x);
        if (std::isfinite(x)) {
            const std::string once = engine::FormatNumber(x);
            const auto parsed = engine::ParseNumber(once);
            fuzz::Require(parsed.has_value(), "a formatted number parses");
            const double back = static_cast<double>(*parsed);
            if (std::isinf(back)) {
                // 15 digits round the largest doubles up past the double range.
                fuzz::Require(std::fabs(x) > 1.797693134862e308,
                              "only the largest doubles overflow");
            } else {
                const std::string twice = engine::FormatNumber(back);
                fuzz::Require(once == twice, "format, parse, format is stable");
            }
        }
    }

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto value = engine::ParseNumber(text)) {
        if (std::isfinite(static_cast<double>(*value))) {
            const std::string shown = engine::FormatNumber(static_cast<double>(*value));
            fuzz::Require(engine::ParseNumber(shown).has_value(), "a shown number parses");
        }
    }
    return 0;
}

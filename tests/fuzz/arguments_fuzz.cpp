// Line variables and argument lists on arbitrary bytes: DefineVariables only
// ever adds valid names after the four constants, NthArgument gives single
// items, ParseArguments fills at most the slots it is given.
#include "engine/argument_list.h"
#include "engine/engine.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

bool IsValidName(std::string_view name)
{
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name.front())))
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tolvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    engine::NamedValues named;
    const int accepted = engine::DefineVariables(named, text);
    const auto entries = named.Entries();
    fuzz::Require(accepted >= 0, "DefineVariables never answers a negative count");
    fuzz::Require(entries.size() >= 4, "the four constants stay registered");
    fuzz::Require(entries.size() <= 4 + static_cast<std::size_t>(accepted),
                  "no more names than accepted items are added");
    for (const auto& entry : entries) {
        fuzz::Require(IsValidName(entry.name), "only valid names are registered");
        fuzz::Require(named.Find(entry.name) == &entry, "each name is found at its own entry");
    }

    const auto commas = static_cast<std::size_t>(std::count(text.begin(), text.end(), ','));
    for (int n = 0; n <= static_cast<int>(std::min<std::size_t>(commas + 2, 64)); ++n) {
        const std::string item = engine::NthArgument(text, n);
        fuzz::Require(item.find(',') == std::string::npos, "an item holds no comma");
        fuzz::Require(item.find(' ') == std::string::npos, "an item holds no blank");
        if (n <= 0)
            fuzz::Require(item.empty(), "there is no item before the first");
    }

    std::vector<double> values(std::min<std::size_t>(commas + 1, 4096), 0.0);
    engine::ParseArguments(text, values);
    return 0;
}

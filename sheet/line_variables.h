// Line variables: behind the first "@@" of a line stand its definition items, name=value, each
// ended by "," or "，" (a*b@@a=2,b=3). This header is the sheet's one description of that
// syntax. Enter evaluates the expression before the marker with the definitions behind it and
// reads a "=" inside an item as the item's own (line_logic.cpp); "=" typed into an item that has
// none yet is a character, not Enter (key_logic.cpp). The engine reads the items themselves
// (DefineVariables), once the full-width comma has become ",".
#pragma once

#include <cstddef>
#include <string_view>

namespace tolvane::sheet {

inline constexpr std::size_t kDefinitionsMarkerLength = 2;

// The position of the first "@@" of a line (as the sheet holds it, or in UTF-8), or npos.
[[nodiscard]] constexpr std::size_t FindDefinitionsMarker(std::u16string_view line)
{
    return line.find(u"@@");
}
[[nodiscard]] constexpr std::size_t FindDefinitionsMarker(std::string_view utf8Line)
{
    return utf8Line.find("@@");
}

// The characters that end a definition item.
inline constexpr std::u16string_view kItemSeparators = u",，";
[[nodiscard]] constexpr bool IsItemSeparator(char16_t ch)
{
    return kItemSeparators.find(ch) != std::u16string_view::npos;
}

// The item being written at the end of a definitions text: what follows its last separator.
[[nodiscard]] constexpr std::u16string_view LastDefinitionItem(std::u16string_view definitions)
{
    const std::size_t separator = definitions.find_last_of(kItemSeparators);
    return separator == std::u16string_view::npos ? definitions : definitions.substr(separator + 1);
}

} // namespace tolvane::sheet

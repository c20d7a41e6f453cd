// The two character sets the checker judges expressions by. They are fixed
// for the life of the program, so they are constants rather than tables
// filled at start-up.
#pragma once

#include <string_view>

namespace tolvane::engine {

class CharSet {
public:
    constexpr explicit CharSet(std::string_view members)
        : m_members(members)
    {}
    [[nodiscard]] constexpr bool Has(char c) const
    {
        return m_members.find(c) != std::string_view::npos;
    }

private:
    std::string_view m_members;
};

inline constexpr CharSet OperatorChars{"*+-/"};
inline constexpr CharSet DigitChars{"0123456789"};

} // namespace tolvane::engine

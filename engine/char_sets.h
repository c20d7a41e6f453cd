// Character classes of the expression language. The checker's two sets,
// kOperatorChars and kDigitChars, are fixed for the life of the program, so
// they are constants rather than tables filled at start-up. A set is a
// 256-bit map: membership is one lookup, whatever the byte.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tolvane::engine {

class CharSet {
public:
    constexpr explicit CharSet(std::string_view members)
    {
        for (const char c : members)
            m_bits[Byte(c) / 64] |= std::uint64_t{1} << (Byte(c) % 64);
    }
    constexpr CharSet(std::string_view members, char first, char last)
        : CharSet(members)
    {
        for (int c = first; c <= last; ++c)
            m_bits[static_cast<unsigned>(c) / 64] |= std::uint64_t{1}
                                                     << (static_cast<unsigned>(c) % 64);
    }
    [[nodiscard]] constexpr bool Has(char c) const
    {
        return ((m_bits[Byte(c) / 64] >> (Byte(c) % 64)) & 1) != 0;
    }
    [[nodiscard]] constexpr CharSet operator|(const CharSet& other) const
    {
        CharSet out("");
        for (std::size_t k = 0; k < 4; ++k)
            out.m_bits[k] = m_bits[k] | other.m_bits[k];
        return out;
    }

private:
    static constexpr unsigned Byte(char c) { return static_cast<unsigned char>(c); }
    std::array<std::uint64_t, 4> m_bits{};
};

inline constexpr CharSet kOperatorChars{"*+-/"};
inline constexpr CharSet kDigitChars{"", '0', '9'};
inline constexpr CharSet kLetterChars = CharSet("", 'A', 'Z') | CharSet("", 'a', 'z');
// A name begins with a letter or '_' and goes on with letters, digits, '_'.
inline constexpr CharSet kNameStartChars = kLetterChars | CharSet("_");
inline constexpr CharSet kNameChars = kNameStartChars | kDigitChars;

} // namespace tolvane::engine

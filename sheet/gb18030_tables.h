// The tables of the GB18030 decoder (gb18030.h), written by scripts/gb18030_tables.py.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvane::sheet::gb18030 {

// Two-byte codes: lead byte 81 to FE, trail byte 40 to 7E or 80 to FE.
inline constexpr std::size_t kLeadCount = 0xFE - 0x81 + 1;
inline constexpr std::size_t kTrailCount = (0x7E - 0x40 + 1) + (0xFE - 0x80 + 1);
inline constexpr std::size_t kTwoByteCount = kLeadCount * kTrailCount;
extern const std::array<char16_t, kTwoByteCount> kTwoByte;

// Four-byte codes below U+10000, 81308130 to 8431A439, numbered from 0 in byte order: runs of
// codes whose characters follow one another.
inline constexpr std::uint32_t kFourByteBmpCount = 39420;
struct FourByteRun {
    std::uint16_t first; // the number of the run's first code
    char16_t character;  // that code's character
};
inline constexpr std::size_t kFourByteRunCount = 208;
extern const std::array<FourByteRun, kFourByteRunCount> kFourByteRuns;

} // namespace tolvane::sheet::gb18030

// GB18030 to Unicode, without Qt: what Chinese Windows programs write (GBK is its two-byte part),
// read as web browsers read it today (scripts/gb18030_tables.py says which edition of the
// standard, and how it differs).
//
// One byte below 80 is ASCII and 80 the euro sign, as GBK has it; a lead byte 81 to FE takes a
// trail byte 40 to 7E or 80 to FE, or begins a four-byte code with a digit, a byte 81 to FE and
// a digit. Anything else is malformed: its first byte becomes U+FFFD and decoding goes on with
// the next byte, so a stray byte never swallows the ASCII after it ("\x81" "1+2" keeps 1+2).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tolvane::sheet {

[[nodiscard]] std::u16string Gb18030ToUtf16(std::string_view bytes);
// Appends the text as UTF-8.
void AppendGb18030AsUtf8(std::string_view bytes, std::string& out);
// How many U+FFFD decoding writes for malformed bytes: 0 when the bytes are well-formed GB18030.
[[nodiscard]] std::size_t MalformedGb18030(std::string_view bytes);

} // namespace tolvane::sheet

// A sheet as the text of a file, without Qt: which encoding a file's bytes are read in, when they
// are refused as binary, how line breaks and control characters become sheet lines, the bytes a
// sheet is written as, and how a line read from a file is coloured.
//
// How the pieces meet: reading runs DetectEncoding on the bytes; the caller decodes them (UTF-8
// and UTF-16 here, GB18030 with Qt's ICU codec in ui/), asks LooksBinary, and hands the text to
// CleanSheetText, whose lines become the sheet's lines one for one, each coloured after
// OpenedLineColors. Writing joins the lines with SheetFileBytes. A sheet written and read back
// gives the same lines: UTF-8 without BOM, LF between lines, nothing else added.
#pragma once

#include "sheet/sheet.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::sheet {

// Larger files are refused before they are read: a sheet that size would take the window
// minutes to lay out, and no hand-written calculation comes near it.
inline constexpr std::int64_t kMaxSheetFileBytes = std::int64_t{64} * 1024 * 1024;

enum class TextEncoding { kUtf8, kUtf16Le, kUtf16Be, kGb18030 };

struct FileEncoding {
    TextEncoding encoding = TextEncoding::kUtf8;
    // Bytes of byte-order mark in front of the text, to be skipped.
    std::size_t bomLength = 0;
};

// A byte-order mark decides (UTF-8, UTF-16 LE or BE); without one, bytes that are well-formed
// UTF-8 are UTF-8 and anything else is GB18030, what the same workflow writes on Chinese Windows.
[[nodiscard]] FileEncoding DetectEncoding(std::string_view bytes);

// UTF-16 code units from bytes in either order; an odd byte at the end becomes U+FFFD.
[[nodiscard]] std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian);

// Whether the character cannot be shown on the sheet and is written there as U+FFFD: every C0
// and C1 control and DEL except TAB, and the Unicode line and paragraph separators (the text
// control would break a line at the latter, and one file line must stay one sheet line). CR and
// LF never reach this test: they are line breaks. TAB stays, because the sheet's Tab key types
// one, so a saved sheet holding a TAB must come back as it was.
[[nodiscard]] bool IsHiddenControl(char16_t ch);

// Decoded text that is no sheet: more than one character in 32 (and at least 8) is a hidden
// control. A few stray NULs in a text file are shown as U+FFFD; a picture or a program, whose
// bytes hold controls at random, is refused.
[[nodiscard]] bool LooksBinary(std::u16string_view text);

// The sheet's text for decoded file text: CR LF, a lone CR and LF each become one "\n" (the line
// break between two sheet lines) and hidden controls become U+FFFD, so the text keeps its length
// but for the CRs of CR LF pairs. A final line break leaves an empty last line, as on the sheet
// after Enter.
[[nodiscard]] std::u16string CleanSheetText(std::u16string_view text);

// The bytes of a file holding these lines: UTF-8 without BOM, "\n" between lines, no line break
// after the last (an empty last line gives the final "\n"). An unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string SheetFileBytes(const std::vector<std::u16string_view>& lines);

// A line carries a result when Enter would take it as an evaluated line: it has a result
// separator (line_logic.h) and an expression before it.
[[nodiscard]] bool CarriesResult(std::u16string_view line);

struct ColorRun {
    int column = 0;
    int length = 0;
    Color color = kLime;
    friend bool operator==(const ColorRun&, const ColorRun&) = default;
};

// The colours of a line written as ColorLine and ColorOperators leave it: lime, with every
// operator, parenthesis and "=" red. Consecutive characters of one colour form one run; an empty
// line has no runs.
[[nodiscard]] std::vector<ColorRun> EvaluatedLineColors(std::u16string_view line);

// The colours of a line read from a file: a line that carries a result looks as after Enter
// (EvaluatedLineColors), any other line is lime, as the help text is.
[[nodiscard]] std::vector<ColorRun> OpenedLineColors(std::u16string_view line);

} // namespace tolvane::sheet

// A sheet as the text of a file, without Qt: when decoded bytes are refused as binary, how line
// breaks and control characters become sheet lines, the bytes a sheet is written as, and how a
// line read from a file is coloured.
//
// How the pieces meet: reading decodes the bytes with DecodeText (text_decoder.h, the rule
// tolvane-eval reads its input by too), asks LooksBinary, and hands the text to CleanSheetText,
// whose lines become the sheet's lines one for one, each coloured after OpenedLineColors. Writing
// joins the lines with SheetFileBytes. A sheet written and read back gives the same lines: UTF-8
// without BOM, LF between lines, nothing else added.
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

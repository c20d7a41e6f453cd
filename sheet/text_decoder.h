// How the bytes of a sheet file, or of tolvane-eval's standard input, become text: one rule for
// both, so a file reads the same in the window and in the batch evaluator.
//
// A byte-order mark at the start decides for the whole input: UTF-8, or UTF-16 in either byte
// order; the mark itself is no text. Without one, every line (its bytes up to and including its
// LF) is read on its own, as UTF-8 or as GB18030 (gb18030.h), what Chinese Windows programs
// write:
// - a line that is well-formed in only one of the two is read in that one, which the input is
//   then taken to be in;
// - any other line (ASCII, Chinese whose bytes happen to be well-formed in both, or a line
//   malformed in both) is read in the encoding the input was last taken to be in; before any line
//   has decided, in the encoding of the first deciding line among the bytes at hand, else UTF-8.
// So each line is decoded as soon as it is complete, and a stream read a line at a time is
// answered a line at a time. A file read whole (the window's open, tolvane-eval on a redirected
// file, which reads large blocks) reads as UTF-8 throughout when it is UTF-8, and as GB18030 when
// its first line that decides can only be GB18030, even when lines with a character or two of
// Chinese that fit both (one in five single characters of the common ones) come before it, as in
// an expense list that begins with 早饭 8.5. A stray malformed byte becomes U+FFFD without
// changing the encoding, and a file pieced together from both mostly reads each piece right.
// Only a stream that hands over such a line alone, before any deciding line has arrived, gets it
// read as UTF-8: the answer cannot wait for lines that may never come.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::sheet {

enum class TextEncoding { kUtf8, kUtf16Le, kUtf16Be, kGb18030 };

// UTF-16 text from bytes in either order; an unpaired surrogate, and an odd byte at the end,
// become U+FFFD.
[[nodiscard]] std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian);

// The encoding of each line of an input without a byte-order mark, decided as above.
class LineEncodings {
public:
    struct Choice {
        TextEncoding encoding = TextEncoding::kUtf8;
        // Whether the line is well-formed in that encoding (no U+FFFD for a malformed byte).
        bool wellFormed = true;
    };
    // `line`: one line's bytes, its LF included; only the input's last line may lack one.
    [[nodiscard]] Choice Next(std::string_view line);
    // Until a line has decided, takes the encoding of the first line in `lines` (whole lines,
    // LF included; only the input's last line may lack one) that decides, if any does.
    void LookAhead(std::string_view lines);

private:
    TextEncoding m_current = TextEncoding::kUtf8;
    bool m_decided = false;
};

// A whole input as text; malformed bytes become U+FFFD.
[[nodiscard]] std::u16string DecodeText(std::string_view bytes);

// The same decoding for an input that arrives in pieces, into UTF-8: the text of the pieces
// handed in, joined, is the UTF-8 of DecodeText of the bytes joined, except for lines before the
// first deciding line, which are read with only the bytes at hand to look ahead in.
class TextDecoder {
public:
    // Appends the text of every line the bytes complete, LF included (in UTF-16 input, of every
    // character they complete) to `out`; with `last` (the input ends), the rest too.
    void Decode(std::string_view bytes, bool last, std::string& out);

private:
    enum class Mode { kUndecided, kLines, kUtf8Mark, kUtf16Le, kUtf16Be };
    void DecodeLines(std::string_view bytes, bool last, std::string& out);
    void DecodeUtf16Units(std::string_view bytes, bool last, std::string& out);

    Mode m_mode = Mode::kUndecided;
    // Bytes not decoded yet: the input's start while it may be a mark, the line in progress, or
    // what UTF-16 needs to complete a character.
    std::string m_held;
    LineEncodings m_lines;
};

} // namespace tolvane::sheet

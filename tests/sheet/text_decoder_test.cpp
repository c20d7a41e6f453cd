// Bytes to text, as the window opens files and tolvane-eval reads its input: GB18030 code by
// code, the byte-order marks, the line-by-line choice between UTF-8 and GB18030, and the stream
// decoder, which must give the same text however its input is cut.
#include "sheet/gb18030.h"
#include "sheet/text_decoder.h"
#include "sheet/utf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace tolvane::sheet {
namespace {

using namespace std::string_view_literals;

TEST(Gb18030, ReadsEveryKindOfCode)
{
    const struct {
        const char* name;
        std::string_view bytes;
        std::u16string_view text;
    } cases[] = {
        {"ascii", "1+2=3\n"sv, u"1+2=3\n"},
        {"euro sign, one byte as in GBK", "\x80"sv, u"\u20AC"},
        {"two bytes, first and last trail", "\xB0\xA1\xB0\xFE\x81\x40"sv, u"啊剥丂"},
        {"ideographic space and comma", "\xA1\xA1\xA3\xAC"sv, u"\u3000，"},
        {"four bytes, first below U+10000", "\x81\x30\x81\x30"sv, u"\u0080"},
        {"four bytes, last below U+10000", "\x84\x31\xA4\x39"sv, u"\uFFFF"},
        {"four bytes, U+10000", "\x90\x30\x81\x30"sv, u"\U00010000"},
        {"four bytes, U+20000", "\x95\x32\x82\x36"sv, u"\U00020000"},
        {"four bytes, U+10FFFF", "\xE3\x32\x9A\x35"sv, u"\U0010FFFF"},
        {"the 2005 swap", "\xA8\xBC\x81\x35\xF4\x37"sv, u"\u1E3F\uE7C7"},
        {"2022: vertical comma, two bytes and four", "\xA6\xD9\x84\x31\x82\x36"sv, u"\uFE10\uFE10"},
        {"2022: a component", "\xFE\x59"sv, u"\u9FB4"},
        {"private use that stayed", "\xFE\x51\xAA\xA1"sv, u"\uE816\uE000"},
        {"A3A0 as the space it meant", "\xA3\xA0"sv, u"\u3000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Gb18030ToUtf16(c.bytes), c.text);
        EXPECT_EQ(MalformedGb18030(c.bytes), 0u);
    }
}

TEST(Gb18030, MalformedCodesNeverSwallowTheTextAfterThem)
{
    const struct {
        const char* name;
        std::string_view bytes;
        std::u16string_view text;
        std::size_t malformed;
    } cases[] = {
        {"FF", "1\xFF+2"sv, u"1\uFFFD+2", 1},
        {"lead before ASCII", "\x81+2"sv, u"\uFFFD+2", 1},
        {"lead before LF", "\xB0\n7"sv, u"\uFFFD\n7", 1},
        {"lead before FF is one",
         "\x81\xFF"
         "1"sv,
         u"\uFFFD1", 1},
        {"lead and digit before ASCII", "\x81\x30 1"sv, u"\uFFFD0 1", 1},
        {"four-byte code broken in its last byte", "\x81\x30\x81 "sv, u"\uFFFD0\uFFFD ", 2},
        {"cut short at the end is one", "1\x81\x30\x81"sv, u"1\uFFFD", 1},
        {"lead at the end", "1\xB0"sv, u"1\uFFFD", 1},
        {"between the planes", "\x84\x31\xA5\x30"sv, u"\uFFFD", 1},
        {"beyond U+10FFFF", "\xE3\x32\x9A\x36"sv, u"\uFFFD", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Gb18030ToUtf16(c.bytes), c.text);
        EXPECT_EQ(MalformedGb18030(c.bytes), c.malformed);
        std::string utf8 = "=";
        AppendGb18030AsUtf8(c.bytes, utf8);
        // Compared piece by piece: GCC 12 at -O3 takes "=" + a string for an overlapping copy
        // (-Wrestrict).
        EXPECT_EQ(utf8.substr(0, 1), "=");
        EXPECT_EQ(utf8.substr(1), ToUtf8(c.text));
    }
}

TEST(DecodeUtf16, ReadsEitherOrderAndMarksWhatIsBroken)
{
    EXPECT_EQ(DecodeUtf16("1\0+\0`O"sv, false), u"1+你");
    EXPECT_EQ(DecodeUtf16("\0"
                          "1\0+O`"sv,
                          true),
              u"1+你");
    EXPECT_EQ(DecodeUtf16("=\xD8\x00\xDE"sv, false), u"\U0001F600"); // a pair stays a pair
    EXPECT_EQ(DecodeUtf16("1\0+"sv, false), u"1\uFFFD");
    EXPECT_EQ(DecodeUtf16("=\xD8"
                          "1\0\x00\xDE"sv,
                          false),
              u"\uFFFD1\uFFFD");
}

TEST(DecodeText, AMarkDecidesTheWholeInput)
{
    const struct {
        const char* name;
        std::string_view bytes;
        std::u16string_view text;
    } cases[] = {
        {"UTF-8 mark",
         "\xEF\xBB\xBF"
         "1+2"sv,
         u"1+2"},
        {"UTF-8 mark, GB18030 after it", "\xEF\xBB\xBF\xC4\xE3"sv, u"\uFFFD\uFFFD"},
        {"UTF-16 LE",
         "\xFF\xFE"
         "1\0+\0`O"sv,
         u"1+你"},
        {"UTF-16 BE",
         "\xFE\xFF\0"
         "1O`"sv,
         u"1你"},
        {"a mark later is text",
         "1\n\xEF\xBB\xBF"
         "2"sv,
         u"1\n\uFEFF2"},
        {"half a UTF-8 mark is text, here GB18030", "\xEF\xBB"sv, u"锘"},
        {"empty", ""sv, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeText(c.bytes), c.text);
    }
}

// 元 in GB18030 is D4 AA, which is well-formed UTF-8 too (U+052A); 合计 is not; 你好 in UTF-8
// (E4 BD A0 E5 A5 BD) is well-formed GB18030 too, 你 alone before "=" is not.
TEST(DecodeText, EachLineInTheEncodingOnlyItFitsElseAsTheLineBefore)
{
    const struct {
        const char* name;
        std::string_view bytes;
        std::u16string_view text;
    } cases[] = {
        {"UTF-8", "1+2\n\xE4\xBD\xA0\xE5\xA5\xBD\n"sv, u"1+2\n你好\n"},
        {"GB18030", "\xBA\xCF\xBC\xC6=3\n\xC4\xE3\xBA\xC3"sv, u"合计=3\n你好"},
        {"GB18030, a line that fits both after the first that decides",
         "\xBA\xCF\xBC\xC6\n\xD4\xAA\n"sv, u"合计\n元\n"},
        {"GB18030, a line that fits both before the first that decides",
         "\xD4\xAA 8.5\n1\n\xBA\xCF\xBC\xC6\n"sv, u"元 8.5\n1\n合计\n"},
        {"UTF-8, a line that fits both before the first that decides",
         "\xE4\xBD\xA0\xE5\xA5\xBD\n\xE4\xBD\xA0=1\n"sv, u"你好\n你=1\n"},
        {"GB18030, then a UTF-8 line that only UTF-8 fits", "\xC4\xE3\xBA\xC3\n\xE4\xBD\xA0=1\n"sv,
         u"你好\n你=1\n"},
        {"a stray byte in UTF-8 stays UTF-8", "\xE4\xBD\xA0\xFF=1\n\xE4\xBD\xA0\xE5\xA5\xBD"sv,
         u"你\uFFFD=1\n你好"},
        {"a stray byte in GB18030 stays GB18030", "\xC4\xE3\n\xC4\xE3\xFF\n\xD4\xAA"sv,
         u"你\n你\uFFFD\n元"},
        {"CR LF", "\xC4\xE3\r\n1\r\n"sv, u"你\r\n1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeText(c.bytes), c.text);
    }
}

std::string ReadFixture(const char* name)
{
    std::ifstream file(std::string(TOLVANE_ENCODINGS_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The stream decoder, fed the bytes in pieces of every size from 1 to 7, and cut once at every
// place, gives what DecodeText gives for the whole.
TEST(TextDecoder, GivesTheSameTextHoweverTheInputIsCut)
{
    std::vector<std::string> inputs = {
        "1+2\n\xE4\xBD\xA0\xE5\xA5\xBD\n",
        "\xBA\xCF\xBC\xC6\n\xD4\xAA\n\xD4\xAA",
        "\xE4\xBD\xA0\xFF=1\n\x81\x30\x81",
        "\xEF\xBB\xBF\xE4\xBD\xA0\n\xC4\xE3",
        std::string("\xFF\xFE=\xD8\x00\xDE\n\0=\xD8", 9),
        std::string("\xFE\xFF\xD8=\xDE\0\0\n\xD8", 9),
        "\xEF\xBB",
        "\xFE",
        "",
    };
    for (const char* name : {"gb18030-crlf.txt", "utf8-bom-crlf.txt", "utf16le-bom.txt",
                             "utf16be-bom-crlf.txt", "sheet.txt"})
        inputs.push_back(ReadFixture(name));
    for (const std::string& input : inputs) {
        SCOPED_TRACE(::testing::PrintToString(input));
        const std::string want = ToUtf8(DecodeText(input));
        for (std::size_t piece = 1; piece <= 7; ++piece) {
            TextDecoder decoder;
            std::string got;
            for (std::size_t at = 0; at < input.size(); at += piece)
                decoder.Decode(std::string_view(input).substr(at, piece), false, got);
            decoder.Decode({}, true, got);
            EXPECT_EQ(got, want) << "pieces of " << piece;
        }
        for (std::size_t cut = 0; cut <= input.size(); ++cut) {
            TextDecoder decoder;
            std::string got;
            decoder.Decode(std::string_view(input).substr(0, cut), false, got);
            decoder.Decode(std::string_view(input).substr(cut), true, got);
            EXPECT_EQ(got, want) << "cut at " << cut;
        }
    }
}

// A line that fits both encodings is read like the first deciding line the decoder has at hand;
// a stream that hands it over alone is answered at once, before that line can arrive.
TEST(TextDecoder, LooksAheadOnlyAsFarAsTheBytesAtHand)
{
    const std::string_view input = "\xD4\xAA\n\xBA\xCF\xBC\xC6\n"sv; // 元, 合计 in GB18030
    TextDecoder whole;
    std::string out;
    whole.Decode(input, true, out);
    EXPECT_EQ(out, "元\n合计\n");
    TextDecoder stream;
    out.clear();
    stream.Decode(input.substr(0, 3), false, out);
    stream.Decode(input.substr(3), true, out);
    EXPECT_EQ(out, "\u052A\n合计\n");
}

TEST(TextDecoder, AnswersEachLineOnceItIsComplete)
{
    TextDecoder decoder;
    std::string out;
    decoder.Decode("1+2\n\xC4", false, out);
    EXPECT_EQ(out, "1+2\n");
    decoder.Decode("\xE3=1\n7", false, out);
    EXPECT_EQ(out, "1+2\n\xE4\xBD\xA0=1\n");
    decoder.Decode({}, true, out);
    EXPECT_EQ(out, "1+2\n\xE4\xBD\xA0=1\n7");
}

TEST(TextDecoder, TheWindowsFixturesReadAsTheSheetTheyHold)
{
    const std::string sheet = ReadFixture("sheet.txt");
    std::string crlf;
    for (const char c : sheet)
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    for (const auto& [name, want] :
         {std::pair{"gb18030-crlf.txt", crlf}, std::pair{"utf8-bom-crlf.txt", crlf},
          std::pair{"utf16le-bom.txt", sheet}, std::pair{"utf16be-bom-crlf.txt", crlf}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ToUtf8(DecodeText(ReadFixture(name))), want);
    }
}

} // namespace
} // namespace tolvane::sheet

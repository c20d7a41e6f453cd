#include "sheet/utf.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane::sheet {
namespace {

// Each malformed byte becomes one U+FFFD; good sequences around it survive.
TEST(ToUtf16, DecodesAndReplacesMalformedBytes)
{
    const struct {
        std::string_view utf8;
        std::u16string_view want;
    } cases[] = {
        {"1+2", u"1+2"},
        {"", u""},
        {"\xC3\xA4+1", u"ä+1"},
        {"一+1", u"一+1"},
        {"a\xF0\x9F\x98\x80z", u"a\U0001F600z"},
        {"1\xFF", u"1\uFFFD"},
        {"\x80\x80", u"\uFFFD\uFFFD"},
        {"\xE4\xB8", u"\uFFFD\uFFFD"},                     // truncated at the end
        {"\xE4\xB8+", u"\uFFFD\uFFFD+"},                   // cut short by ASCII
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // beyond U+10FFFF
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.utf8));
        EXPECT_EQ(ToUtf16(c.utf8), c.want);
    }
}

TEST(ToUtf8, EncodesAndReplacesUnpairedSurrogates)
{
    const struct {
        std::u16string_view utf16;
        std::string_view want;
    } cases[] = {
        {u"1+2", "1+2"},
        {u"（1）", "（1）"},
        {u"x\U0001F600", "x\xF0\x9F\x98\x80"},
        {u"1\xD800", "1\xEF\xBF\xBD"},
        {u"\xDC00z", "\xEF\xBF\xBDz"},
        {u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.want));
        EXPECT_EQ(ToUtf8(c.utf16), c.want);
    }
}

} // namespace
} // namespace tolvane::sheet

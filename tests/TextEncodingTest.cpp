// What text a file's bytes hold, from a table: each mark, well-formed UTF-8,
// each way of not being UTF-8, and ASCII; and what the decoding makes of it.
#include "copier/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(TextEncoding, TellsWhatTextTheBytesHold)
{
    const std::string run(40, 'a'); // longer than the ASCII check's stride
    const std::u16string notUtf8 = u"(not UTF-8)", any = u"(not decoded)";
    // clang-format off
    const struct {
        std::string bytes;
        int encoding;
        size_t skip;
        std::u16string text; // what DecodeUtf8 makes of the bytes after the mark
    } rows[] = {
        {"", kNoUnicodeText, 0, any},
        {"plain ASCII\r\n\x1a", kNoUnicodeText, 0, any},
        {run + run, kNoUnicodeText, 0, any},
        // Well-formed UTF-8: one unit a character, two past U+FFFF.
        {"Perch\xC3\xA9 \xC3\xA8 cos\xC3\xAC?", kUtf8, 0, u"Perch\u00e9 \u00e8 cos\u00ec?"},
        {run + "\xD0\x9F\xE4\xB8\xAD\xF0\x9F\x98\x80" + run, kUtf8, 0, u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\u041f\u4e2d\U0001F600aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"},
        // The first and last of each length, and around the surrogates.
        {"\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         kUtf8, 0, u"\u0080\u07ff\u0800\ud7ff\ue000\uffff\U00010000\U0010FFFF"},
        {std::string("a\0\xC3\xA9", 4), kUtf8, 0, std::u16string(u"a\0\u00e9", 3)},
        // Not UTF-8: the code page's text, or no text at all.
        {"caf\xE9", kNoUnicodeText, 0, notUtf8},
        {run + "\x80", kNoUnicodeText, 0, notUtf8},                 // a continuation byte with no lead
        {"\xC3" "A", kNoUnicodeText, 0, notUtf8},                   // a lead without its continuation
        {"\xE2\x82" "A", kNoUnicodeText, 0, notUtf8},
        {"\xC0\xAF", kNoUnicodeText, 0, notUtf8}, {"\xC1\xBF", kNoUnicodeText, 0, notUtf8}, // overlong
        {"\xE0\x9F\xBF", kNoUnicodeText, 0, notUtf8}, {"\xF0\x8F\xBF\xBF", kNoUnicodeText, 0, notUtf8},
        {"\xED\xA0\x80", kNoUnicodeText, 0, notUtf8}, {"\xED\xBF\xBF", kNoUnicodeText, 0, notUtf8}, // surrogates
        {"\xF4\x90\x80\x80", kNoUnicodeText, 0, notUtf8}, {"\xF5\x80\x80\x80", kNoUnicodeText, 0, notUtf8}, // past U+10FFFF
        {"\xFF", kNoUnicodeText, 0, notUtf8},
        {"ok \xE2\x82", kNoUnicodeText, 0, notUtf8}, {"ok \xF0\x9F\x98", kNoUnicodeText, 0, notUtf8}, // cut short at the end
        {"\xF0\x9F", kNoUnicodeText, 0, notUtf8},
        // EF BB without BF is no mark: U+FEE0, and text.
        {"\xEF\xBB\xA0 abc", kUtf8, 0, u"\ufee0 abc"},
        // Well-formed where the first bytes above ASCII are, but not further on.
        {"\xC3\xA9" + run + run + "\xE9", kUtf8, 0, notUtf8},
        // The 64 bytes looked at from the first above ASCII end inside a 2-, 3- or 4-byte character.
        {"\xC3\xA9" + std::string(61, 'a') + "\xD0\x9F", kUtf8, 0, u"\u00e9" + std::u16string(61, u'a') + u"\u041f"},
        {"\xC3\xA9" + std::string(60, 'a') + "\xE4\xB8\xAD", kUtf8, 0, u"\u00e9" + std::u16string(60, u'a') + u"\u4e2d"},
        {"\xC3\xA9" + std::string(59, 'a') + "\xF0\x9F\x98\x80", kUtf8, 0, u"\u00e9" + std::u16string(59, u'a') + u"\U0001F600"},
        // Marks: the text after them.
        {"\xEF\xBB\xBF", kMarkedUtf8, 3, u""},
        {"\xEF\xBB\xBFhi \xE2\x82\xAC", kMarkedUtf8, 3, u"hi \u20ac"},
        {"\xEF\xBB\xBF" "caf\xE9", kMarkedUtf8, 3, notUtf8},
        {"\xFF\xFE", kUtf16Le, 2, any},
        {std::string("\xFF\xFE\0", 3), kUtf16Le, 2, any},
        {std::string("\xFE\xFF\0h", 4), kUtf16Be, 2, any},
        {std::string("\xFF\xFE\0\0h\0\0\0", 8), kNoUnicodeText, 0, any}, // UTF-32
        {std::string("\0\0\xFE\xFF\0\0\0h", 8), kNoUnicodeText, 0, any},
    };
    // clang-format on
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.bytes));
        size_t skip = 99;
        EXPECT_EQ(row.encoding, GetTextEncoding(row.bytes.data(), row.bytes.size(), &skip));
        EXPECT_EQ(row.skip, skip);
        if (row.text == any)
            continue;
        // The bytes with no NUL after them, and exactly a unit a byte, so that
        // AddressSanitizer sees a read or a write past either.
        std::vector<char> bytes(row.bytes.begin() + static_cast<long>(skip), row.bytes.end());
        std::vector<char16_t> text(bytes.size());
        size_t units = DecodeUtf8(bytes.data(), bytes.size(), text.data());
        EXPECT_EQ(row.text, units == kNotUtf8 ? notUtf8 : std::u16string(text.data(), units));
    }
    // The first bytes above ASCII anywhere in and around the ASCII check's
    // stride: UTF-8, or the code page's.
    for (size_t at = 0; at + 1 < run.size(); at++) {
        std::string utf8 = run, codePage = run;
        utf8.replace(at, 2, "\xC3\xA9");
        codePage[at] = '\xE9';
        size_t skip = 0;
        EXPECT_EQ(kUtf8, GetTextEncoding(utf8.data(), utf8.size(), &skip)) << at;
        EXPECT_EQ(kNoUnicodeText, GetTextEncoding(codePage.data(), codePage.size(), &skip)) << at;
    }
}

// What text a file's bytes hold, from a table: each mark, well-formed UTF-8,
// each way of not being UTF-8, and ASCII; scanned whole and in every two
// pieces, as the copy scans each read.
#include "copier/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {
struct Verdict {
    int encoding;
    size_t skip;
    size_t units;
    bool operator==(const Verdict &other) const
    {
        return encoding == other.encoding && skip == other.skip && units == other.units;
    }
};

std::ostream &operator<<(std::ostream &out, const Verdict &v)
{
    return out << "{encoding " << v.encoding << ", skip " << v.skip << ", units " << v.units << "}";
}

Verdict Judge(const std::string &bytes, size_t split)
{
    Utf8Scan scan = {};
    ScanUtf8(&scan, bytes.data(), split);
    ScanUtf8(&scan, bytes.data() + split, bytes.size() - split);
    Verdict v = {0, 0, 0};
    v.encoding = GetTextEncoding(bytes.data(), bytes.size(), scan, &v.skip, &v.units);
    return v;
}
} // namespace

TEST(TextEncoding, TellsWhatTextTheBytesHold)
{
    const std::string run(40, 'a'); // longer than the scan's ASCII stride
    const Verdict none = {kNoUnicodeText, 0, 0};
    // clang-format off
    const struct {
        std::string bytes;
        Verdict verdict;
    } rows[] = {
        {"", none},
        {"plain ASCII\r\n\x1a", none},
        {run + run, none},
        // Well-formed UTF-8: one unit per character, two past U+FFFF.
        {"Perch\xC3\xA9 \xC3\xA8 cos\xC3\xAC?", {kUtf8, 0, 14}},
        {run + "\xC3\xA9" + run, {kUtf8, 0, 81}},
        {"\xD0\x9F\xE4\xB8\xAD\xF0\x9F\x98\x80", {kUtf8, 0, 4}},
        {"\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         {kUtf8, 0, 10}}, // the first and last of each length and around the surrogates
        {std::string("a\0\xC3\xA9", 4), {kUtf8, 0, 3}},
        // Not UTF-8: the code page's text, or no text at all.
        {"caf\xE9", none},
        {run + "\x80", none},                        // a continuation byte with no lead
        {"\xC3" "A", none},                          // a lead without its continuation
        {"\xC0\xAF", none}, {"\xC1\xBF", none},       // overlong
        {"\xE0\x9F\xBF", none}, {"\xF0\x8F\xBF\xBF", none},
        {"\xED\xA0\x80", none}, {"\xED\xBF\xBF", none}, // surrogates
        {"\xF4\x90\x80\x80", none}, {"\xF5\x80\x80\x80", none}, {"\xFF", none}, // past U+10FFFF
        {"ok \xE2\x82", none}, {"ok \xF0\x9F\x98", none},                      // cut off at the end
        // Marks: the text after them.
        {"\xEF\xBB\xBF", {kUtf8, 3, 0}},
        {"\xEF\xBB\xBFhi", {kUtf8, 3, 2}},
        {"\xEF\xBB\xBF\xE2\x82\xAC", {kUtf8, 3, 1}},
        {"\xEF\xBB\xBF" "caf\xE9", {kUtf8WithFaults, 3, 0}},
        {"\xEF\xBB\xBFok \xE2\x82", {kUtf8WithFaults, 3, 0}},
        {"\xFF\xFE", {kUtf16Le, 2, 0}},
        {std::string("\xFF\xFEh\0\xE9\0", 6), {kUtf16Le, 2, 2}},
        {std::string("\xFF\xFEh\0!", 5), {kUtf16Le, 2, 1}}, // a stray last byte
        {std::string("\xFF\xFE\0", 3), {kUtf16Le, 2, 0}},
        {std::string("\xFE\xFF\0h\0\xE9", 6), {kUtf16Be, 2, 2}},
        {std::string("\xFF\xFE\0\0h\0\0\0", 8), none}, // UTF-32
        {std::string("\0\0\xFE\xFF\0\0\0h", 8), none},
    };
    // clang-format on
    for (const auto &row : rows)
        for (size_t split = 0; split <= row.bytes.size(); split++)
            EXPECT_EQ(row.verdict, Judge(row.bytes, split))
                << testing::PrintToString(row.bytes) << " split at " << split;
}

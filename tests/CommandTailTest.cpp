// The command-tail rule and the file name made from the tail.
#include "copier/CommandTail.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

TEST(CommandTail, StartsAfterTheProgramNameAndItsBlanks)
{
    const struct {
        const char *commandLine;
        const char *tail;
    } rows[] = {
        {"KELBRANO notes.txt", "notes.txt"},
        {"\"C:\\Tools\\KELBRANO.EXE\"  notes.txt", "notes.txt"},
        {"\"C:\\Tools\\KELBRANO.EXE\"notes.txt", "notes.txt"},
        {"KELBRANO\tnotes.txt", "notes.txt"},
        {"KELBRANO \t \tnotes.txt", "notes.txt"},
        {"KELBRANO \"my notes.txt\"", "\"my notes.txt\""},
        {"KELBRANO notes.txt  ", "notes.txt  "},
        {"KELBRANO my notes.txt", "my notes.txt"},
        {"KELBRANO  \t ", ""},
        {"KELBRANO", ""},
        {"", ""},
        {"  \t KELBRANO notes.txt", "notes.txt"},
        {"\"C:\\My Tools\\KELBRANO.EXE\" a b", "a b"},
        {"\"C:\\My\tTools\\KELBRANO.EXE\" a", "Tools\\KELBRANO.EXE\" a"},
        {"\"KELBRANO", ""},
        {"\"\" notes.txt", "notes.txt"},
        {"KEL\"BRANO\" notes.txt", "notes.txt"},
        {"KELBRANO\"notes.txt", ""},
        {"KELBRANO a\"b\"c", "a\"b\"c"},
        {"KELBRANO\n notes.txt", "notes.txt"},
        // Only space and tab are blanks: other control characters start the name.
        {"KELBRANO \x01notes.txt", "\x01notes.txt"},
        {"\"C:\\Tools\\KELBRANO.EXE\"\rnotes.txt", "\rnotes.txt"},
    };
    // The program runs on the UTF-16 command line: only ASCII blanks and
    // quotes count there too; a fullwidth quote, an ideographic space and
    // each half of a surrogate pair are name characters.
    const struct {
        const wchar_t *commandLine;
        const wchar_t *tail;
    } wideRows[] = {
        {L"KELBRANO \u0142\u00f3d\u017a.txt", L"\u0142\u00f3d\u017a.txt"},
        {L"\"C:\\Tools\\KELBRANO.EXE\" \uff02my notes.txt\uff02", L"\uff02my notes.txt\uff02"},
        {L"KELBRANO\t\xd83d\xde00.txt ", L"\xd83d\xde00.txt "},
        {L"KELBRANO\u3000notes.txt", L""},
        {L"\uff02C:\\KELBRANO.EXE\uff02 notes.txt", L"notes.txt"},
    };
    auto check = [](const auto &table) {
        for (const auto &row : table) {
            auto tail = GetCommandTail(row.commandLine);
            EXPECT_STREQ(row.tail, tail) << "command line: " << row.commandLine;
            // The tail is the end of the command line itself, not a copy.
            size_t skipped = std::basic_string_view(row.commandLine).size() - std::basic_string_view(row.tail).size();
            EXPECT_EQ(row.commandLine + skipped, tail);
        }
    };
    check(rows);
    check(wideRows);
}

TEST(FileName, DropsOneEnclosingPairOfQuotesAndNothingElse)
{
    const struct {
        const char *tail;
        const char *name;
    } rows[] = {
        {"notes.txt", "notes.txt"},
        {"notes.txt  ", "notes.txt  "},
        {"\"my notes.txt\"", "my notes.txt"},
        {"\"my notes.txt\" \t ", "my notes.txt"},
        {"\"C:\\My Documents\\a b.txt\"", "C:\\My Documents\\a b.txt"},
        {"\"my notes.txt", "\"my notes.txt"},
        {"\"a\" \"b\"", "\"a\" \"b\""},
        {"\"a\"b", "\"a\"b"},
        {"\"my notes.txt\"\r", "\"my notes.txt\"\r"},
        {"a \"b\"", "a \"b\""},
        {"\"\"", ""},
        {"\"", "\""},
        {"", ""},
    };
    for (const auto &row : rows) {
        char name[64];
        name[0] = 'x';
        ASSERT_EQ(0, GetFileName(row.tail, name, sizeof name)) << row.tail;
        EXPECT_STREQ(row.name, name) << "tail: " << row.tail;
    }
    // Fullwidth quotes are name characters, never quotes.
    const struct {
        const wchar_t *tail;
        const wchar_t *name;
    } wideRows[] = {
        {L"\"\u0142\u00f3d\u017a.txt\"", L"\u0142\u00f3d\u017a.txt"},
        {L"\uff02my notes.txt\uff02", L"\uff02my notes.txt\uff02"},
        {L"\"\uff02a\uff02\"", L"\uff02a\uff02"},
    };
    for (const auto &row : wideRows) {
        wchar_t name[64];
        ASSERT_EQ(0, GetFileName(row.tail, name, 64)) << row.tail;
        EXPECT_STREQ(row.name, name) << "tail: " << row.tail;
    }
}

TEST(FileName, NeverWritesPastTheBufferNorCutsTheNameShort)
{
    char name[17];
    std::string fits(16, 'a');
    std::string tooLong(17, 'a');

    memset(name, '#', sizeof name);
    EXPECT_EQ(0, GetFileName(fits.c_str(), name, 17));
    EXPECT_EQ(fits, name);

    memset(name, '#', sizeof name);
    EXPECT_EQ(1, GetFileName(tooLong.c_str(), name, 16));
    EXPECT_EQ('#', name[0]);
    EXPECT_EQ('#', name[16]);

    // The quotes don't count: only what goes into the buffer must fit.
    std::string quoted = "\"" + fits + "\"  ";
    EXPECT_EQ(0, GetFileName(quoted.c_str(), name, 17));
    EXPECT_EQ(fits, name);
    quoted = "\"" + tooLong + "\"";
    EXPECT_EQ(1, GetFileName(quoted.c_str(), name, 17));

    // A wide buffer counts UTF-16 units: a surrogate pair takes two.
    std::wstring pairs;
    for (int i = 0; i < 8; i++)
        pairs += L"\xd83d\xde00";
    wchar_t wide[17];
    EXPECT_EQ(0, GetFileName(pairs.c_str(), wide, 17));
    EXPECT_EQ(pairs, wide);
    EXPECT_EQ(1, GetFileName(pairs.c_str(), wide, 16));
}

// The command-tail rule and the file name made from the tail.
#include "copier/CommandTail.h"

#include <gtest/gtest.h>

#include <string>

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
    };
    for (const auto &row : rows) {
        const char *tail = GetCommandTail(row.commandLine);
        EXPECT_STREQ(row.tail, tail) << "command line: " << row.commandLine;
        // The tail is the end of the command line itself, not a copy.
        EXPECT_EQ(row.commandLine + strlen(row.commandLine) - strlen(row.tail), tail);
    }
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
}

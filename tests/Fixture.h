// What each test of the program starts from: a fresh Win32 double and a
// temporary folder of its own for real files.
#ifndef KELBRANO_TESTS_FIXTURE_H
#define KELBRANO_TESTS_FIXTURE_H

#include "win32/Win32Double.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using Calls = std::vector<std::string>;

// A file name as the program takes it, in wide characters; the double's
// _wfopen turns it back into the UTF-8 of Linux file names.
inline std::wstring Wide(const std::string &name)
{
    std::wstring wide(name.size(), L'\0');
    size_t length = mbstowcs(&wide[0], name.c_str(), wide.size());
    EXPECT_NE(static_cast<size_t>(-1), length) << name;
    wide.resize(length == static_cast<size_t>(-1) ? 0 : length);
    return wide;
}

// The clipboard's CF_LOCALE block that names this locale.
inline std::string LocaleBlock(LCID locale)
{
    return std::string(reinterpret_cast<const char *>(&locale), sizeof locale);
}

class ProgramTest : public ::testing::Test {
protected:
    std::filesystem::path folder;

    void SetUp() override
    {
        ResetWin32Double();
        ASSERT_NE(nullptr, setlocale(LC_CTYPE, "C.UTF-8")); // names are UTF-8 both ways
        char pattern[] = "/tmp/kelbrano-test-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder = pattern;
    }

    void TearDown() override
    {
        ResetWin32Double();
        std::filesystem::remove_all(folder);
    }

    std::string WriteFile(const std::string &name, const std::string &bytes)
    {
        std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
};

#endif

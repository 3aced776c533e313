// What each test of the program starts from: a fresh Win32 double and a
// temporary folder of its own for real files.
#ifndef KELBRANO_TESTS_FIXTURE_H
#define KELBRANO_TESTS_FIXTURE_H

#include "win32/Win32Double.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using Calls = std::vector<std::string>;

class ProgramTest : public ::testing::Test {
protected:
    std::filesystem::path folder;

    void SetUp() override
    {
        ResetWin32Double();
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

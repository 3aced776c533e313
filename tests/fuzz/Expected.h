// What the command tail and the file name should be, worked out afresh for
// the fuzz targets: searches over the whole string instead of the program's
// walk character by character, so that the two can be compared.
#ifndef KELBRANO_FUZZ_EXPECTED_H
#define KELBRANO_FUZZ_EXPECTED_H

#include <cstdio>
#include <cstdlib>
#include <string_view>

// clang-format off
#define EXPECT_OR_ABORT(condition)                                                 \
    do {                                                                           \
        if (!(condition)) {                                                        \
            fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                               \
        }                                                                          \
    } while (0)
// clang-format on

constexpr std::string_view kBlanks = " \t";

// The program name is what follows the leading blanks: up to the next blank,
// or, when it opens with a double quote, up to and with the next double quote
// (a tab ends it sooner). The tail is what follows it and its blanks.
inline std::string_view ExpectedTail(std::string_view line)
{
    size_t name = line.find_first_not_of(kBlanks);
    size_t end = line.size();
    if (name != std::string_view::npos) {
        bool quoted = line[name] == '"';
        end = line.find_first_of(quoted ? "\"\t" : kBlanks, name + (quoted ? 1 : 0));
        if (end == std::string_view::npos)
            end = line.size();
        else if (line[end] == '"')
            end++;
    }
    size_t tail = line.find_first_not_of(kBlanks, end);
    return line.substr(tail == std::string_view::npos ? line.size() : tail);
}

// The tail itself, or what is inside the double quotes when they enclose it
// (no further quote inside, nothing after but blanks).
inline std::string_view ExpectedName(std::string_view tail)
{
    std::string_view trimmed = tail.substr(0, tail.find_last_not_of(kBlanks) + 1);
    if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"') {
        std::string_view inside = trimmed.substr(1, trimmed.size() - 2);
        if (inside.find('"') == std::string_view::npos)
            return inside;
    }
    return tail;
}

#endif

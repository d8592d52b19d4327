#pragma once

// A small test runner for the Win32 layer, which is built without Qt: named cases,
// checks that report the failing expression and go on, a "N passed, N failed" summary.

#include <cstdio>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace testing {

struct Case {
    std::string name;
    std::function<void()> body;
};

inline std::string printable(const std::string& text) {
    return text;
}
template <typename Number>
requires std::is_arithmetic_v<Number> std::string printable(Number number) {
    return std::to_string(number);
}

inline bool& caseFailed() {
    static bool failed = false;
    return failed;
}

inline void fail(const std::string& what, const char* file, int line) {
    caseFailed() = true;
    std::printf("    FAIL: %s (%s:%d)\n", what.c_str(), file, line);
    std::fflush(stdout);
}

// Prints why a case checks what it checks (a service missing on this system, ...).
inline void note(const std::string& text) {
    std::printf("    note: %s\n", text.c_str());
    std::fflush(stdout);
}

// Runs the cases and prints the summary; the result is the process's exit code.
inline int run(const std::string& group, const std::vector<Case>& cases) {
    int passed = 0, failed = 0;
    for (const Case& c : cases) {
        std::printf("%s: %s\n", group.c_str(), c.name.c_str());
        std::fflush(stdout);
        caseFailed() = false;
        c.body();
        ++(caseFailed() ? failed : passed);
    }
    std::printf("%s: %d passed, %d failed\n", group.c_str(), passed, failed);
    return failed == 0 ? 0 : 1;
}

} // namespace testing

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition))                                                                          \
            testing::fail(#condition, __FILE__, __LINE__);                                         \
    } while (false)

// Compares two values that toUtf8 or std::to_string can print.
#define CHECK_EQUAL(actual, expected)                                                              \
    do {                                                                                           \
        const auto& a_ = (actual);                                                                 \
        const auto& e_ = (expected);                                                               \
        if (!(a_ == e_))                                                                           \
            testing::fail(std::string(#actual " == " #expected ": got \"") +                       \
                              testing::printable(a_) + "\", expected \"" +                         \
                              testing::printable(e_) + "\"",                                       \
                          __FILE__, __LINE__);                                                     \
    } while (false)

// Minimal checking for the console test programs: each failed CHECK prints
// where and why; the program's exit code is the number of failures.
#pragma once
#include <cstdio>
#include <cmath>

extern int g_testFailures;
extern int g_testChecks;

// clang-format off
#define CHECK(cond) \
    do { ++g_testChecks; if (!(cond)) { ++g_testFailures; \
        std::printf("FAIL %s:%d: %s\n", __FILE__, __LINE__, #cond); } } while (0)

#define CHECK_EQ(a, b) \
    do { ++g_testChecks; auto va_ = (a); auto vb_ = (b); if (!(va_ == vb_)) { ++g_testFailures; \
        std::printf("FAIL %s:%d: %s == %s (%lld vs %lld)\n", __FILE__, __LINE__, #a, #b, \
                    (long long)va_, (long long)vb_); } } while (0)

#define CHECK_NEAR(a, b, eps) \
    do { ++g_testChecks; double va_ = (a), vb_ = (b); if (!(std::fabs(va_ - vb_) <= (eps))) { \
        ++g_testFailures; std::printf("FAIL %s:%d: %s ~ %s (%.9g vs %.9g)\n", __FILE__, __LINE__, \
                    #a, #b, va_, vb_); } } while (0)

#define CHECK_STR(a, b) \
    do { ++g_testChecks; std::string va_ = (a), vb_ = (b); if (va_ != vb_) { ++g_testFailures; \
        std::printf("FAIL %s:%d: %s == %s\n  got:      \"%s\"\n  expected: \"%s\"\n", __FILE__, \
                    __LINE__, #a, #b, va_.c_str(), vb_.c_str()); } } while (0)

// clang-format on

// Prints the summary and returns the exit code for main().
int TestSummary(const char* name);

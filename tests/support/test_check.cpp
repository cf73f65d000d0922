#include "test_check.h"

int g_testFailures = 0;
int g_testChecks = 0;

int TestSummary(const char* name)
{
    std::printf("%s: %d checks, %d failed\n", name, g_testChecks, g_testFailures);
    return g_testFailures == 0 ? 0 : 1;
}

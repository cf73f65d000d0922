// Device emulation of the compatibility module: the tick starts at the
// chosen uptime and wraps like the device's.
#include "platform/ce_compat.h"
#include "test_check.h"

// Started 300 ms before the 32-bit wrap.
static void TestTickStartsAtChosenUptimeAndWraps()
{
    const DWORD start = CeGetTickCount();
    CHECK(start - 4294967000u < 200);
    Sleep(600);
    const DWORD later = CeGetTickCount();
    CHECK(later < start);                                // wrapped
    CHECK(later - start >= 550 && later - start < 1500); // subtraction still measures
}

int main()
{
    SetEnvironmentVariableA("QOR_UPTIME_MS", "4294967000");
    CeInitDeviceRoot();
    TestTickStartsAtChosenUptimeAndWraps();
    return TestSummary("test_ce_compat");
}

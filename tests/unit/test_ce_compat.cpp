// Device emulation of the compatibility module: the tick origin knob and
// the device path root.
#include "platform/ce_compat.h"
#include "test_check.h"
#include <string>

static std::string Narrow(const wchar_t* text)
{
    std::string s;
    for (; *text; ++text) s += (char)*text;
    return s;
}

static std::string DevicePath(const wchar_t* path)
{
    wchar_t out[MAX_PATH];
    return Narrow(CeDevicePath(path, out, MAX_PATH));
}

// Started 300 ms before the 32-bit wrap, the tick wraps like the device's.
static void TestTickStartsAtChosenUptimeAndWraps()
{
    const DWORD start = CeGetTickCount();
    CHECK(start >= 4294967000u - 1);
    CHECK(start - 4294967000u < 200);
    Sleep(600);
    const DWORD later = CeGetTickCount();
    CHECK(later < start);                                // wrapped
    CHECK(later - start >= 550 && later - start < 1500); // subtraction still measures
}

static void TestDevicePathsResolveAgainstStartDirectory(const std::string& root)
{
    CHECK_STR(DevicePath(L"\\KVTINI\\Q61MK2CX.INI"), root + "\\KVTINI\\Q61MK2CX.INI");
    CHECK_STR(DevicePath(L"Storage\\KVTINI"), root + "\\Storage\\KVTINI");
    CHECK_STR(DevicePath(L"C:\\data\\x.p61"), "C:\\data\\x.p61");
    CHECK_STR(DevicePath(L"\\\\.\\COM12"), "\\\\.\\COM12");

    // The root stays where the program started.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp);
    CHECK_STR(DevicePath(L"\\KVTINI"), root + "\\KVTINI");
}

int main()
{
    SetEnvironmentVariableA("QOR_UPTIME_MS", "4294967000");
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::string root = Narrow(cwd);
    if (!root.empty() && root.back() == '\\') root.pop_back();
    CeInitDeviceRoot();

    TestTickStartsAtChosenUptimeAndWraps();
    TestDevicePathsResolveAgainstStartDirectory(root);
    return TestSummary("test_ce_compat");
}

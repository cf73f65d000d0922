// Device emulation of the compatibility module: the tick origin knob, the
// device path root and the event operations.
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
    CHECK(later < start);                              // wrapped
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

static void TestEventModify()
{
    HANDLE e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CHECK(CeEventModify(e, CE_EVENT_SET));
    CHECK_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    CHECK_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);  // manual reset: stays set
    CHECK(CeEventModify(e, CE_EVENT_RESET));
    CHECK_EQ(WaitForSingleObject(e, 0), (DWORD)WAIT_TIMEOUT);
    CHECK(!CeEventModify(e, 7));
    CloseHandle(e);
}

static void TestShellWindowsAbsentOnDesktop()
{
    CHECK(CeFindShellWindow(L"HHTaskBar", nullptr) == nullptr);
    CHECK(CeFindShellWindow(L"MS_SIPBUTTON", L"MS_SIPBUTTON") == nullptr);
    CHECK_EQ(CeCommandBarHeight(nullptr), 0);
    CHECK(CeSipPreference(nullptr, 0));
}

int main()
{
    SetEnvironmentVariableA("QOR_UPTIME_MS", "4294967000");
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::string root = Narrow(cwd);
    if (!root.empty() && root.back() == '\\')
        root.pop_back();
    CeInitDeviceRoot();

    TestTickStartsAtChosenUptimeAndWraps();
    TestDevicePathsResolveAgainstStartDirectory(root);
    TestEventModify();
    TestShellWindowsAbsentOnDesktop();
    return TestSummary("test_ce_compat");
}

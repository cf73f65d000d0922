// Desktop equivalents of the hand-held system calls declared in ce_compat.h.
#include "platform/ce_compat.h"
#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace {

enum { CE_TASKBAR_STRIP = 36 };

struct DeviceRecord {
    LONG Initialised;       // 0 not yet, 1 being set up, 2 ready
    DWORD TickOffset;       // added to GetTickCount (wraps)
    wchar_t Root[MAX_PATH]; // working directory at start, no trailing '\'
};
DeviceRecord Device;

// QOR_UPTIME_MS is the device-emulation knob that tools/qor-run sets with
// --uptime-ms: the emulated device's uptime at program start. Tests use it
// to start near the 20-day mark or just before the 32-bit wrap, whatever
// the host's own uptime is.
DWORD UptimeOffsetFromEnvironment(DWORD hostNow)
{
    char text[32];
    DWORD n = GetEnvironmentVariableA("QOR_UPTIME_MS", text, sizeof(text));
    if (n == 0 || n >= sizeof(text)) return 0;
    char* end = nullptr;
    unsigned long long uptime = std::strtoull(text, &end, 10);
    if (end == text) return 0;
    return (DWORD)uptime - hostNow;
}

void EnsureDevice()
{
    if (Device.Initialised == 2) return;
    if (InterlockedCompareExchange(&Device.Initialised, 1, 0) == 0) {
        Device.TickOffset = UptimeOffsetFromEnvironment(GetTickCount());
        DWORD n = GetCurrentDirectoryW(MAX_PATH, Device.Root);
        if (n == 0 || n >= MAX_PATH) Device.Root[0] = 0;
        size_t len = wcslen(Device.Root);
        if (len > 0 && Device.Root[len - 1] == L'\\') Device.Root[len - 1] = 0;
        InterlockedExchange(&Device.Initialised, 2);
        return;
    }
    while (Device.Initialised != 2) Sleep(0);
}

bool IsDriveAbsolute(const wchar_t* path) { return iswalpha(path[0]) && path[1] == L':'; }

} // namespace

void CeInitDeviceRoot() { EnsureDevice(); }

DWORD CeGetTickCount()
{
    EnsureDevice();
    return GetTickCount() + Device.TickOffset;
}

BOOL CeEventModify(HANDLE h, DWORD func)
{
    switch (func) {
    case CE_EVENT_SET: return SetEvent(h);
    case CE_EVENT_RESET: return ResetEvent(h);
    case CE_EVENT_PULSE: return PulseEvent(h);
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
}

void CeSystemIdleTimerReset() { SetThreadExecutionState(ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED); }

BOOL CeGetSystemPowerStatusEx2(CePowerStatus* status, DWORD, BOOL)
{
    SYSTEM_POWER_STATUS sps;
    if (!status) return FALSE;
    if (!GetSystemPowerStatus(&sps)) {
        status->ACLineStatus = 255;
        status->BatteryFlag = 255;
        status->BatteryLifePercent = 255;
        return FALSE;
    }
    status->ACLineStatus = sps.ACLineStatus;
    status->BatteryFlag = sps.BatteryFlag;
    status->BatteryLifePercent = sps.BatteryLifePercent;
    // A mains-powered desktop without a battery (or one that cannot tell)
    // reports 255; the hand-held's read-out would then show "255%". Such a
    // machine never runs out, so it reads as full.
    if (sps.BatteryLifePercent > 100 && ((sps.BatteryFlag & 128) || sps.BatteryFlag == 255))
        status->BatteryLifePercent = 100;
    return TRUE;
}

// The desktop has no soft input panel; raising or lowering it always works.
BOOL CeSipPreference(HWND, int) { return TRUE; }

int CeCommandBarHeight(HWND hCommandBar)
{
    RECT rc;
    if (!hCommandBar || !GetWindowRect(hCommandBar, &rc)) return 0;
    return rc.bottom - rc.top;
}

HWND CeFindShellWindow(const wchar_t* className, const wchar_t* title)
{
    return FindWindowW(className, title);
}

HWND CeCreateTopLevelWindow(DWORD exStyle, const wchar_t* className, const wchar_t* title,
                            DWORD style, int x, int y, int w, int h, HWND parent, HMENU menu,
                            HINSTANCE instance, void* param)
{
    // A desktop overlapped window gets a caption and a cascade size; a
    // hand-held top-level window has neither.
    if (!(style & WS_CHILD)) {
        if (!(style & (WS_POPUP | WS_CAPTION))) style |= WS_POPUP;
        if (x == (int)CW_USEDEFAULT && y == (int)CW_USEDEFAULT && w == (int)CW_USEDEFAULT &&
            h == (int)CW_USEDEFAULT) {
            RECT work;
            if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
                work.left = work.top = 0;
                work.right = GetSystemMetrics(SM_CXSCREEN);
                work.bottom = GetSystemMetrics(SM_CYSCREEN);
            }
            // The hand-held's work area ends above its task bar, and the
            // logger's window reaches down over that strip (36 px) while it
            // hides the task bar. A screen with no task bar at the bottom
            // gets the strip reserved, so that window and strip together
            // fill the screen instead of overflowing it.
            if (work.bottom >= GetSystemMetrics(SM_CYSCREEN)) work.bottom -= CE_TASKBAR_STRIP;
            x = work.left;
            y = work.top;
            w = work.right - work.left;
            h = work.bottom - work.top;
        }
    }
    return CreateWindowExW(exStyle, className, title, style, x, y, w, h, parent, menu, instance,
                           param);
}

HWND CeCreateChildWindow(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                         int x, int y, int w, int h, HWND parent, int id, HINSTANCE instance,
                         void* param)
{
    // Without it the menu buttons paint through a full-screen child shown
    // over them.
    return CreateWindowExW(exStyle, className, title, style | WS_CHILD | WS_CLIPSIBLINGS, x, y, w,
                           h, parent, (HMENU)(INT_PTR)id, instance, param);
}

HANDLE CeCreateCommFile(const wchar_t* deviceName, DWORD access, DWORD share, DWORD disposition,
                        DWORD flags)
{
    wchar_t name[32];
    const wchar_t* open = deviceName;
    // "COMn:" -> "\\.\COMn": the only form the desktop accepts above COM9.
    if (deviceName && _wcsnicmp(deviceName, L"COM", 3) == 0 && iswdigit(deviceName[3])) {
        const wchar_t* p = deviceName + 3;
        while (iswdigit(*p)) ++p;
        size_t digits = (size_t)(p - (deviceName + 3));
        if ((*p == 0 || (*p == L':' && p[1] == 0)) && digits <= 3) {
            swprintf(name, 32, L"\\\\.\\COM%.*ls", (int)digits, deviceName + 3);
            open = name;
        }
    }
    return CreateFileW(open, access, share, nullptr, disposition, flags, nullptr);
}

wchar_t* CeDevicePath(const wchar_t* path, wchar_t* out, size_t outChars)
{
    EnsureDevice();
    if (!out || outChars == 0) return out;
    // Drive paths and UNC / device paths ("\\.\COM1") are host paths already.
    if (IsDriveAbsolute(path) || (path[0] == L'\\' && path[1] == L'\\')) {
        swprintf(out, outChars, L"%ls", path);
        return out;
    }
    const wchar_t* rest = (path[0] == L'\\') ? path + 1 : path;
    swprintf(out, outChars, L"%ls\\%ls", Device.Root, rest);
    return out;
}

BOOL CeBringWindowToFront(HWND hwnd)
{
    // The hand-held's "handle | 1" also raises the owned windows; on the
    // desktop the last active popup (a dialog of the first copy) is the one
    // that must come forward.
    HWND popup = GetLastActivePopup(hwnd);
    return SetForegroundWindow(popup ? popup : hwnd);
}

void CeGlobalMemoryStatus(MEMORYSTATUS* status)
{
    GlobalMemoryStatus(status);
    char text[32];
    const DWORD n = GetEnvironmentVariableA("QOR_AVAIL_PHYS", text, sizeof text);
    if (n > 0 && n < sizeof text) status->dwAvailPhys = (SIZE_T)std::strtoull(text, nullptr, 10);
}

FARPROC CeLoadChooseColor()
{
    HMODULE lib = LoadLibraryW(L"COMMDLG.DLL");
    if (lib) {
        FARPROC proc = GetProcAddress(lib, "ChooseColor");
        if (proc) return proc;
    }
    lib = LoadLibraryW(L"comdlg32.dll");
    return lib ? GetProcAddress(lib, "ChooseColorW") : nullptr;
}

HFONT CeCreateFontIndirect(const LOGFONTW* lf)
{
    LOGFONTW desktop = *lf;
    if (lstrcmpiW(desktop.lfFaceName, L"MS Sans Serif") == 0) {
        // Tahoma is the hand-held's own system face and on every desktop
        // Windows; where it is missing (Wine) the font mapper picks the
        // nearest scalable sans serif.
        lstrcpynW(desktop.lfFaceName, L"Tahoma", LF_FACESIZE);
        desktop.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    }
    return CreateFontIndirectW(&desktop);
}

BOOL CeGetDefaultTextMetrics(HDC hdc, double densityScale, TEXTMETRICW* tm)
{
    // Nine points: an em of 12 pixels on a QVGA screen (tmHeight 14), 24 on
    // a VGA one (tmHeight 29). The logging screen's row height is this
    // height minus a constant, and just holds the 13-pixel (26) cells of
    // the read-out fonts.
    enum { SystemFontEm = 12 };
    LOGFONTW lf = {};
    lf.lfHeight = -(LONG)(SystemFontEm * densityScale);
    lf.lfWeight = FW_NORMAL;
    lstrcpyW(lf.lfFaceName, L"MS Sans Serif");
    HFONT font = CeCreateFontIndirect(&lf);
    HGDIOBJ old = SelectObject(hdc, font);
    BOOL ok = GetTextMetricsW(hdc, tm);
    SelectObject(hdc, old);
    DeleteObject(font);
    return ok;
}

void CeNameThread(const wchar_t* name)
{
    typedef HRESULT(WINAPI * SetDescription)(HANDLE, PCWSTR);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC proc = kernel ? GetProcAddress(kernel, "SetThreadDescription") : nullptr;
    if (proc) reinterpret_cast<SetDescription>(reinterpret_cast<void*>(proc))(GetCurrentThread(), name);
}

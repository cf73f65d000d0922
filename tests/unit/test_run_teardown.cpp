// The end of a run with GPS: the totals "$F" and "$P" are the data file's
// last records, also when the reader hands a sentence over while the
// teardown closes its port, and when that sentence would fill the position
// store. The reader's last sentence is made to arrive exactly then: it
// waits on a pipe whose other end is the "port" the teardown closes.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/logging_launch.h"
#include "app/window_classes.h"
#include "app/window_handles.h"
#include "gps/gps_fix.h"
#include "gps/gps_reader.h"
#include "gps/gps_state.h"
#include "gps/nmea_sentence.h"
#include "gps/sentence_feed.h"
#include "logging/log_run.h"
#include "logging/record_writers.h"
#include "logging/stop_logging.h"
#include "platform/ce_compat.h"
#include "serial/serial_ports.h"
#include "settings/settings.h"
#include "config_file_access.h"
#include "test_check.h"

namespace {

HHOOK BoxHook;
HANDLE PortFarEnd = INVALID_HANDLE_VALUE;

// "Exit Logging?" is answered Yes. The full-store stop's box means a
// sentence after the totals was taken; its program end would hide that.
LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* call = (const CWPRETSTRUCT*)lParam;
    char title[64] = "";
    if (code == HC_ACTION && call->message == WM_INITDIALOG)
        GetWindowTextA(call->hwnd, title, sizeof title);
    if (std::string(title) == "Confirm Exit") EndDialog(call->hwnd, IDYES);
    if (std::string(title) == "STOP") {
        std::printf("FAIL: a sentence after the totals filled the store\n");
        std::fflush(stdout);
        ExitProcess(1);
    }
    return CallNextHookEx(BoxHook, code, wParam, lParam);
}

std::string Gga(int second, double minutesEast)
{
    char body[128], text[160];
    std::snprintf(body, sizeof body, "$GPGGA,1200%02d.00,5000.0000,N,00%07.4f,E,1,08,0.9,100.0,M,47.0,M,,",
                  second, 900.0 + minutesEast);
    std::snprintf(text, sizeof text, "%s*%02X", body, NmeaChecksum(body));
    return text;
}

// Through the reader's own cutting and hand-over, as one read of the line.
void HandOver(const std::string& sentence, uint32_t tick)
{
    SentenceFeed feed = {};
    const std::string line = sentence + "\r\n";
    FeedSentenceRead(&feed, reinterpret_cast<const unsigned char*>(line.data()),
                     static_cast<int>(line.size()), tick, GpsSentence, DeliverSentence, nullptr);
}

// Blocks until the teardown closes the port, then hands a sentence over
// while the teardown waits for it.
DWORD WINAPI ReaderAtClose(LPVOID)
{
    char byte;
    DWORD got = 0;
    ReadFile(PortFarEnd, &byte, 1, &got, nullptr); // fails once the port is closed
    HandOver(Gga(2, 0.0002), LogRun.StartTick + 2000);
    return 0;
}

std::vector<std::string> Records(const wchar_t* path)
{
    std::vector<std::string> records;
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char r[64];
    DWORD got = 0;
    while (ReadFile(h, r, RecordLength, &got, nullptr) && got == (DWORD)RecordLength)
        records.emplace_back(r, got);
    CloseHandle(h);
    return records;
}

void StopWithSentencePending(const wchar_t* path, bool fillsStore)
{
    std::printf("%s\n", fillsStore ? "store-filling sentence pending" : "sentence pending");
    LogRun.hDataFile = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(LogRun.hDataFile != INVALID_HANDLE_VALUE);
    CHECK_EQ(PrepareMapAndPositionStore(), 0);
    const int32_t maxPositions = GpsLog.MaxPositions;
    LogRun.StartTick = CeGetTickCount();
    StampGpsTimes(LogRun.StartTick);
    LogRun.Stopped = 0;
    LogRun.Active = LogRun.Launched = 1;
    LogRun.FileState = FILE_RECORDING;

    HandOver(Gga(1, 0.0), LogRun.StartTick + 1000);
    CHECK_EQ(GpsLog.FixCount, 1);
    CHECK_EQ(GpsLog.PositionCount, 1);
    if (fillsStore) GpsLog.MaxPositions = GpsLog.PositionCount + 1;

    HANDLE farEnd, port;
    CHECK(CreatePipe(&farEnd, &port, nullptr, 0));
    PortFarEnd = farEnd;
    hGpsPort = port;
    hGpsThread = CreateThread(nullptr, 0, ReaderAtClose, nullptr, 0, nullptr);
    CHECK_EQ(StopLogging(0), 1);
    CloseHandle(farEnd);
    GpsLog.MaxPositions = maxPositions;

    // The sentence before the stop, then the totals; nothing behind them.
    std::string tags;
    for (const std::string& r : Records(path)) tags += r.substr(0, r[0] == 'X' ? 10 : 1) + "|";
    CHECK_STR(tags, "@|#|#|!|X$F      1|X$P      1|");
}

} // namespace

int main()
{
    CeInitDeviceRoot();
    App.hInstance = GetModuleHandleW(nullptr);
    CHECK_EQ(RegisterWindowClasses(App.hInstance), 0);
    HWND main = CreateWindowExW(0, L"EM61", L"QOR", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                                App.hInstance, nullptr);
    CHECK(main != nullptr && hLoggingWnd != nullptr);
    BoxHook = SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerBoxes, nullptr, GetCurrentThreadId());
    Settings.GpsEnabled = 1;
    Settings.InstrumentEnabled = 0;
    Settings.GpsType = 1;
    Settings.GpsDisplayIntervalMs = 500;
    InitGpsSentenceSet(Settings.GpsType);
    StopWithSentencePending(L"teardown-1.dat", false);
    StopWithSentencePending(L"teardown-2.dat", true);
    DeleteFileW(L"teardown-1.dat");
    DeleteFileW(L"teardown-2.dat");
    UnhookWindowsHookEx(BoxHook);
    DestroyWindow(main);
    App.KeepAliveRunning = 0;
    RemoveConfigFile();
    return TestSummary("test_run_teardown");
}

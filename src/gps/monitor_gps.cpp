// Monitor GPS: every line the receiver sends, listed as it comes, with
// Pause and Go, Send (a command line to the receiver) and Exit. Nothing is
// decoded or recorded.
//
// The reader is held and released by handshake rather than suspended: a
// thread suspended at an arbitrary point may hold a lock the window thread
// then waits for. Each line is handed over with SendMessageW, so the line
// buffer needs no lock; the window thread serves those sends whenever it
// waits for the reader.
#include "gps/monitor_gps.h"

#include <cstring>
#include <cwchar>

#include "app/app_state.h"
#include "app/dialog_template.h"
#include "app/message_table.h"
#include "app/shell.h"
#include "app/window_handles.h"
#include "gps/gps_state.h"
#include "platform/ce_compat.h"
#include "resource_ids.h"
#include "serial/delay_events.h"
#include "serial/serial_ports.h"
#include "settings/dialog_controls.h"
#include "settings/settings.h"

namespace {

enum { BUTTON_GO, BUTTON_PAUSE, BUTTON_SEND, BUTTON_EXIT, BUTTON_COUNT };
enum { NO_DATA_MS = 7000, LINE_WRAP = 180, HOLD_WAIT_MS = 1000, READER_END_MS = 1000 };
enum { MESSAGE_CHARS = 100 };
const DWORD IDLE_MAX_MS = 250;

struct MonitorRecord {
    wchar_t Line[256];
    int32_t Running; // listing (1) or paused (0)
    int32_t Focus;   // highlighted button
    wchar_t Message[MESSAGE_CHARS + 1];
    HWND List, Edit, Button[BUTTON_COUNT];
    volatile LONG HoldRequested;
    HANDLE Held;    // set by the reader once it holds
    HANDLE Release; // set to let it go on
};
MonitorRecord Monitor = {{}, 1,       BUTTON_PAUSE, L"$PASHS,NME,POS,A,ON", nullptr, nullptr, {},
                         0,  nullptr, nullptr};

// ---- the reader ----------------------------------------------------------

void Deliver(const char* text)
{
    size_t i = 0;
    for (; text[i] && i < 255; ++i) Monitor.Line[i] = (wchar_t)(unsigned char)text[i];
    Monitor.Line[i] = 0;
    SendMessageW(hMonitorGpsWnd, WM_QOR_MONITOR_LINE, 0, 0);
}

void HoldIfAsked()
{
    if (!Monitor.HoldRequested) return;
    SetEvent(Monitor.Held);
    WaitForSingleObject(Monitor.Release, INFINITE);
}

// Asks the reader to hold and waits until it does (or has ended).
void HoldReader()
{
    if (!hGpsThread || hGpsThread == INVALID_HANDLE_VALUE) return;
    ResetEvent(Monitor.Held);
    ResetEvent(Monitor.Release);
    Monitor.HoldRequested = 1;
    HANDLE either[2] = {Monitor.Held, hGpsThread};
    const DWORD start = CeGetTickCount();
    while (WaitServingSentMessages(either[0], 10) == WAIT_TIMEOUT &&
           WaitForSingleObject(either[1], 0) == WAIT_TIMEOUT &&
           CeGetTickCount() - start < (DWORD)HOLD_WAIT_MS) {
    }
}

void ReleaseReader()
{
    Monitor.HoldRequested = 0;
    SetEvent(Monitor.Release);
}

void PurgeGpsPort()
{
    if (hGpsPort == INVALID_HANDLE_VALUE) return;
    PurgeComm(hGpsPort, PURGE_TXCLEAR);
    PurgeComm(hGpsPort, PURGE_RXCLEAR);
}

// ---- the window ----------------------------------------------------------

int sx(double n) { return ScaleTrunc(n, Screen.ScaleX); }
int sy(double n) { return ScaleTrunc(n, Screen.ScaleY); }

void Highlight(int index)
{
    Monitor.Focus = index;
    for (int i = 0; i < BUTTON_COUNT; ++i)
        SendMessageW(Monitor.Button[i], BM_SETSTATE, i == index, 0);
}

// Go and Pause share one place: the one that applies is shown.
void ShowRunState(int running)
{
    Monitor.Running = running;
    ShowWindow(Monitor.Button[BUTTON_GO], running ? SW_HIDE : SW_SHOW);
    ShowWindow(Monitor.Button[BUTTON_PAUSE], running ? SW_SHOW : SW_HIDE);
    EnableWindow(Monitor.Button[BUTTON_GO], !running);
    EnableWindow(Monitor.Button[BUTTON_PAUSE], running);
    if (Monitor.Focus == (running ? BUTTON_GO : BUTTON_PAUSE))
        Highlight(running ? BUTTON_PAUSE : BUTTON_GO);
    else
        Highlight(Monitor.Focus);
}

LRESULT OnCreate(HWND hwnd, UINT, WPARAM, LPARAM)
{
    if (!Monitor.Held) Monitor.Held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!Monitor.Release) Monitor.Release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const int portrait = Screen.Portrait;
    const int margin = portrait ? 4 : 10, buttonWidth = portrait ? 76 : 98;
    const int listWidth = portrait ? 232 : 300, listHeight = portrait ? 256 : 170;
    const int bottom = Screen.Height;
    Monitor.List =
        CreateWindowExW(0, L"Listbox", L"", 0x50A00800, sx(margin), sy(margin), sx(listWidth),
                        sy(listHeight), hwnd, (HMENU)IDC_MONITOR_LIST, App.hInstance, nullptr);
    Monitor.Edit = CreateWindowExW(0, L"edit", Monitor.Message, 0x50800080, sx(margin),
                                   bottom - sy(54), sx(listWidth), sy(22), hwnd,
                                   (HMENU)IDC_MONITOR_MESSAGE, App.hInstance, nullptr);
    static const wchar_t* const texts[BUTTON_COUNT] = {L"&Go", L"&Pause", L"&Send", L"E&xit"};
    static const int slots[BUTTON_COUNT] = {0, 0, 1, 2};
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        const int gap = (sx(listWidth) - 3 * sx(buttonWidth)) / 2;
        Monitor.Button[i] = CreateWindowExW(
            0, L"BUTTON", texts[i], WS_CHILD | (i == BUTTON_GO ? 0 : WS_VISIBLE),
            sx(margin) + slots[i] * (sx(buttonWidth) + gap), bottom - sy(28), sx(buttonWidth),
            sy(24), hwnd, (HMENU)(INT_PTR)(IDC_MONITOR_GO + i), App.hInstance, nullptr);
        SendMessageW(Monitor.Button[i], WM_SETFONT, (WPARAM)Font.Normal, FALSE);
    }
    ShowRunState(1);
    return 0;
}

LRESULT OnLine(HWND hwnd, UINT, WPARAM, LPARAM)
{
    if (Settings.GpsEnabled != 1) return 0;
    const LRESULT at = SendMessageW(Monitor.List, LB_ADDSTRING, 0, (LPARAM)Monitor.Line);
    if (at != LB_ERR && at != LB_ERRSPACE) SendMessageW(Monitor.List, LB_SETTOPINDEX, at, 0);
    ReclaimKeyboardFocus(hwnd);
    return 0;
}

LRESULT OnPaint(HWND hwnd, UINT, WPARAM, LPARAM)
{
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    ReclaimKeyboardFocus(hwnd);
    return 0;
}

void Go()
{
    PurgeGpsPort();
    ReleaseReader();
    ShowRunState(1);
}

void Pause()
{
    HoldReader();
    PurgeGpsPort();
    ShowRunState(0);
}

INT_PTR TakeMessage(HWND dialog)
{
    GetDlgItemTextW(dialog, IDC_GPS_MESSAGE_TEXT, Monitor.Message, MESSAGE_CHARS + 1);
    return 1;
}

INT_PTR CALLBACK GpsMessageDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        SetDlgItemTextW(dialog, IDC_GPS_MESSAGE_TEXT, Monitor.Message);
        SendDlgItemMessageW(dialog, IDC_GPS_MESSAGE_TEXT, EM_LIMITTEXT, MESSAGE_CHARS, 0);
        return TRUE;
    }
    return msg == WM_COMMAND ? CloseOnOkOrCancel(dialog, wParam, TakeMessage) : FALSE;
}

// The command line and CR LF, with the reader held so that one thread
// uses the port. The port's writes are bounded: a receiver that sent an
// XOFF (or random bytes at a wrong baud rate) must not hang the window.
void Send(HWND hwnd)
{
    SetSipState(hwnd, 1);
    GetWindowTextW(Monitor.Edit, Monitor.Message, MESSAGE_CHARS + 1);
    if (RunDialogTemplate(hwnd, L"GETGPSMESSAGE", GpsMessageDlgProc, 0) == 1) {
        SetWindowTextW(Monitor.Edit, Monitor.Message);
        char bytes[MESSAGE_CHARS + 3];
        size_t n = 0;
        for (; Monitor.Message[n] && n < MESSAGE_CHARS; ++n) bytes[n] = (char)Monitor.Message[n];
        bytes[n++] = '\r';
        bytes[n++] = '\n';
        if (Monitor.Running) HoldReader();
        PurgeGpsPort();
        DWORD written = 0;
        const BOOL sent = hGpsPort != INVALID_HANDLE_VALUE &&
                          WriteFile(hGpsPort, bytes, (DWORD)n, &written, nullptr) && written == n;
        DelayMs(5);
        ReleaseReader();
        ShowRunState(1);
        if (!sent)
            MessageBoxW(hwnd,
                        L"The message could not be sent.\r\nCheck the receiver's port, baud rate "
                        L"and flow control.",
                        L"WARNING", MB_ICONEXCLAMATION);
    }
    SetSipState(hwnd, 0);
    SetFocus(hwnd);
}

// Closing the port ends the reader (held first, so it is not in a read).
void Exit(HWND hwnd)
{
    SendMessageW(Monitor.List, LB_RESETCONTENT, 0, 0);
    if (Settings.GpsEnabled == 1 && hGpsThread && hGpsThread != INVALID_HANDLE_VALUE) {
        if (Monitor.Running) HoldReader();
        PurgeGpsPort();
        HANDLE port = hGpsPort;
        hGpsPort = INVALID_HANDLE_VALUE;
        if (Settings.MonitorRts == 1) hGps2Port = INVALID_HANDLE_VALUE;
        if (Settings.MonitorRts == 2) hGps3Port = INVALID_HANDLE_VALUE;
        if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
        ReleaseReader();
        WaitServingSentMessages(hGpsThread, READER_END_MS);
        CloseHandle(hGpsThread);
        hGpsThread = INVALID_HANDLE_VALUE;
    }
    ShowRunState(1);
    ShowWindow(hwnd, SW_HIDE);
    SetFocus(App.hMainWnd);
    InvalidateRect(App.hMainWnd, nullptr, TRUE);
}

void Perform(HWND hwnd, int button)
{
    switch (button) {
    case BUTTON_GO: Go(); break;
    case BUTTON_PAUSE: Pause(); break;
    case BUTTON_SEND: Send(hwnd); break;
    case BUTTON_EXIT: Exit(hwnd); return;
    default: return;
    }
    SetFocus(hwnd);
}

LRESULT OnCommand(HWND hwnd, UINT, WPARAM wParam, LPARAM)
{
    const int id = LOWORD(wParam);
    if (id >= IDC_MONITOR_GO && id <= IDC_MONITOR_EXIT) Perform(hwnd, id - IDC_MONITOR_GO);
    return 0;
}

LRESULT OnChar(HWND hwnd, UINT, WPARAM wParam, LPARAM)
{
    switch (wParam) {
    case 'G':
    case 'g': Perform(hwnd, BUTTON_GO); break;
    case 'P':
    case 'p': Perform(hwnd, BUTTON_PAUSE); break;
    case 'S':
    case 's': Perform(hwnd, BUTTON_SEND); break;
    case 'X':
    case 'x': Perform(hwnd, BUTTON_EXIT); break;
    case '\t': {
        int next = (Monitor.Focus + 1) % BUTTON_COUNT;
        if (next == (Monitor.Running ? BUTTON_GO : BUTTON_PAUSE)) next = (next + 1) % BUTTON_COUNT;
        Highlight(next);
        break;
    }
    case '\r': Perform(hwnd, Monitor.Focus); break;
    default: break;
    }
    return 0;
}

LRESULT IgnoreSize(HWND, UINT, WPARAM, LPARAM) { return 0; }

const MessageEntry MonitorGpsTable[] = {
    {WM_CREATE, OnCreate},   {WM_SIZE, IgnoreSize}, {WM_PAINT, OnPaint},
    {WM_COMMAND, OnCommand}, {WM_CHAR, OnChar},     {WM_QOR_MONITOR_LINE, OnLine},
};

} // namespace

DEFINE_TABLE_WNDPROC(MonitorGpsWndProc, MonitorGpsTable)

DWORD WINAPI GpsMonitorReaderThread(LPVOID)
{
    GpsReaderRunning = 1;
    PurgeGpsPort();
    DWORD lastLine = CeGetTickCount();
    char line[LINE_WRAP + 8];
    int index = 0;
    DWORD idleMs = 0; // back-off while reads bring nothing
    while (hGpsPort != INVALID_HANDLE_VALUE) {
        HoldIfAsked();
        unsigned char byte;
        DWORD got = 0;
        int bytes = 0;
        while (!Monitor.HoldRequested && hGpsPort != INVALID_HANDLE_VALUE &&
               ReadFile(hGpsPort, &byte, 1, &got, nullptr) && got == 1) {
            ++bytes;
            if (byte == '\n') {
                if (index == 0) continue;
                line[index - 1] = 0;
                Deliver(line);
                index = 0;
                lastLine = CeGetTickCount();
            } else if (byte == '$') {
                line[0] = '$';
                index = 1;
            } else {
                if (index > LINE_WRAP) index = 0;
                line[index++] = (char)byte;
            }
        }
        // A port whose reads fail at once (a receiver unplugged, a pipe
        // closed) would make this loop spin: a burst that brought nothing
        // waits, longer each time up to a quarter second, until bytes come.
        idleMs = bytes ? 0 : idleMs ? (idleMs * 2 > IDLE_MAX_MS ? IDLE_MAX_MS : idleMs * 2) : 5;
        if (idleMs && !Monitor.HoldRequested) Sleep(idleMs);
        if (CeGetTickCount() - lastLine > (DWORD)NO_DATA_MS) {
            Deliver("NO DATA");
            lastLine = CeGetTickCount();
        }
    }
    GpsReaderRunning = 0;
    return 0;
}

// The instrument port driven by the program's own functions and nothing else
// of a run: opener, probe, the reader the answer calls for and the logging
// window's watchdog (timer IDT_WATCHDOG) in a hidden stand-in window. Writes
// "key=value" lines for tests/e2e/test_serial_link.py. Options: --out FILE
// --port N --reader none|auto --seconds S --frames FILE, or --opener
// instrument|gps --format BAUD,BITS,PARITY,STOP (setting indexes).
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "instrument/acq.h"
#include "app/window_handles.h"
#include "instrument/em61mk2_decode.h"
#include "instrument/em61mk2_readers.h"
#include "logging/connection_watchdog.h"
#include "logging/watchdog_timer.h"
#include "logging/log_run.h"
#include "platform/ce_compat.h"
#include "serial/serial_ports.h"
#include "serial/probe.h"
#include "serial/delay_events.h"
#include "settings/settings.h"

namespace {

enum { IDT_DRIVER_END = 2 };

struct DriverOptions {
    int Port = 5;
    std::string Reader = "none";
    double Seconds = 5;
    std::string Out = "serial_probe_driver.txt", Frames, Opener;
    int Format[4] = {1, 1, 0, 0};
};

DriverOptions Opt;
long Delivered = 0;
FILE* FrameLog = nullptr;

void ParseOptions()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; i + 1 < argc; i += 2) {
        char k[64], v[512];
        std::wcstombs(k, argv[i], sizeof k);
        std::wcstombs(v, argv[i + 1], sizeof v);
        const std::string key = k;
        if (key == "--port") Opt.Port = std::atoi(v);
        if (key == "--reader") Opt.Reader = v;
        if (key == "--seconds") Opt.Seconds = std::atof(v);
        if (key == "--out") Opt.Out = v;
        if (key == "--frames") Opt.Frames = v;
        if (key == "--opener") Opt.Opener = v;
        if (key == "--format")
            std::sscanf(v, "%d,%d,%d,%d", &Opt.Format[0], &Opt.Format[1], &Opt.Format[2],
                        &Opt.Format[3]);
    }
    LocalFree(argv);
}

// What the logging window's reading handler does with a frame, minus drawing.
void OnReading()
{
    ++Delivered;
    if (FrameLog) {
        for (int i = 0; i < 14; ++i) std::fprintf(FrameLog, "%02x", InstrumentFrame[i]);
        std::fputc('\n', FrameLog);
    }
    if (Acq.Phase == 0) {
        NormaliseStep();
    } else {
        float ch[4], reference;
        int32_t battery, type;
        int16_t range;
        DecodeEm61Mk2Frame(&ch[0], &ch[1], &ch[2], &ch[3], &reference, &battery, &range, &type);
    }
    InstrumentFrame[0] = 0;
}

LRESULT CALLBACK DriverWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_QOR_EM61MK2_READING) {
        OnReading();
        return 0;
    }
    if (msg == WM_TIMER && wParam == IDT_WATCHDOG)
        return HandleConnectionWatchdog(hwnd, msg, wParam, lParam);
    if (msg == WM_TIMER && wParam == IDT_DRIVER_END) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Waits for a thread while still serving the SendMessageW it may be in.
DWORD WaitPumping(HANDLE thread, DWORD timeoutMs)
{
    const DWORD start = CeGetTickCount();
    for (;;) {
        const LONG left = static_cast<LONG>(timeoutMs - (CeGetTickCount() - start));
        if (left <= 0) return WAIT_TIMEOUT;
        DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return r;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

// Opens one port with its opener and reports the line settings it left.
void CheckOpener(FILE* out)
{
    struct Opener {
        const char* Name;
        int (*Open)();
        HANDLE* Handle;
        int32_t* Port;
    } openers[] = {
        {"instrument", OpenInstrumentPort, &hInstrumentPort, &Settings.InstrumentPort},
        {"gps", OpenGpsPort, &hGpsPort, &Settings.GpsPort},
    };
    Settings.GpsBaudRate = Opt.Format[0];
    Settings.GpsDataBits = Opt.Format[1];
    Settings.GpsParity = Opt.Format[2];
    Settings.GpsStopBits = Opt.Format[3];
    for (const Opener& o : openers) {
        if (Opt.Opener != o.Name) continue;
        *o.Port = Opt.Port - 1;
        const int opened = o.Open();
        std::fprintf(out, "open=%d\nhandle_closed=%d\n", opened, *o.Handle == INVALID_HANDLE_VALUE);
        if (!opened) return;
        DCB dcb = {};
        dcb.DCBlength = sizeof dcb;
        COMMTIMEOUTS t = {};
        GetCommState(*o.Handle, &dcb);
        GetCommTimeouts(*o.Handle, &t);
        std::fprintf(out, "baud=%lu\nstop=%d\noutx=%d\ninx=%d\nctsflow=%d\ndsrflow=%d\n",
                     dcb.BaudRate, dcb.StopBits, dcb.fOutX, dcb.fInX, dcb.fOutxCtsFlow,
                     dcb.fOutxDsrFlow);
        std::fprintf(out, "timeouts=%lu,%lu,%lu,%lu,%lu\n", t.ReadIntervalTimeout,
                     t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                     t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant);
        CloseHandle(*o.Handle);
        *o.Handle = INVALID_HANDLE_VALUE;
    }
}

// The readers as a launch starts them and as the teardown ends them.
void RunReader(FILE* out)
{
    if (!Opt.Frames.empty()) FrameLog = std::fopen(Opt.Frames.c_str(), "w");
    ResetAcquisitionForRun();
    if (Acq.PolledMode == 1) {
        CreateRequestEvent();
        Acq.FrameReceived = 1;
    }
    Acq.LastDataTick = CeGetTickCount();
    const LONG firstConnection = InstrumentConnection;
    hInstrumentThread = StartInstrumentReader();
    StartWatchdogTimer(0);
    SetTimer(hLoggingWnd, IDT_DRIVER_END, static_cast<UINT>(Opt.Seconds * 1000), nullptr);
    const DWORD runStart = CeGetTickCount();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    StopWatchdogTimer();
    const DWORD runMs = CeGetTickCount() - runStart;

    const DWORD stopStart = CeGetTickCount();
    HANDLE port = hInstrumentPort;
    hInstrumentPort = INVALID_HANDLE_VALUE;
    CloseHandle(port);
    if (Acq.PolledMode == 1) EventSet(static_cast<HANDLE>(Acq.hEvent));
    const DWORD ended = WaitPumping(hInstrumentThread, 5000);
    std::fprintf(out, "reader=%s\nreader_ended=%d\nreader_end_ms=%lu\nrun_ms=%lu\nframes=%ld\n",
                 Acq.PolledMode == 1 ? "polled" : "stream", ended == WAIT_OBJECT_0,
                 CeGetTickCount() - stopStart, runMs, Delivered);
    std::fprintf(out, "reconnects=%ld\nphase=%d\nref_average=%.3f\n",
                 InstrumentConnection - firstConnection, static_cast<int>(Acq.Phase),
                 Acq.RefAverage);
    if (FrameLog) std::fclose(FrameLog);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    ParseOptions();
    FILE* out = std::fopen(Opt.Out.c_str(), "w");
    if (!out) return 2;
    Settings.InstrumentPort = Opt.Port - 1;
    Settings.InstrumentEnabled = 1;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DriverWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"SerialProbeDriver";
    RegisterClassW(&wc);
    hLoggingWnd = CreateWindowExW(0, L"SerialProbeDriver", L"Logging", WS_OVERLAPPED, 0, 0, 10, 10,
                                  nullptr, nullptr, instance, nullptr);
    if (!Opt.Opener.empty()) {
        CheckOpener(out);
    } else {
        const int opened = OpenInstrumentPort();
        Acq.PolledMode = -1; // shows whether the probe wrote it
        const DWORD probeStart = CeGetTickCount();
        const int answered = opened && ProbeInstrument('H', 'X', 0);
        std::fprintf(out, "open=%d\nprobe=%d\nprobe_ms=%lu\npolled_mode=%d\n", opened, answered,
                     CeGetTickCount() - probeStart, static_cast<int>(Acq.PolledMode));
        std::fflush(out);
        if (answered && Opt.Reader == "auto") {
            RunReader(out);
        } else if (hInstrumentPort != INVALID_HANDLE_VALUE) {
            CloseHandle(hInstrumentPort);
            hInstrumentPort = INVALID_HANDLE_VALUE;
        }
    }
    std::fprintf(out, "done=1\n");
    std::fclose(out);
    return 0;
}

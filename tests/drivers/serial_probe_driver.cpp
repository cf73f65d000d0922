// Drives the instrument port the way a logging run does, without the rest
// of the program: open the port, probe, run one reader thread into a hidden
// window that stands in for the logging window, then write what happened
// as "key=value" lines. Run by tests/e2e/test_serial_link.py.
//
//   serial_probe_driver --out FILE [--port N] [--first C] [--second C]
//                       [--reader none|auto|polled|stream] [--seconds S]
//                       [--interval MS] [--divisor N] [--frames FILE] [--reconnect 1]
//   serial_probe_driver --out FILE --opener instrument|gps|gps2|gps3|output
//                       [--port N] [--format BAUD,BITS,PARITY,STOP]   (setting indexes)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "instrument/acq.h"
#include "instrument/em61mk2_decode.h"
#include "instrument/em61mk2_readers.h"
#include "logging/log_run.h"
#include "platform/ce_compat.h"
#include "serial/ports.h"
#include "settings/settings.h"

namespace {

struct DriverOptions {
    int Port = 5;
    char First = 'H', Second = 'X';
    std::string Reader = "none";
    double Seconds = 5;
    int IntervalMs = 70;
    int Divisor = 1;
    int Reconnect = 0;      // stream reader: reconnect after 1 s without data
    std::string Out, Frames;
    std::string Opener;
    int Format[4] = {1, 1, 0, 0};
};

struct DriverState {
    long Delivered = 0;
    long Requests = 0;
    long PollTimeouts = 0;
    long Reconnects = 0;
    long ReconnectProbesAnswered = 0;
    HANDLE Reader = nullptr;
    std::vector<HANDLE> OldReaders;
    int LastPercent = 0;
    float Ch[4] = {0, 0, 0, 0};
    float Reference = 0;
    int32_t Battery = 0, Type = 0;
    int16_t Range = 0;
    unsigned char LastFrame[17] = {};
    FILE* FrameLog = nullptr;
};

DriverOptions Opt;
DriverState Run;

std::vector<std::string> CommandLineWords() {
    std::vector<std::string> words;
    char line[4096];
    std::wcstombs(line, GetCommandLineW(), sizeof line - 1);
    line[sizeof line - 1] = 0;
    std::string word;
    bool quoted = false;
    for (const char* p = line;; ++p) {
        if (*p == '"') { quoted = !quoted; continue; }
        if (*p == 0 || (!quoted && (*p == ' ' || *p == '\t'))) {
            if (!word.empty()) words.push_back(word);
            word.clear();
            if (*p == 0) break;
        } else {
            word += *p;
        }
    }
    return words;
}

void ParseOptions() {
    std::vector<std::string> w = CommandLineWords();
    for (size_t i = 1; i + 1 < w.size(); i += 2) {
        const std::string& k = w[i];
        const std::string& v = w[i + 1];
        if (k == "--port") Opt.Port = std::atoi(v.c_str());
        else if (k == "--first") Opt.First = v[0];
        else if (k == "--second") Opt.Second = v[0];
        else if (k == "--reader") Opt.Reader = v;
        else if (k == "--seconds") Opt.Seconds = std::atof(v.c_str());
        else if (k == "--interval") Opt.IntervalMs = std::atoi(v.c_str());
        else if (k == "--divisor") Opt.Divisor = std::atoi(v.c_str());
        else if (k == "--out") Opt.Out = v;
        else if (k == "--frames") Opt.Frames = v;
        else if (k == "--reconnect") Opt.Reconnect = std::atoi(v.c_str());
        else if (k == "--opener") Opt.Opener = v;
        else if (k == "--format")
            std::sscanf(v.c_str(), "%d,%d,%d,%d", &Opt.Format[0], &Opt.Format[1], &Opt.Format[2],
                        &Opt.Format[3]);
    }
}

// What the logging window's 0x40A handler does with a frame, minus drawing.
LRESULT OnReading(HWND, WPARAM, LPARAM) {
    ++Run.Delivered;
    if (Run.FrameLog) {
        for (int i = 0; i < 14; ++i) std::fprintf(Run.FrameLog, "%02x", InstrumentFrame[i]);
        std::fputc('\n', Run.FrameLog);
    }
    if (Acq.Phase == 0) {
        Run.LastPercent = NormaliseStep();
    } else {
        DecodeEm61Mk2Frame(&Run.Ch[0], &Run.Ch[1], &Run.Ch[2], &Run.Ch[3], &Run.Reference,
                           &Run.Battery, &Run.Range, &Run.Type);
        std::memcpy(Run.LastFrame, InstrumentFrame, sizeof Run.LastFrame);
    }
    InstrumentFrame[0] = 0;
    return 0;
}

// Timer 1: the polled request exactly as the logging window sends it, with
// a plain re-request instead of the reconnect after a time-out.
void OnPollTimer() {
    const DWORD now = CeGetTickCount();
    if (Acq.FrameReceived == 1) {
        PurgeComm(hInstrumentPort, PURGE_TXCLEAR);
        PurgeComm(hInstrumentPort, PURGE_RXCLEAR);
        TransmitCommChar(hInstrumentPort, 'A');
        EventSet(static_cast<HANDLE>(Acq.hEvent));
        Acq.FrameReceived = 0;
        Acq.LastDataTick = now;
        ++Run.Requests;
    } else if (static_cast<LONG>(now - Acq.LastDataTick) > 500) {
        EventReset(static_cast<HANDLE>(Acq.hEvent));
        ++Run.PollTimeouts;
        Acq.FrameReceived = 1;
    }
}

// Timer 3: the streamed-mode watchdog and its reconnect, in the logging
// window's order; the old reader's handle is kept to see whether it ended.
void OnStreamWatchdog() {
    if (static_cast<LONG>(CeGetTickCount() - Acq.LastDataTick) <= 1000) return;
    ++Run.Reconnects;
    HANDLE port = hInstrumentPort;
    hInstrumentPort = INVALID_HANDLE_VALUE;
    CloseHandle(port);
    Run.OldReaders.push_back(Run.Reader);
    DelayMs(200);
    OpenInstrumentPort();
    Run.ReconnectProbesAnswered += ProbeInstrument(Acq.RateChar, 'X', 0);
    Run.Reader = CreateThread(nullptr, 0, Em61Mk2StreamReader, nullptr, 0, nullptr);
    Acq.LastDataTick = CeGetTickCount();
}

LRESULT CALLBACK DriverWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_QOR_EM61MK2_READING: return OnReading(hwnd, wParam, lParam);
    case WM_TIMER:
        if (wParam == 1) OnPollTimer();
        else if (wParam == 3) OnStreamWatchdog();
        else PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateStandInWindow(HINSTANCE instance) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DriverWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"SerialProbeDriver";
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"SerialProbeDriver", L"Logging", WS_OVERLAPPED, 0, 0, 10, 10,
                           nullptr, nullptr, instance, nullptr);
}

void PumpUntilQuit() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

// Waits for a thread while still serving the SendMessageW it may be in.
DWORD WaitPumping(HANDLE thread, DWORD timeoutMs) {
    const DWORD start = CeGetTickCount();
    for (;;) {
        DWORD left = timeoutMs - (CeGetTickCount() - start);
        if (static_cast<LONG>(left) <= 0) return WAIT_TIMEOUT;
        DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return r;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime; k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime; u.HighPart = user.dwHighDateTime;
    return (k.QuadPart + u.QuadPart) / 10000.0;
}

// Opens one port with its opener and reports the line settings it left.
void CheckOpener(FILE* out) {
    struct Opener { const char* Name; int (*Open)(); HANDLE* Handle; int32_t* Port; } openers[] = {
        {"instrument", OpenInstrumentPort, &hInstrumentPort, &Settings.InstrumentPort},
        {"gps", OpenGpsPort, &hGpsPort, &Settings.GpsPort},
        {"gps2", OpenGps2Port, &hGps2Port, &Settings.Gps2Port},
        {"gps3", OpenGps3Port, &hGps3Port, &Settings.Gps3Port},
        {"output", OpenOutputPort, &hOutputPort, &Settings.OutputPort},
    };
    Settings.GpsBaudRate = Settings.OutputBaudRate = Opt.Format[0];
    Settings.GpsDataBits = Settings.OutputDataBits = Opt.Format[1];
    Settings.GpsParity = Settings.OutputParity = Opt.Format[2];
    Settings.GpsStopBits = Settings.OutputStopBits = Opt.Format[3];
    for (const Opener& o : openers) {
        if (Opt.Opener != o.Name) continue;
        *o.Port = Opt.Port - 1;
        const int opened = o.Open();
        std::fprintf(out, "open=%d\n", opened);
        if (!opened) {
            std::fprintf(out, "handle_closed=%d\n", *o.Handle == INVALID_HANDLE_VALUE);
            return;
        }
        DCB dcb = {};
        dcb.DCBlength = sizeof dcb;
        COMMTIMEOUTS t = {};
        GetCommState(*o.Handle, &dcb);
        GetCommTimeouts(*o.Handle, &t);
        std::fprintf(out, "baud=%lu\nbits=%d\nparity=%d\nstop=%d\noutx=%d\ninx=%d\n"
                          "ctsflow=%d\ndsrflow=%d\n",
                     dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits, dcb.fOutX, dcb.fInX,
                     dcb.fOutxCtsFlow, dcb.fOutxDsrFlow);
        std::fprintf(out, "timeouts=%lu,%lu,%lu,%lu,%lu\n", t.ReadIntervalTimeout,
                     t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                     t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant);
        CloseHandle(*o.Handle);
        *o.Handle = INVALID_HANDLE_VALUE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ParseOptions();
    FILE* out = std::fopen(Opt.Out.empty() ? "serial_probe_driver.txt" : Opt.Out.c_str(), "w");
    if (!out) return 2;

    Settings.InstrumentPort = Opt.Port - 1;
    Settings.Em61Mk2Type = 0;
    Settings.SensorSize = 0;
    hLoggingWnd = CreateStandInWindow(instance);
    std::fprintf(out, "window=%d\n", hLoggingWnd != nullptr);
    if (!hLoggingWnd) {   // no display: nothing could receive the frames
        std::fclose(out);
        return 1;
    }

    if (!Opt.Opener.empty()) {
        CheckOpener(out);
        std::fprintf(out, "done=1\n");
        std::fclose(out);
        return 0;
    }

    const DWORD openStart = CeGetTickCount();
    const int opened = OpenInstrumentPort();
    std::fprintf(out, "open=%d\nopen_ms=%lu\n", opened, CeGetTickCount() - openStart);
    if (!opened) {
        std::fclose(out);
        return 0;
    }

    Acq.PolledMode = -1;   // shows whether the probe wrote it
    const DWORD probeStart = CeGetTickCount();
    const int answered = ProbeInstrument(Opt.First, Opt.Second, 0);
    std::fprintf(out, "probe=%d\nprobe_ms=%lu\npolled_mode=%d\n", answered,
                 CeGetTickCount() - probeStart, static_cast<int>(Acq.PolledMode));
    std::fflush(out);

    std::string reader = Opt.Reader;
    if (reader == "auto") reader = !answered ? "none" : Acq.PolledMode == 1 ? "polled" : "stream";
    if (reader == "polled" || reader == "stream") {
        if (!Opt.Frames.empty()) Run.FrameLog = std::fopen(Opt.Frames.c_str(), "w");
        const bool polled = reader == "polled";
        Acq.Phase = 0;
        Acq.RefIndex = 0;
        Acq.FrameDivisor = Opt.Divisor;
        Acq.FrameCounter = 0;
        Acq.LastDataTick = CeGetTickCount();
        if (polled) {
            Acq.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            Acq.FrameReceived = 1;
            SetTimer(hLoggingWnd, 1, Opt.IntervalMs, nullptr);
        }
        const double cpuStart = ProcessCpuMs();
        const DWORD runStart = CeGetTickCount();
        Run.Reader = CreateThread(nullptr, 0, polled ? Em61Mk2PolledReader : Em61Mk2StreamReader,
                                  nullptr, 0, nullptr);
        SetTimer(hLoggingWnd, 2, static_cast<UINT>(Opt.Seconds * 1000), nullptr);
        if (!polled && Opt.Reconnect) SetTimer(hLoggingWnd, 3, 1000, nullptr);
        PumpUntilQuit();
        KillTimer(hLoggingWnd, 1);
        KillTimer(hLoggingWnd, 2);
        KillTimer(hLoggingWnd, 3);
        int oldRunning = 0;
        for (HANDLE h : Run.OldReaders) {
            oldRunning += WaitForSingleObject(h, 0) != WAIT_OBJECT_0;
            CloseHandle(h);
        }
        std::fprintf(out, "reconnects=%ld\nreconnect_probes_answered=%ld\nold_readers_running=%d\n",
                     Run.Reconnects, Run.ReconnectProbesAnswered, oldRunning);
        HANDLE thread = Run.Reader;
        const DWORD runMs = CeGetTickCount() - runStart;
        const double cpuMs = ProcessCpuMs() - cpuStart;

        // Teardown as at the end of a run: close the port, wake the reader.
        const DWORD stopStart = CeGetTickCount();
        HANDLE port = hInstrumentPort;
        hInstrumentPort = INVALID_HANDLE_VALUE;
        CloseHandle(port);
        if (polled) EventSet(static_cast<HANDLE>(Acq.hEvent));
        const DWORD ended = WaitPumping(thread, 5000);
        std::fprintf(out, "reader=%s\nreader_ended=%d\nreader_end_ms=%lu\n", reader.c_str(),
                     ended == WAIT_OBJECT_0, CeGetTickCount() - stopStart);
        CloseHandle(thread);

        std::fprintf(out, "run_ms=%lu\ncpu_ms=%.0f\nframes=%ld\nrequests=%ld\npoll_timeouts=%ld\n",
                     runMs, cpuMs, Run.Delivered, Run.Requests, Run.PollTimeouts);
        std::fprintf(out, "phase=%d\nnormalised_percent=%d\n", static_cast<int>(Acq.Phase),
                     Run.LastPercent);
        std::fprintf(out, "letter=%c\nch1=%.3f\nch2=%.3f\nch3=%.3f\nch4=%.3f\n",
                     Run.Type ? static_cast<char>(Run.Type) : '-', Run.Ch[0], Run.Ch[1], Run.Ch[2],
                     Run.Ch[3]);
        std::fprintf(out, "reference=%.3f\nref_average=%.3f\nbattery=%.2f\n", Run.Reference,
                     Acq.RefAverage, Run.Battery / 6.66757);
        std::fprintf(out, "last_frame=");
        for (unsigned char b : Run.LastFrame) std::fprintf(out, "%02x", b);
        std::fprintf(out, "\n");
        if (Run.FrameLog) std::fclose(Run.FrameLog);
    } else if (hInstrumentPort != INVALID_HANDLE_VALUE) {
        CloseHandle(hInstrumentPort);
        hInstrumentPort = INVALID_HANDLE_VALUE;
    }
    std::fprintf(out, "done=1\n");
    std::fclose(out);
    return 0;
}

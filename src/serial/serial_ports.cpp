#include "serial/serial_ports.h"

#include <cwchar>

#include "app/window_handles.h"
#include "platform/ce_compat.h"
#include "settings/settings.h"

HANDLE hInstrumentPort = INVALID_HANDLE_VALUE;
HANDLE hGpsPort = INVALID_HANDLE_VALUE;
HANDLE hGps2Port = INVALID_HANDLE_VALUE;
HANDLE hGps3Port = INVALID_HANDLE_VALUE;
HANDLE hOutputPort = INVALID_HANDLE_VALUE;
HANDLE hInstrumentThread = INVALID_HANDLE_VALUE;
HANDLE hWheelReaderThread = INVALID_HANDLE_VALUE;
volatile LONG InstrumentConnection = 0;

namespace {

// Setting index -> DCB value; an index outside a column leaves the field
// as the driver reported it.
const DWORD kBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};
const BYTE kParities[] = {NOPARITY, EVENPARITY, ODDPARITY};
const BYTE kDataBits[] = {7, 8};
const BYTE kStopBits[] = {ONESTOPBIT, TWOSTOPBITS};

template <typename T, size_t N>
void PickByIndex(const T (&table)[N], int32_t index, T* field)
{
    if (index >= 0 && static_cast<size_t>(index) < N) *field = table[index];
}

struct LineFormat {
    int32_t BaudRate, Parity, DataBits, StopBits;
};

struct PortRecipe {
    HANDLE* Handle;
    const int32_t* PortIndex;
    COMMTIMEOUTS Timeouts;
    void (*Configure)(DCB* dcb);
    DWORD InQueue, OutQueue;    // 0: SetupComm not called
    const wchar_t* FailureText; // nullptr: the caller reports the failure
};

void ApplyLineFormat(DCB* dcb, const LineFormat& f)
{
    PickByIndex(kBaudRates, f.BaudRate, &dcb->BaudRate);
    PickByIndex(kParities, f.Parity, &dcb->Parity);
    PickByIndex(kDataBits, f.DataBits, &dcb->ByteSize);
    PickByIndex(kStopBits, f.StopBits, &dcb->StopBits);
}

// The EM61-MK2 always talks 9600 8N1 and needs DTR to power its interface.
void ConfigureInstrument(DCB* dcb)
{
    dcb->BaudRate = 9600;
    dcb->fBinary = 1;
    dcb->ByteSize = 8;
    dcb->Parity = NOPARITY;
    dcb->StopBits = ONESTOPBIT;
    dcb->fOutxCtsFlow = 0;
    dcb->fOutxDsrFlow = 0;
    dcb->fDtrControl = DTR_CONTROL_ENABLE;
    dcb->fRtsControl = RTS_CONTROL_DISABLE;
    dcb->fOutX = 0;
    dcb->fInX = 0;
}

// GPS inputs share one line format; DTR and RTS stay as the driver has them.
void ConfigureGps(DCB* dcb)
{
    ApplyLineFormat(dcb, {Settings.GpsBaudRate, Settings.GpsParity, Settings.GpsDataBits,
                          Settings.GpsStopBits});
    dcb->fOutxCtsFlow = 0;
    dcb->fOutxDsrFlow = 0;
    dcb->fOutX = 1;
    dcb->fInX = 1;
}

void ConfigureOutput(DCB* dcb)
{
    ApplyLineFormat(dcb, {Settings.OutputBaudRate, Settings.OutputParity, Settings.OutputDataBits,
                          Settings.OutputStopBits});
    dcb->fOutxCtsFlow = 0;
    dcb->fOutxDsrFlow = 0;
    dcb->fDtrControl = DTR_CONTROL_DISABLE;
    dcb->fRtsControl = RTS_CONTROL_DISABLE;
    dcb->fOutX = 1;
    dcb->fInX = 1;
}

// One-byte reads wait at most 1 s per byte plus 1 s.
const COMMTIMEOUTS kInstrumentTimeouts = {MAXDWORD, 1000, 1000, 0, 0};
const COMMTIMEOUTS kLineTimeouts = {10, 0, 10, 0, 0};
// The GPS port's XON/XOFF lets a receiver's 0x13 (or random bytes at a
// wrong baud rate) stop our transmission for good: its writes give up
// after 10 ms a byte plus one second.
const COMMTIMEOUTS kGpsTimeouts = {10, 0, 10, 10, 1000};

int OpenPort(const PortRecipe& r)
{
    wchar_t name[16];
    std::swprintf(name, 16, L"COM%d:", static_cast<int>(*r.PortIndex + 1));
    HANDLE h = CeCreateCommFile(name, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    *r.Handle = h;
    if (h == INVALID_HANDLE_VALUE) {
        if (r.FailureText) MessageBoxW(hMonitorGpsWnd, r.FailureText, L"Serial Port", MB_OK);
        return 0;
    }
    COMMTIMEOUTS timeouts = r.Timeouts;
    SetCommTimeouts(h, &timeouts);
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    GetCommState(h, &dcb);
    r.Configure(&dcb);
    SetCommState(h, &dcb);
    if (r.InQueue) SetupComm(h, r.InQueue, r.OutQueue);
    return 1;
}

} // namespace

int ReopenInstrumentPort()
{
    return OpenPort({&hInstrumentPort, &Settings.InstrumentPort, kInstrumentTimeouts,
                     ConfigureInstrument, 0, 0, nullptr});
}

int OpenInstrumentPort()
{
    InterlockedIncrement(&InstrumentConnection);
    return ReopenInstrumentPort();
}

namespace {

// A reader's bursts: a read ends once the line pauses for intervalMs, or
// constantMs after it began; writes keep the port's own bounds.
void SetReadBurstTimeouts(HANDLE port, const COMMTIMEOUTS& base, DWORD intervalMs, DWORD constantMs)
{
    if (port == INVALID_HANDLE_VALUE) return;
    COMMTIMEOUTS timeouts = base;
    timeouts.ReadIntervalTimeout = intervalMs;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = constantMs;
    SetCommTimeouts(port, &timeouts);
}

} // namespace

void SetInstrumentBurstTimeouts(HANDLE port)
{
    SetReadBurstTimeouts(port, kInstrumentTimeouts, 20, 2000);
}

void SetGpsBurstTimeouts(HANDLE port)
{
    SetReadBurstTimeouts(port, kGpsTimeouts, 10, 200);
}

int OpenGpsPort()
{
    return OpenPort({&hGpsPort, &Settings.GpsPort, kGpsTimeouts, ConfigureGps, 9128, 256,
                     L"Cannot open GPS port"});
}

int OpenGps2Port()
{
    return OpenPort({&hGps2Port, &Settings.Gps2Port, kGpsTimeouts, ConfigureGps, 9128, 256,
                     L"Cannot open GPS2 port"});
}

int OpenGps3Port()
{
    return OpenPort({&hGps3Port, &Settings.Gps3Port, kGpsTimeouts, ConfigureGps, 9128, 256,
                     L"Cannot open GPS3 port"});
}

int OpenOutputPort()
{
    return OpenPort(
        {&hOutputPort, &Settings.OutputPort, kLineTimeouts, ConfigureOutput, 0, 0, nullptr});
}

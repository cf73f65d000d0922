#include "instrument/em61mk2_readers.h"
#include "app/window_handles.h"

#include "instrument/acq.h"
#include "instrument/em61mk2_reader_loop.h"
#include "resource_ids.h"
#include "platform/ce_compat.h"
#include "serial/serial_ports.h"
#include "serial/delay_events.h"

namespace {

// Which reader may read the port: a polled or stream reader only on the
// connection it started on (see InstrumentConnection), a wheel reader only
// while it is the newest one.
volatile LONG WheelReaderGeneration = 0;

struct ReaderContext {
    volatile LONG* Owner;
    LONG Mine;
};

bool PortOpen(void* context)
{
    const ReaderContext* c = static_cast<const ReaderContext*>(context);
    return hInstrumentPort != INVALID_HANDLE_VALUE && *c->Owner == c->Mine;
}

void WaitForRequest(void*) { WaitForSingleObject(static_cast<HANDLE>(Acq.hEvent), INFINITE); }

// With the port's time-outs a read waits for all count bytes (at most one
// frame's worth) or about a second a byte. Bytes of a read that returns
// after its port was closed or handed to a newer reader are nobody's.
int ReadBytes(void* context, unsigned char* buffer, int count)
{
    DWORD got = 0;
    if (!ReadFile(hInstrumentPort, buffer, static_cast<DWORD>(count), &got, nullptr)) return 0;
    return PortOpen(context) ? static_cast<int>(got) : 0;
}

void Deliver(void*) { SendMessageW(hLoggingWnd, WM_QOR_EM61MK2_READING, 0, 0); }

void ResetRequest(void*) { EventReset(static_cast<HANDLE>(Acq.hEvent)); }

uint32_t Tick(void*) { return CeGetTickCount(); }

DWORD RunReader(Em61Mk2ReaderKind kind, volatile LONG* owner, LONG mine)
{
    CeNameThread(L"instrument");
    SetInstrumentBurstTimeouts(hInstrumentPort);
    ReaderContext context = {owner, mine};
    const ReaderPlatform io = {&context,     PortOpen, WaitForRequest, ReadBytes, Deliver,
                               ResetRequest, Tick};
    RunEm61Mk2Reader(kind, io);
    return 0;
}

} // namespace

DWORD WINAPI Em61Mk2PolledReader(LPVOID)
{
    return RunReader(READER_POLLED, &InstrumentConnection, InstrumentConnection);
}

DWORD WINAPI Em61Mk2StreamReader(LPVOID)
{
    return RunReader(READER_STREAM, &InstrumentConnection, InstrumentConnection);
}

DWORD WINAPI Em61Mk2WheelReader(LPVOID)
{
    return RunReader(READER_WHEEL, &WheelReaderGeneration,
                     InterlockedIncrement(&WheelReaderGeneration));
}

HANDLE StartInstrumentReader()
{
    LPTHREAD_START_ROUTINE reader = Acq.PolledMode == 1 ? Em61Mk2PolledReader : Em61Mk2StreamReader;
    return CreateThread(nullptr, 0, reader, nullptr, 0, nullptr);
}

void CreateRequestEvent()
{
    if (Acq.hEvent != nullptr) CloseHandle(static_cast<HANDLE>(Acq.hEvent));
    Acq.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

#include "instrument/acq.h"
#include "platform/ce_compat.h"
#include "serial/serial_ports.h"
#include "serial/probe.h"
#include "serial/delay_events.h"

namespace {

const int kAttempts = 3;
const int kAnswerWindowMs = 1000;
const int kPairSpacingMs = 40;
const int kReopenSettleMs = 70;

void WriteChar(char c)
{
    DWORD written = 0;
    WriteFile(hInstrumentPort, &c, 1, &written, nullptr);
}

} // namespace

// The instrument answers the two command characters with "OK" (one frame
// per request) or "OV" (it streams). Bytes of a frame still in flight may
// come first, so only an 'O' directly or loosely followed by 'K'/'V' counts.
int ProbeInstrument(char first, char second, int reopen)
{
    if (reopen > 0) {
        CloseHandle(hInstrumentPort);
        DelayMs(kReopenSettleMs);
        ReopenInstrumentPort();
        DelayMs(kReopenSettleMs);
    }
    PurgeComm(hInstrumentPort, PURGE_TXCLEAR);
    PurgeComm(hInstrumentPort, PURGE_RXCLEAR);

    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        WriteChar(first);
        DelayMs(kPairSpacingMs);
        WriteChar(second);

        bool oSeen = false;
        const DWORD start = CeGetTickCount();
        // ReadFile may itself wait for the port's time-out, so the window
        // is only checked between reads.
        while (static_cast<LONG>(CeGetTickCount() - start) < kAnswerWindowMs) {
            unsigned char byte = 0;
            DWORD got = 0;
            if (!ReadFile(hInstrumentPort, &byte, 1, &got, nullptr) || got != 1) continue;
            if (byte == 'O') {
                oSeen = true;
            } else if (byte == 'K' || byte == 'V') {
                if (oSeen) {
                    Acq.PolledMode = byte == 'K' ? 1 : 0;
                    return 1;
                }
                oSeen = false;
            }
        }
    }
    return 0;
}

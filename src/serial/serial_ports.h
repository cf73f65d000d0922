// Serial port handles and openers. Each opener reads the port settings,
// stores the handle in its global and returns 1 on success, 0 on failure.
#pragma once
#include <windows.h>

extern HANDLE hInstrumentPort;
extern HANDLE hGpsPort, hGps2Port, hGps3Port;
extern HANDLE hOutputPort;
extern HANDLE hInstrumentThread, hWheelReaderThread;

int OpenInstrumentPort();
// The reopen inside ProbeInstrument: the same connection on a fresh handle,
// so the (suspended) reader carries on with it.
int ReopenInstrumentPort();
// Counts connections started by OpenInstrumentPort. A polled or stream
// reader serves only the connection it started on: where closing a port
// does not abort a pending ReadFile, a reader left over from before a
// reconnect would otherwise go on reading the new port next to its
// successor.
extern volatile LONG InstrumentConnection;
// The instrument's readers read in bursts of up to the rest of a frame: a
// read waits up to 2 s for its first byte, as a one-byte read does with
// the port's own time-outs, and ends once the line has been quiet for
// 20 ms. Counted per byte asked for, the wait of a frame cut short (a
// purge at Go, a cable pulled) would hold the reader, and a polled
// instrument unasked, for up to 16 s.
void SetInstrumentBurstTimeouts(HANDLE port);
int OpenGpsPort();
// The logging run's GPS reader reads in bursts: a read waits up to 200 ms
// for its first byte and ends once the line has been quiet for 10 ms (or
// its buffer is full). Writes keep the port's time-outs.
void SetGpsBurstTimeouts(HANDLE port);
int OpenGps2Port();
int OpenGps3Port();
int OpenOutputPort();

// The instrument probe: a two-character command answered "OK" (polled) or
// "OV" (streaming).
#pragma once

// Sends first and second, 40 ms apart, up to three times and waits for the
// answer; returns 1 and sets Acq.PolledMode when it came. With reopen the
// port is reopened first (ReopenInstrumentPort).
int ProbeInstrument(char first, char second, int reopen);

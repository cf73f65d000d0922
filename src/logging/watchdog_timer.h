// The logging window's timer 1, which paces the connection watchdog and a
// polled instrument's frame requests.
#pragma once

// A streaming instrument that sends nothing for this long has missed once.
enum { STREAM_TIMEOUT_MS = 1000 };

// Starts timer 1 at the period the state needs: the reading interval while
// a polled instrument records in Auto mode, 70 ms for a polled instrument
// otherwise, the 1000 ms time-out of a streaming one.
void StartWatchdogTimer(int recording);
void StopWatchdogTimer();

// The three EM61-MK2 reader threads: each cuts 15-byte frames out of the
// instrument port's byte stream and hands them to the logging window.
#pragma once
#include <windows.h>

DWORD WINAPI Em61Mk2PolledReader(LPVOID);
DWORD WINAPI Em61Mk2StreamReader(LPVOID);
DWORD WINAPI Em61Mk2WheelReader(LPVOID);

// Starts the polled or the stream reader, by the instrument's probe answer,
// on the current connection; returns its thread handle.
HANDLE StartInstrumentReader();

// The manual-reset event that hands each polled request to the polled
// reader, made anew for every polled run. The previous run's event is
// closed here rather than at its teardown: its reader may still be on its
// way out then (woken by the event, or in its last read), and waiting for
// it there could deadlock with a frame it is handing over.
void CreateRequestEvent();

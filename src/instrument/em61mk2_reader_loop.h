// The body shared by the three EM61-MK2 reader threads: read one byte at a
// time, cut frames, apply the reader's rules to the acquisition state and
// hand accepted frames over. The port, the request event, the hand-over and
// the tick are reached through ReaderPlatform so that the loop also runs on
// the host against a scripted byte source.
#pragma once
#include <cstdint>

#include "instrument/frame_cutter.h"

struct ReaderPlatform {
    void* Context;
    bool (*PortOpen)(void* context);                      // the thread ends when false
    void (*WaitForRequest)(void* context);                // polled reader only
    bool (*ReadByte)(void* context, unsigned char* byte); // true: exactly one byte
    void (*Deliver)(void* context);      // synchronous: InstrumentFrame is free afterwards
    void (*ResetRequest)(void* context); // EventReset(Acq.hEvent)
    uint32_t (*Tick)(void* context);
};

// Runs until io.PortOpen returns false.
void RunEm61Mk2Reader(Em61Mk2ReaderKind kind, const ReaderPlatform& io);

// The body shared by the three EM61-MK2 reader threads: read the port in
// bursts, cut frames byte by byte, apply the reader's rules to the
// acquisition state and hand accepted frames over. The port, the request event, the hand-over and
// the tick are reached through ReaderPlatform so that the loop also runs on
// the host against a scripted byte source.
#pragma once
#include <cstdint>

#include "instrument/frame_cutter.h"

struct ReaderPlatform {
    void* Context;
    bool (*PortOpen)(void* context);                      // the thread ends when false
    void (*WaitForRequest)(void* context);                // polled reader only
    // One read of at most count bytes, waiting as the port's time-outs say;
    // returns the bytes read (0 after a time-out or a failure).
    int (*ReadBytes)(void* context, unsigned char* buffer, int count);
    void (*Deliver)(void* context);      // synchronous: InstrumentFrame is free afterwards
    void (*ResetRequest)(void* context); // EventReset(Acq.hEvent)
    uint32_t (*Tick)(void* context);
};

// Each read asks for no more bytes than the next frame end needs at the
// least (BytesBeforeFrameEnd), so a frame always ends on the last byte of a
// read and is handed over as soon as that byte is in, as with one byte a
// read. Runs until io.PortOpen returns false.
void RunEm61Mk2Reader(Em61Mk2ReaderKind kind, const ReaderPlatform& io);

// The fewest bytes after which the cutter could see a frame end: a frame
// needs 15 bytes in the buffer and ends on a second 0x7F.
int BytesBeforeFrameEnd(const FrameCutter& cutter);

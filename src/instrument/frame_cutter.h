// Cutting EM61-MK2 frames out of the instrument's byte stream. Each reader
// thread owns one FrameCutter; the rules that differ between the polled,
// streamed and wheel readers come from one table. No Win32 here, so the
// byte logic is also built and fuzzed on the host.
#pragma once
#include <cstdint>

enum Em61Mk2ReaderKind { READER_POLLED = 0, READER_STREAM = 1, READER_WHEEL = 2 };

enum { FRAME_CUTTER_SIZE = 181, FRAME_WIRE_LENGTH = 15, FRAME_RECORD_LENGTH = 14 };

enum FrameCutOutcome {
    CUT_NONE = 0, // byte appended, no frame end yet
    CUT_FRAME,    // a frame with an accepted letter ends here
    CUT_REFUSED,  // a frame end whose letter this reader does not accept
    CUT_OVERFLOW, // too long without a frame end: buffer emptied, byte lost
};

// A 0x7F 0x7F pair inside a frame's data cuts a record whose letter is
// whatever byte stands 14 places earlier: the tail of a refused frame or a
// garbage byte. When that byte happens to be an accepted letter, a reading
// nobody sent would be handed over and the real frame lost. Two checks keep
// such a pair from ending a frame, so that the real frame is still found at
// its own terminator:
// - the letter may not stand inside the bytes a refused frame left behind
//   (Fence): the instrument starts a frame after the end of the previous one;
// - once the reference level is known, the record's reference word must be
//   within a factor of 1.5 of it. A working instrument's reference drifts by
//   a few per cent; two bytes of channel data rarely land in that band.
//   Eight such refusals in a row end the check: the level itself has moved.
struct FrameCutter {
    unsigned char Buffer[FRAME_CUTTER_SIZE];
    int32_t Count = 0;
    int32_t Fence = 0;          // bytes at the front that a refused frame left
    float ReferenceLevel = 0;   // expected reference word; 0 while unknown
    int32_t ReferenceMisses = 0; // ends refused by it in a row; kept across frames
};

struct Em61Mk2ReaderRules {
    const char* AcceptedLetters;
    bool MarksTwins;           // Acq.MarkPending turns a letter into its marked twin
    bool RefusedDropsLastByte; // a refused frame keeps the buffer minus its final 0x7F
    int32_t LastIndex;         // highest buffer index a byte may be stored at
};

const Em61Mk2ReaderRules& ReaderRules(Em61Mk2ReaderKind kind);

// Empties the buffer; the reference level stays.
void ResetFrameCutter(FrameCutter* cutter);

// Appends one byte. On CUT_FRAME the record (letter up to and including the
// first 0x7F) is FrameRecord(cutter) and stays there until the next call;
// the caller empties the buffer after delivery with ResetFrameCutter.
FrameCutOutcome AppendFrameByte(FrameCutter* cutter, Em61Mk2ReaderKind kind, unsigned char byte);

// The 14 record bytes of the frame that has just ended.
const unsigned char* FrameRecord(const FrameCutter* cutter);

// 'T'->'M', 'D'->'N', 'E'->'P', 'F'->'Q', 'J'->'K', 'j'->'K'; others unchanged.
unsigned char MarkedTwin(unsigned char letter);

// Copies a record into a 17-byte frame buffer as the readers hand it over:
// bytes 0-13 the record, byte 14 zero, the letter marked when asked to.
void StoreFrameRecord(const unsigned char* record, bool marked, unsigned char* frame);

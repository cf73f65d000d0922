// libFuzzer target: any byte stream through the frame cutter of each reader
// keeps its buffer in bounds and hands over only records with an accepted
// letter and their 0x7F; and a clean frame sent after a frame end or an
// overflow is always found whole; and the reader loop hands over the same
// frames with the same ticks whether the port gives one byte a read or
// bursts of any size.
// Sources: instrument/frame_cutter.cpp instrument/em61mk2_reader_loop.cpp instrument/acq.cpp
#include "instrument/frame_cutter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// ---- bursts against bytes -------------------------------------------------
#include <algorithm>
#include <string>

#include "instrument/acq.h"
#include "instrument/em61mk2_reader_loop.h"

namespace {

// The port's clock counts the bytes handed out; seed 0 reads one byte at a time.
struct SplitPort {
    const uint8_t* Data;
    size_t Size, Next, Reads;
    unsigned Seed;
    std::string Log;
};

bool SplitOpen(void* c) { return static_cast<SplitPort*>(c)->Next < static_cast<SplitPort*>(c)->Size; }
void SplitWait(void*) {}
void SplitReset(void* c) { static_cast<SplitPort*>(c)->Log += 'r'; }
uint32_t SplitTick(void* c) { return 7 + 3 * (uint32_t)static_cast<SplitPort*>(c)->Next; }
int SplitRead(void* c, unsigned char* buffer, int count)
{
    SplitPort* p = static_cast<SplitPort*>(c);
    // 0 is a time-out; 31 is prime to every modulus, so a byte comes soon.
    size_t n = p->Seed ? (p->Reads++ * 31 + p->Seed) % (p->Seed % 23 + 2) : 1;
    n = std::min({n, (size_t)count, p->Size - p->Next});
    std::memcpy(buffer, p->Data + p->Next, n);
    p->Next += n;
    return (int)n;
}
void SplitDeliver(void* c)
{
    SplitPort* p = static_cast<SplitPort*>(c);
    p->Log.append(reinterpret_cast<const char*>(InstrumentFrame), 15);
    p->Log += std::to_string(Acq.LastDataTick) + std::to_string(Acq.FrameReceived) + ';';
}

std::string ReadInSplits(Em61Mk2ReaderKind kind, const uint8_t* data, size_t size, unsigned seed)
{
    Acq.FrameDivisor = 2;
    Acq.FrameCounter = Acq.FrameReceived = Acq.LastDataTick = 0;
    SplitPort p = {data, size, 0, 0, seed, {}};
    RunEm61Mk2Reader(kind, {&p, SplitOpen, SplitWait, SplitRead, SplitDeliver, SplitReset, SplitTick});
    return p.Log;
}

void CheckBurstsAgainstBytes(const uint8_t* data, size_t size)
{
    const unsigned seed = size ? data[0] | 1u : 1u;
    for (int kind = 0; kind < 3; ++kind)
        if (ReadInSplits(Em61Mk2ReaderKind(kind), data, size, seed) !=
            ReadInSplits(Em61Mk2ReaderKind(kind), data, size, 0))
            std::abort();
}

} // namespace
// ---- end of bursts against bytes ------------------------------------------

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const unsigned char Clean[15] = {'T', 0x55, 1, 2,  3,  4,    5,   6,
                                            7,   8,    9, 10, 11, 0x7F, 0x7F};
    for (int kind = 0; kind < 3; ++kind) {
        const Em61Mk2ReaderKind k = Em61Mk2ReaderKind(kind);
        const Em61Mk2ReaderRules& rules = ReaderRules(k);
        FrameCutter c;
        ResetFrameCutter(&c);
        for (size_t i = 0; i < size; ++i) {
            FrameCutOutcome o = AppendFrameByte(&c, k, data[i]);
            if (c.Count < 0 || c.Count > rules.LastIndex + 1) std::abort();
            if (o == CUT_FRAME) {
                const unsigned char* r = FrameRecord(&c);
                if (r < c.Buffer || r[0] == 0 || !std::strchr(rules.AcceptedLetters, r[0]) ||
                    r[13] != 0x7F || data[i] != 0x7F)
                    std::abort();
                ResetFrameCutter(&c);
            }
        }
        // After an emptied buffer the clean frame is the next record.
        ResetFrameCutter(&c);
        FrameCutOutcome last = CUT_NONE;
        for (unsigned char b : Clean) last = AppendFrameByte(&c, k, b);
        if (last != CUT_FRAME || std::memcmp(FrameRecord(&c), Clean, 14) != 0) std::abort();
    }
    CheckBurstsAgainstBytes(data, size);
    return 0;
}

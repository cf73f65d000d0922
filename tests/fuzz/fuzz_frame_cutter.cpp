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
#include "../support/read_splits.h"

namespace {

// Reads of sizes from the first byte, with time-outs among them.
void CheckBurstsAgainstBytes(const uint8_t* data, size_t size)
{
    const unsigned seed = size ? data[0] : 0;
    const std::vector<int> split = {int(seed % 16), 1 + int(seed % 7), 0, 15, int(seed / 16)};
    for (int kind = 0; kind < 3; ++kind) {
        const Em61Mk2ReaderKind k = Em61Mk2ReaderKind(kind);
        if (ReadFramesInSplits(k, data, size, split, 2, seed & 1) != ReadFramesInSplits(k, data, size, {}, 2, seed & 1))
            std::abort();
    }
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

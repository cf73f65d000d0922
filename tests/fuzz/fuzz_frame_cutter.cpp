// libFuzzer target: any byte stream through the frame cutter of each reader
// keeps its buffer in bounds and hands over only records with an accepted
// letter and their 0x7F; a clean frame sent after a frame end or an overflow
// is always found whole; a line garbled as the simulator garbles it never
// yields a reading nobody sent; and the reader loop hands over the same
// frames with the same ticks whether the port gives one byte a read or
// bursts of any size.
// Sources: instrument/frame_cutter.cpp instrument/em61mk2_reader_loop.cpp instrument/acq.cpp
#include "instrument/frame_cutter.h"
#include "../support/read_splits.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const float kLevel = 3000;

// The input read as a line: noise, frames with an accepted letter and
// frames with a refused one, their data from the input, at times with a
// 0x7F 0x7F pair inside. 0x7F stands nowhere else: a channel word never
// reads 0x7Fxx, and line noise is taken never to forge a pair. Sent[i]: the
// record of the accepted frame whose last byte is byte i, else empty.
struct Line {
    std::vector<unsigned char> Bytes;
    std::vector<std::vector<unsigned char>> Sent;
};

Line Garble(const uint8_t* data, size_t size, const char* accepted)
{
    Line line;
    size_t at = 0;
    auto next = [&]() -> unsigned char { return at < size ? data[at++] : 0; };
    auto datum = [&]() -> unsigned char {
        const unsigned char b = next();
        return b == 0x7F ? 0 : b;
    };
    auto put = [&](unsigned char b) {
        line.Bytes.push_back(b);
        line.Sent.emplace_back();
    };
    while (at < size) {
        const int op = next() % 3;
        if (op == 0) {
            for (int n = next() % 21; n > 0; --n) put(datum());
            continue;
        }
        unsigned char f[15];
        for (int i = 0; i < 13; ++i) f[i] = datum();
        if (op == 1) f[0] = accepted[f[0] % std::strlen(accepted)];
        else if (f[0] == 0 || std::strchr(accepted, f[0])) f[0] = 'Z';
        const int reference = int(kLevel) + next() % 64 - 32;
        f[10] = reference >> 8;
        f[11] = reference & 0xFF;
        if (next() % 4 == 0) {
            const int p = 1 + next() % 11;
            f[p] = f[p + 1] = 0x7F;
        }
        f[13] = f[14] = 0x7F;
        for (unsigned char b : f) put(b);
        if (op == 1) line.Sent.back().assign(f, f + 14);
    }
    return line;
}

// Every record handed over is a sent frame, cut at its own end. The splice
// the cutter cannot tell from a frame: a pair inside a frame's data whose
// letter falls on an accepted letter in garbage, or in the tail of a frame
// already cut short, where the two bytes in the place of the reference word
// happen to lie near the level. (A refused frame's own leftovers are fenced
// off; the unit tests show it.)
void CheckNeverSent(Em61Mk2ReaderKind kind, const Line& line)
{
    FrameCutter c;
    c.ReferenceLevel = kLevel;
    for (size_t i = 0; i < line.Bytes.size(); ++i) {
        if (AppendFrameByte(&c, kind, line.Bytes[i]) != CUT_FRAME) continue;
        const unsigned char* r = FrameRecord(&c);
        const float reference = int16_t((r[10] << 8) | r[11]);
        const bool whole = !line.Sent[i].empty() && std::memcmp(r, line.Sent[i].data(), 14) == 0;
        if (!whole && (reference < kLevel / 1.5f || reference > kLevel * 1.5f)) std::abort();
        ResetFrameCutter(&c);
    }
}

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const unsigned char Clean[15] = {'T', 0x55, 1, 2,  3,  4,    5,   6,
                                            7,   8,    9, 10, 11, 0x7F, 0x7F};
    for (int kind = 0; kind < 3; ++kind) {
        const Em61Mk2ReaderKind k = Em61Mk2ReaderKind(kind);
        const Em61Mk2ReaderRules& rules = ReaderRules(k);
        FrameCutter c;
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
        // The wheel reader keeps a refused frame whole, so a letter in its
        // tail is not fenced off there.
        if (rules.RefusedDropsLastByte) CheckNeverSent(k, Garble(data, size, rules.AcceptedLetters));
    }
    CheckBurstsAgainstBytes(data, size);
    return 0;
}

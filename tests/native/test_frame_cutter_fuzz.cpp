// About a second of random byte streams through the frame cutter of each
// reader: clean frames hidden in noise are always found, and no stream can
// push the buffer past its end or hand over a malformed record.
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "instrument/frame_cutter.h"
#include "test_check.h"

namespace {

typedef std::chrono::steady_clock Clock;

const char kLetters[] = "TDEFMNPQJKjk";

unsigned char RandomByte(std::mt19937& rng) {
    // Weighted towards the bytes the cutter reacts to.
    switch (rng() % 8) {
    case 0: case 1: return 0x7F;
    case 2: return static_cast<unsigned char>(kLetters[rng() % 12]);
    default: return static_cast<unsigned char>(rng());
    }
}

// Noise without 0x7F, then one clean frame (no 0x7F in its data): every
// reader must find exactly that frame when noise + frame fit the buffer.
void CleanFramesInNoise(std::mt19937& rng, Clock::time_point until) {
    FrameCutter cutter[3];
    for (auto& c : cutter) ResetFrameCutter(&c);
    long frames = 0;
    while (Clock::now() < until) {
        int noise = rng() % 166;
        std::vector<unsigned char> bytes;
        for (int i = 0; i < noise; ++i) {
            unsigned char b = static_cast<unsigned char>(rng());
            bytes.push_back(b == 0x7F ? 0x7E : b);
        }
        unsigned char frame[15];
        frame[0] = static_cast<unsigned char>(kLetters[rng() % 8]);  // accepted by all readers
        for (int i = 1; i < 13; ++i) {
            frame[i] = static_cast<unsigned char>(rng());
            if (frame[i] == 0x7F) frame[i] = 0;
        }
        frame[13] = frame[14] = 0x7F;
        bytes.insert(bytes.end(), frame, frame + 15);

        for (int kind = 0; kind < 3; ++kind) {
            FrameCutter& c = cutter[kind];
            int found = 0;
            for (size_t i = 0; i < bytes.size(); ++i) {
                FrameCutOutcome o = AppendFrameByte(&c, Em61Mk2ReaderKind(kind), bytes[i]);
                if (o != CUT_FRAME) continue;
                ++found;
                CHECK_EQ(i, bytes.size() - 1);
                CHECK(std::memcmp(FrameRecord(&c), frame, 14) == 0);
                ResetFrameCutter(&c);
            }
            CHECK_EQ(found, 1);
            if (found != 1) return;
        }
        ++frames;
    }
    std::printf("clean frames found by all readers: %ld\n", frames);
}

void RandomStreams(std::mt19937& rng, Clock::time_point until) {
    long bytes = 0, outcomes[4] = {0, 0, 0, 0};
    FrameCutter cutter[3];
    for (auto& c : cutter) ResetFrameCutter(&c);
    while (Clock::now() < until) {
        for (int n = 0; n < 4096; ++n, ++bytes) {
            unsigned char b = RandomByte(rng);
            for (int kind = 0; kind < 3; ++kind) {
                FrameCutter& c = cutter[kind];
                const Em61Mk2ReaderRules& rules = ReaderRules(Em61Mk2ReaderKind(kind));
                FrameCutOutcome o = AppendFrameByte(&c, Em61Mk2ReaderKind(kind), b);
                ++outcomes[o];
                if (c.Count < 0 || c.Count > rules.LastIndex + 1) {
                    CHECK(!"buffer count out of range");
                    return;
                }
                if (o == CUT_FRAME) {
                    const unsigned char* r = FrameRecord(&c);
                    CHECK(r >= c.Buffer);
                    CHECK(std::strchr(rules.AcceptedLetters, r[0]) != nullptr && r[0] != 0);
                    CHECK(r[13] == 0x7F && b == 0x7F);
                    ResetFrameCutter(&c);
                }
                if (o == CUT_OVERFLOW) CHECK_EQ(c.Count, 0);
            }
        }
    }
    std::printf("random bytes: %ld; frames %ld, refused %ld, overflows %ld\n", bytes,
                outcomes[CUT_FRAME], outcomes[CUT_REFUSED], outcomes[CUT_OVERFLOW]);
    CHECK(outcomes[CUT_FRAME] > 0 && outcomes[CUT_REFUSED] > 0 && outcomes[CUT_OVERFLOW] > 0);
}

}  // namespace

int main() {
    std::mt19937 rng(20261206);
    CleanFramesInNoise(rng, Clock::now() + std::chrono::milliseconds(400));
    RandomStreams(rng, Clock::now() + std::chrono::milliseconds(600));
    return TestSummary("test_frame_cutter_fuzz");
}

// Reading in bursts against reading byte by byte: for random byte streams
// and random splits into reads (time-outs with no byte among them), the
// instrument readers hand over the same frames with the same ticks and
// acquisition state, and the GPS reader the same sentences, each stamped
// with the read that brought its '$'.
#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gps/sentence_feed.h"
#include "instrument/acq.h"
#include "instrument/em61mk2_reader_loop.h"
#include "test_check.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// Whole and broken frames of accepted and refused letters, stray 0x7F
// pairs and runs of noise long enough to overflow the cutter.
Bytes InstrumentStream(std::mt19937& rng)
{
    static const char kLetters[] = "TDEFJjkKMNPQAZ";
    Bytes out;
    for (int part = rng() % 40; part > 0; --part) {
        const unsigned kind = rng() % 4;
        if (kind < 2) {
            Bytes f(1, (unsigned char)kLetters[rng() % 14]);
            for (int i = 0; i < 12; ++i) f.push_back((unsigned char)rng());
            f.push_back(0x7F);
            f.push_back(0x7F);
            out.insert(out.end(), f.begin(), f.begin() + (rng() % 5 ? 15 : rng() % 15));
        } else if (kind == 2) {
            out.insert(out.end(), {0x7F, 0x7F});
        } else {
            for (int n = rng() % 200; n > 0; --n) out.push_back(rng() % 3 ? (unsigned char)rng() : 0x7F);
        }
    }
    return out;
}

// A port whose clock is the count of bytes it has handed out, so a frame
// ending on the same byte gets the same tick however the reads fell.
struct Port {
    Bytes Input;
    size_t Next = 0, Read = 0;
    std::vector<int> Split; // bytes the line offers to each read; empty: one
    std::string Log;        // every hand-over: the frame, its tick, the state
};

uint32_t Clock(const Port* p) { return 1000 + 3 * (uint32_t)p->Next; }
bool PortOpen(void* c) { return static_cast<Port*>(c)->Next < static_cast<Port*>(c)->Input.size(); }
void Wait(void*) {}
void Reset(void* c) { static_cast<Port*>(c)->Log += "r;"; }
uint32_t Tick(void* c) { return Clock(static_cast<Port*>(c)); }
int ReadBytes(void* c, unsigned char* buffer, int count)
{
    Port* p = static_cast<Port*>(c);
    size_t n = p->Split.empty() ? 1 : (size_t)p->Split[p->Read++ % p->Split.size()];
    n = std::min({n, (size_t)count, p->Input.size() - p->Next});
    std::memcpy(buffer, p->Input.data() + p->Next, n);
    p->Next += n;
    return (int)n;
}
void Deliver(void* c)
{
    Port* p = static_cast<Port*>(c);
    p->Log += std::string(InstrumentFrame, InstrumentFrame + 15) + std::to_string(Acq.LastDataTick) +
              "," + std::to_string(Acq.FrameReceived) + "," + std::to_string(Acq.FrameCounter) + ";";
}

std::string RunInstrument(Em61Mk2ReaderKind kind, const Bytes& input, const std::vector<int>& split,
                          int divisor, int marked)
{
    Acq.FrameDivisor = divisor;
    Acq.FrameCounter = 0;
    Acq.FrameReceived = 0;
    Acq.MarkPending = marked;
    Acq.LastDataTick = 0;
    Port p;
    p.Input = input;
    p.Split = split;
    RunEm61Mk2Reader(kind, {&p, PortOpen, Wait, ReadBytes, Deliver, Reset, Tick});
    return p.Log + std::to_string(Acq.LastDataTick);
}

std::vector<int> RandomSplit(std::mt19937& rng)
{
    std::vector<int> split(1 + rng() % 8);
    for (int& n : split) n = rng() % 4 == 0 ? 0 : 1 + rng() % (rng() % 2 ? 4 : 600);
    split[rng() % split.size()] = 1 + rng() % 15; // the line is never silent for good
    return split;
}

void TestInstrumentBursts()
{
    std::mt19937 rng(61);
    int frames = 0;
    for (int round = 0; round < 3000; ++round) {
        const Bytes input = InstrumentStream(rng);
        const std::vector<int> split = RandomSplit(rng);
        const int divisor = 1 + rng() % 3, marked = rng() % 2;
        for (int kind = 0; kind < 3; ++kind) {
            const std::string bytes = RunInstrument(Em61Mk2ReaderKind(kind), input, {}, divisor, marked);
            CHECK(RunInstrument(Em61Mk2ReaderKind(kind), input, split, divisor, marked) == bytes);
            frames += (int)std::count(bytes.begin(), bytes.end(), ';');
        }
    }
    CHECK(frames > 10000); // the streams do cut frames
}

// ---- sentences ----------------------------------------------------------

Bytes GpsStream(std::mt19937& rng)
{
    static const char* kPieces[] = {
        "$GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,23.7,M,,0000*7D\r\n",
        "$GPGSA,A,3,17,28,06,01,30,20,26,13,,,,,1.8,1.1,1.5*33\r\n", "\r\n", "\n", "$", "*4F"};
    Bytes out;
    for (int part = rng() % 30; part > 0; --part) {
        if (rng() % 3) {
            const char* s = kPieces[rng() % 6];
            const size_t n = std::strlen(s); // sometimes cut short
            out.insert(out.end(), s, s + (rng() % 6 ? n : rng() % n));
        } else {
            for (int n = rng() % 300; n > 0; --n) out.push_back((unsigned char)(rng() % 4 ? 32 + rng() % 95 : rng()));
        }
    }
    return out;
}

struct Sentences {
    char Out[256];
    std::vector<std::string> Text;
    std::vector<uint32_t> Ticks;
};

void Collect(void* c, uint32_t tick)
{
    Sentences* s = static_cast<Sentences*>(c);
    s->Text.push_back(s->Out);
    s->Ticks.push_back(tick);
}

// The reads' ends; a read's tick is 1000 + its end.
Sentences FeedInReads(const Bytes& input, const std::vector<size_t>& ends)
{
    Sentences s = {};
    SentenceFeed feed = {};
    size_t at = 0;
    for (size_t end : ends) {
        FeedSentenceRead(&feed, input.data() + at, (int)(end - at), 1000 + (uint32_t)end, s.Out, Collect, &s);
        at = end;
    }
    return s;
}

void TestSentenceBursts()
{
    std::mt19937 rng(18);
    int sentences = 0;
    for (int round = 0; round < 3000; ++round) {
        const Bytes input = GpsStream(rng);
        std::vector<size_t> bytes, reads;
        for (size_t i = 1; i <= input.size(); ++i) bytes.push_back(i);
        for (size_t at = 0; at < input.size();) reads.push_back(at = std::min(input.size(), at + rng() % 90));
        const Sentences one = FeedInReads(input, bytes), burst = FeedInReads(input, reads);
        CHECK(burst.Text == one.Text);
        sentences += (int)one.Text.size();
        // One byte a read stamps the '$' at its own position; in bursts the
        // read that holds that position stamps it (0: no '$' seen yet).
        for (size_t i = 0; i < one.Ticks.size() && i < burst.Ticks.size(); ++i) {
            const size_t dollar = one.Ticks[i] - 1000 - 1;
            CHECK_EQ(burst.Ticks[i], one.Ticks[i] == 0 ? 0
                                     : 1000 + *std::upper_bound(reads.begin(), reads.end(), dollar));
        }
    }
    CHECK(sentences > 5000);
}

} // namespace

int main()
{
    TestInstrumentBursts();
    TestSentenceBursts();
    return TestSummary("test_read_bursts");
}

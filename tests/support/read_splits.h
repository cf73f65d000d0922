// A byte stream split into reads as a port may split it, through the
// instrument reader loop and the GPS reader's sentence feeding; shared by
// the bursts property test and the fuzz targets.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gps/sentence_feed.h"
#include "instrument/acq.h"
#include "instrument/em61mk2_reader_loop.h"

// The port's clock counts the bytes handed out, so a frame that ends on the
// same byte gets the same tick however the reads fell. Split: the bytes the
// line offers to each read in turn (0: a time-out); empty: one a read.
struct SplitPort {
    const unsigned char* Data;
    size_t Size, Next, Reads;
    std::vector<int> Split;
    std::string Log; // every hand-over: the frame, its tick, the state
};

inline int SplitRead(void* c, unsigned char* buffer, int count)
{
    SplitPort* p = static_cast<SplitPort*>(c);
    size_t n = p->Split.empty() ? 1 : (size_t)p->Split[p->Reads++ % p->Split.size()];
    n = std::min({n, (size_t)count, p->Size - p->Next});
    std::memcpy(buffer, p->Data + p->Next, n);
    p->Next += n;
    return (int)n;
}

// The hand-overs of one reader (each frame, the tick and state it carries,
// and every freed request) for a stream read in the given split.
inline std::string ReadFramesInSplits(Em61Mk2ReaderKind kind, const unsigned char* data,
                                      size_t size, const std::vector<int>& split, int divisor,
                                      int marked)
{
    Acq.FrameDivisor = divisor;
    Acq.FrameCounter = Acq.FrameReceived = Acq.LastDataTick = 0;
    Acq.MarkPending = marked;
    SplitPort port = {data, size, 0, 0, split, {}};
    ReaderPlatform io = {
        &port,
        [](void* c) { return static_cast<SplitPort*>(c)->Next < static_cast<SplitPort*>(c)->Size; },
        [](void*) {},
        SplitRead,
        [](void* c) {
            SplitPort* p = static_cast<SplitPort*>(c);
            p->Log.append(InstrumentFrame, InstrumentFrame + 15);
            p->Log += std::to_string(Acq.LastDataTick) + "," + std::to_string(Acq.FrameReceived) +
                      "," + std::to_string(Acq.FrameCounter) + ";";
        },
        [](void* c) { static_cast<SplitPort*>(c)->Log += "r;"; },
        [](void* c) { return 1000 + 3 * (uint32_t) static_cast<SplitPort*>(c)->Next; },
    };
    RunEm61Mk2Reader(kind, io);
    return port.Log + std::to_string(Acq.LastDataTick);
}

struct FedSentences {
    char Out[256];
    std::vector<std::string> Text;
    std::vector<uint32_t> Ticks;
    static void Take(void* c, uint32_t tick)
    {
        static_cast<FedSentences*>(c)->Text.push_back(static_cast<FedSentences*>(c)->Out);
        static_cast<FedSentences*>(c)->Ticks.push_back(tick);
    }
};

// The sentences cut from reads that end at the given offsets; a read's
// tick is 1000 + its end.
inline FedSentences FeedSentencesInReads(const unsigned char* data, const std::vector<size_t>& ends)
{
    FedSentences s = {};
    SentenceFeed feed = {};
    size_t at = 0;
    for (size_t end : ends) {
        FeedSentenceRead(&feed, data + at, (int)(end - at), 1000 + (uint32_t)end, s.Out, s.Take, &s);
        at = end;
    }
    return s;
}

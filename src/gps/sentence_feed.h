// The GPS reader's feeding of one read's bytes to the sentence cutter, one
// byte at a time, so that a sentence is cut the same however the port
// splits the stream into reads. No Win32 here: tested and fuzzed on the host.
#pragma once
#include <cstdint>

#include "gps/nmea_sentence.h"

struct SentenceFeed {
    SentenceCutter Cutter;
    uint32_t StartTick; // the tick of the current sentence's '$'
};

// Feeds count bytes that one read returned at readTick. For each sentence
// completed, out holds it and deliver(context, tick) runs before the next
// byte is fed; tick is that of the read that brought the sentence's '$'.
void FeedSentenceRead(SentenceFeed* feed, const unsigned char* bytes, int count, uint32_t readTick,
                      char out[256], void (*deliver)(void* context, uint32_t tick), void* context);

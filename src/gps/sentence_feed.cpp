#include "gps/sentence_feed.h"

void FeedSentenceRead(SentenceFeed* feed, const unsigned char* bytes, int count, uint32_t readTick,
                      char out[256], void (*deliver)(void* context, uint32_t tick), void* context)
{
    for (int i = 0; i < count; ++i) {
        const CutResult cut = FeedSentenceByte(&feed->Cutter, bytes[i], out);
        if (cut == CUT_STARTED) feed->StartTick = readTick;
        if (cut == CUT_SENTENCE) deliver(context, feed->StartTick);
    }
}

// libFuzzer target: any line a receiver may send (up to the 255 characters
// of the sentence buffer) through the envelope check, the field cutter and
// the position decoding and read-out texts of every GPS type, and the same
// bytes as the total station's label records; fields never pass 19
// characters; and the reader's feeding cuts the same sentences whether the
// port gives one byte a read or bursts of any size.
// Sources: gps/nmea_sentence.cpp gps/fix_readouts.cpp gps/label_exchange.cpp gps/utm.cpp gps/sentence_feed.cpp
#include "gps/fix_readouts.h"
#include "gps/label_exchange.h"
#include "gps/nmea_sentence.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// ---- bursts against bytes -------------------------------------------------
#include <algorithm>
#include <string>

#include "gps/sentence_feed.h"

namespace {

struct Collected {
    char Out[256];
    std::string Log;
};

void Collect(void* c, uint32_t)
{
    Collected* s = static_cast<Collected*>(c);
    s->Log += std::string(s->Out) + '\n';
}

// Reads of 1 to n bytes (n = 1: one byte a read).
std::string FeedInSplits(const uint8_t* data, size_t size, unsigned n)
{
    Collected s = {};
    SentenceFeed feed = {};
    for (size_t at = 0, k = 0; at < size; ++k) {
        const size_t len = std::min(size - at, (size_t)(1 + (at * 7 + k) % n));
        FeedSentenceRead(&feed, data + at, (int)len, 0, s.Out, Collect, &s);
        at += len;
    }
    return s.Log;
}

void CheckBurstsAgainstBytes(const uint8_t* data, size_t size)
{
    const unsigned n = size ? data[0] % 64 + 2 : 2;
    if (FeedInSplits(data, size, n) != FeedInSplits(data, size, 1)) std::abort();
}

} // namespace
// ---- end of bursts against bytes ------------------------------------------

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char sentence[256];
    const size_t n = size < 255 ? size : 255;
    std::memcpy(sentence, data, n);
    sentence[n] = 0;
    CheckSentence(sentence, 0);
    CheckSentence(sentence, 1);
    char field[GPS_FIELD_CHARS + 8];
    for (int i = 1; i <= 24; ++i)
        if (GetField(sentence, i, ',', field) && std::strlen(field) > GPS_FIELD_CHARS) std::abort();
    for (int type = 0; type <= 8; ++type) {
        GpsFormatRecord format = {};
        LoadGpsFormat(type, &format);
        PositionFields f = {};
        DecodePositionFields(sentence, format, type, type % 3, type & 1, &f);
        QualityLabel(f.QualityChar);
    }
    TimeOfDaySeconds(sentence);
    if (GetField(sentence, 3, ',', field)) {
        wchar_t text[48];
        FormatLatitudeDms(field, text, 48);
        FormatLongitudeDms(field, text, 48);
    }
    SentenceCutter sentences = {};
    for (size_t i = 0; i < size; ++i) FeedSentenceByte(&sentences, data[i], sentence);
    LabelRecordCutter cutter = {};
    LabelExchange labels = {};
    char record[sizeof cutter.Text];
    for (size_t i = 0; i < size; ++i) FeedLabelByte(&cutter, &labels, data[i], record, sizeof record);
    CheckBurstsAgainstBytes(data, size);
    return 0;
}

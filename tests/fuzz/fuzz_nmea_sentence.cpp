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
#include "../support/read_splits.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Reads of 1 to n bytes, n from the first byte: the same sentences as one
// byte a read.
void CheckBurstsAgainstBytes(const uint8_t* data, size_t size)
{
    std::vector<size_t> bytes, reads;
    const size_t n = size ? data[0] % 64 + 1 : 1;
    for (size_t i = 1; i <= size; ++i) bytes.push_back(i);
    for (size_t at = 0; at < size;) reads.push_back(at = std::min(size, at + 1 + (at * 7) % n));
    if (FeedSentencesInReads(data, reads).Text != FeedSentencesInReads(data, bytes).Text) std::abort();
}

} // namespace

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

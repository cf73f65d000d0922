// libFuzzer target: an earlier data file as the external-file loader reads
// it. The G header record the program writes names the GPS type it was
// recorded with, and a sentence written as a GPS record group comes back
// whole (trailing blanks cut) after any records at all.
// Sources: gps/position_file.cpp logging/record_format.cpp
#include "gps/position_file.h"
#include "logging/record_format.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    GpsOptionValues v = {};
    // Offsets that fit their seven columns, as the header's layout assumes.
    v.GpsOffsetX = in.ConsumeFloatingPointInRange<float>(-999.99f, 999.99f);
    v.GpsOffsetY = in.ConsumeFloatingPointInRange<float>(-999.99f, 999.99f);
    v.PolledMode = in.ConsumeIntegralInRange(0, 1);
    v.StorageMode = in.ConsumeIntegralInRange(0, 2);
    v.Portrait = in.ConsumeIntegralInRange(0, 1);
    v.GpsType = in.ConsumeIntegralInRange(0, 8);
    v.RtsUnits = in.ConsumeIntegralInRange(0, 1);
    v.RtsUnits3 = in.ConsumeIntegralInRange(0, 2);
    v.MaxGpsDisplay = in.ConsumeIntegralInRange(0, 1);
    v.InstrumentEnabled = in.ConsumeIntegralInRange(0, 1);
    v.GpsEnabled = 1;
    char header[RecordBufferBytes];
    FormatGpsOptionsRecord(header, v);
    int type = -1, units = -1;
    if (!RecordedGpsType(header, &type, &units) || type != v.GpsType) std::abort();
    if (v.GpsType >= 7 && units != (v.GpsType == 7 ? v.RtsUnits : v.RtsUnits3)) std::abort();

    // The sentence as the receiver sent it: up to 255 characters, no NUL.
    std::string sentence = in.ConsumeRandomLengthString(255).c_str();
    const char flag = in.ConsumeBool() ? 'p' : ' ';
    const uint32_t tick = in.ConsumeIntegral<uint32_t>();
    const std::string before = in.ConsumeRemainingBytesAsString();

    RecordGroupReader reader = {};
    char found[512];
    for (size_t at = 0; at + RecordBytes <= before.size(); at += RecordBytes)
        FeedDataRecord(&reader, before.data() + at, found, sizeof found);
    char group[12][RecordBufferBytes];
    const int n = FormatGpsRecordGroup(group, 12, sentence.c_str(), '@', '#', '!', flag, 0, 0, tick);
    int closed = 0;
    for (int i = 0; i < n; ++i) closed += FeedDataRecord(&reader, group[i], found, sizeof found);
    while (!sentence.empty() && sentence.back() == ' ') sentence.pop_back();
    if (closed != 1 || sentence != found) std::abort();
    return 0;
}

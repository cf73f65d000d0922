// libFuzzer target: an earlier data file as the external-file loader reads
// it. The G header record the program writes names the GPS type it was
// recorded with (also when a wide antenna offset shifted it), and a
// sentence written as a GPS record group comes back whole (trailing blanks
// cut) after any records at all.
// Sources: map/position_file.cpp logging/record_format.cpp
#include "map/position_file.h"
#include "logging/record_format.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    GpsOptionValues v = {};
    v.GpsOffsetX = in.ConsumeFloatingPoint<float>();
    v.GpsOffsetY = in.ConsumeFloatingPoint<float>();
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
    // Offsets wider than seven columns shift the type; it is read wherever
    // it stands, and not at all when it was cut off.
    char x[64], y[64];
    const int typeColumn = 19 + std::snprintf(x, sizeof x, "%7.2f", v.GpsOffsetX) - 7 +
                           std::snprintf(y, sizeof y, "%7.2f", v.GpsOffsetY) - 7;
    const bool kept =
        std::isfinite(v.GpsOffsetX) && std::isfinite(v.GpsOffsetY) && typeColumn <= 25;
    int type = -1, units = -1;
    const int named = RecordedGpsType(header, &type, &units);
    if (named != kept || (named && type != v.GpsType)) std::abort();
    if (named && v.GpsType >= 7 && units != (v.GpsType == 7 ? v.RtsUnits : v.RtsUnits3))
        std::abort();

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
    const int n =
        FormatGpsRecordGroup(group, 12, sentence.c_str(), '@', '#', '!', flag, 0, 0, tick);
    int closed = 0;
    for (int i = 0; i < n; ++i) closed += FeedDataRecord(&reader, group[i], found, sizeof found);
    while (!sentence.empty() && sentence.back() == ' ') sentence.pop_back();
    if (closed != 1 || sentence != found) std::abort();
    return 0;
}

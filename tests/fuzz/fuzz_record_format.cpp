// libFuzzer target: every record builder with values taken from the input
// (doubles of any bit pattern, texts of any length). A record is always 27
// bytes with the line feed in column 26, and nothing is written past it.
// Sources: logging/record_format.cpp
#include "logging/record_format.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

// Any bit pattern: infinities and NaNs too.
template <typename Float, typename Bits>
Float Any(FuzzedDataProvider& in)
{
    const Bits bits = in.ConsumeIntegral<Bits>();
    Float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void Check(const char* rec, const char* guard)
{
    if (rec[RecordFeedColumn] != 0x0A || rec[RecordBytes] != 0) std::abort();
    for (int i = 0; i < 8; ++i)
        if (guard[i] != 0x5A) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    struct {
        char Rec[RecordBufferBytes];
        char Guard[8];
    } out;
    std::memset(&out, 0x5A, sizeof out);
    const double d1 = Any<double, uint64_t>(in), d2 = Any<double, uint64_t>(in);
    const float f1 = Any<float, uint32_t>(in), f2 = Any<float, uint32_t>(in);
    const int i1 = in.ConsumeIntegral<int>(), i2 = in.ConsumeIntegral<int>(),
              i3 = in.ConsumeIntegral<int>();
    const uint32_t tick = in.ConsumeIntegral<uint32_t>();
    // Texts up to the first NUL, as the program's texts are.
    const std::string t1 = in.ConsumeRandomLengthString(1000).c_str();
    const std::string t2 = in.ConsumeRandomLengthString(1000).c_str();
    unsigned char frame[16] = {};
    in.ConsumeData(frame, sizeof frame);

    const GpsOptionValues v = {f1, f2, i1, i2, i3, i1 & 15, i2, i3, i1 ^ i3, i2 & 1, i3 & 1};
    const std::function<void(char*)> builders[] = {
        [&](char* r) { FormatConfigRecord(r, i1, i2, i3, i1 ^ i2, i2 ^ i3); },
        [&](char* r) { FormatFileNameRecord(r, t1.c_str(), d1); },
        [&](char* r) { FormatGpsOptionsRecord(r, v); },
        [&](char* r) { FormatOffsetRecord(r, f1, i1 & 1, f2); },
        [&](char* r) { FormatLineRecord(r, t2.c_str()); },
        [&](char* r) { FormatBeginStationRecord(r, d2); },
        [&](char* r) { FormatDirectionRecord(r, i1, d1); },
        [&](char* r) { FormatDateRecord(r, i1, i2, i3, i1, i2, i3); },
        [&](char* r) { FormatTimeRecord(r, i1, i2, i3, i1, tick); },
        [&](char* r) { FormatStationRecord(r, d2, tick); },
        [&](char* r) { FormatTextRecord(r, (char)i1, t1.c_str(), tick); },
        [&](char* r) { FormatReadingRecord(r, frame, tick); },
    };
    for (const auto& build : builders) {
        build(out.Rec);
        Check(out.Rec, out.Guard);
    }
    char group[12][RecordBufferBytes];
    const int n = FormatGpsRecordGroup(group, 12, t1.substr(0, 255).c_str(), (char)i1, (char)i2,
                                       (char)i3, (char)i1, i2 & 1, i3, tick);
    for (int r = 0; r < n; ++r) Check(group[r], out.Guard);
    return 0;
}

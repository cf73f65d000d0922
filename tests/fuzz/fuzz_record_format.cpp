// libFuzzer target: every record builder with values taken from the input
// (doubles of any bit pattern, texts of any length). A record is always 27
// bytes with the line feed in column 26, and nothing is written past it.
// Sources: logging/record_format.cpp
#include "logging/record_format.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Input {
    const uint8_t* Data;
    size_t Size;
    template <typename T> T Take()
    {
        T v{};
        size_t n = Size < sizeof v ? Size : sizeof v;
        std::memcpy(&v, Data, n);
        Data += n;
        Size -= n;
        return v;
    }
    std::string Text()
    {
        size_t n = Take<uint8_t>() * 4u;
        if (n > Size)
            n = Size;
        std::string s(reinterpret_cast<const char*>(Data), n);
        Data += n;
        Size -= n;
        return s.c_str();   // up to the first NUL, as the program's texts are
    }
};

void Check(const char* rec, const char* guard)
{
    if (rec[RecordFeedColumn] != 0x0A || rec[RecordBytes] != 0)
        std::abort();
    for (int i = 0; i < 8; ++i)
        if (guard[i] != 0x5A)
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{data, size};
    struct {
        char Rec[RecordBufferBytes];
        char Guard[8];
    } out;
    std::memset(&out, 0x5A, sizeof out);
    const double d1 = in.Take<double>(), d2 = in.Take<double>();
    const float f1 = in.Take<float>(), f2 = in.Take<float>();
    const int i1 = in.Take<int>(), i2 = in.Take<int>(), i3 = in.Take<int>();
    const uint32_t tick = in.Take<uint32_t>();
    const std::string t1 = in.Text(), t2 = in.Text();
    unsigned char frame[16];
    for (unsigned char& b : frame)
        b = in.Take<uint8_t>();

    FormatConfigRecord(out.Rec, i1, i2, i3, i1 ^ i2, i2 ^ i3);
    Check(out.Rec, out.Guard);
    FormatFileNameRecord(out.Rec, t1.c_str(), d1);
    Check(out.Rec, out.Guard);
    GpsOptionValues v = {f1, f2, i1, i2, i3, i1 & 15, i2, i3, i1 ^ i3, i2 & 1, i3 & 1};
    FormatGpsOptionsRecord(out.Rec, v);
    Check(out.Rec, out.Guard);
    FormatOffsetRecord(out.Rec, f1, i1 & 1, f2);
    Check(out.Rec, out.Guard);
    FormatLineRecord(out.Rec, t2.c_str());
    Check(out.Rec, out.Guard);
    FormatBeginStationRecord(out.Rec, d2);
    Check(out.Rec, out.Guard);
    FormatDirectionRecord(out.Rec, i1, d1);
    Check(out.Rec, out.Guard);
    FormatDateRecord(out.Rec, i1, i2, i3, i1, i2, i3);
    Check(out.Rec, out.Guard);
    FormatTimeRecord(out.Rec, i1, i2, i3, i1, tick);
    Check(out.Rec, out.Guard);
    FormatStationRecord(out.Rec, d2, tick);
    Check(out.Rec, out.Guard);
    FormatTextRecord(out.Rec, (char)i1, t1.c_str(), tick);
    Check(out.Rec, out.Guard);
    FormatReadingRecord(out.Rec, frame, tick);
    Check(out.Rec, out.Guard);
    return 0;
}

// libFuzzer target: any bytes as an ASCII coordinate line with every
// column and delimiter choice, and as data file records.
// Sources: gps/position_file.cpp
#include "gps/position_file.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    double a, b;
    for (int delimiter = 0; delimiter < 5; ++delimiter)
        for (int column = 0; column < 11; ++column)
            AsciiPosition(line.c_str(), column, 10 - column, delimiter, &a, &b);
    RecordGroupReader reader = {};
    char sentence[64];
    int type, units;
    for (size_t at = 0; at + 27 <= size; at += 27) {
        RecordedGpsType(reinterpret_cast<const char*>(data) + at, &type, &units);
        FeedDataRecord(&reader, reinterpret_cast<const char*>(data) + at, sentence,
                       sizeof sentence);
    }
    ThinningStep((long)size * 1000, (long)(size % 97));
    return 0;
}

// libFuzzer target: any bytes as an ASCII coordinate line with every
// column and delimiter choice, as a field, as a file's first block, as
// data file records and label records; a position taken is always finite.
// Sources: map/position_file.cpp
#include "map/position_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    double a, b;
    for (int delimiter = 0; delimiter < 5; ++delimiter)
        for (int column = 0; column < 11; ++column)
            if (AsciiRow(line.c_str(), column, 10 - column, delimiter, &a, &b) == ROW_USED &&
                (!std::isfinite(a) || !std::isfinite(b)))
                std::abort();
    if (ParseCoordinate(line.data(), line.size(), size % 2, "EW", &a) == ROW_USED &&
        !std::isfinite(a))
        std::abort();
    BlankLine(line.c_str());
    TextKindOf(data, size);
    if (LabelRecordPosition(line.c_str(), &a, &b) && (!std::isfinite(a) || !std::isfinite(b)))
        std::abort();
    RecordGroupReader reader = {};
    char sentence[64];
    int type, units;
    LoadTally tally = {};
    for (size_t at = 0; at + 27 <= size; at += 27) {
        RecordedGpsType(reinterpret_cast<const char*>(data) + at, &type, &units);
        FeedDataRecord(&reader, reinterpret_cast<const char*>(data) + at, sentence,
                       sizeof sentence);
        TallyRow(&tally, (long)at, data[at] % ROW_VERDICTS);
    }
    wchar_t text[160];
    LoadSummaryText(tally, (long)size, (long)(size % 5), L"line", text, 160);
    LoadFailureText(tally, (int)(size % 3), L"record", text, 160);
    ThinningStep((long)size * 1000, (long)(size % 97));
    return 0;
}

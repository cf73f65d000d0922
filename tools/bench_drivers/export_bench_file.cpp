// Writes the export bench's data file with the logger's own record
// builders: a four-hour survey, 10 readings/s, GGA and GSA at 5 Hz (every
// fifth GGA accepted, as at "1 Hz" display, with its GSA), lines of 100 m
// walked at 1 m/s. Usage: export_bench_file OUT
#include "logging/record_format.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

FILE* Out;
long Records;

void Put(const char* rec)
{
    std::fwrite(rec, 1, RecordBytes, Out);
    ++Records;
}

std::string Sentence(const std::string& body)
{
    unsigned sum = 0;
    for (char c : body) sum ^= (unsigned char)c;
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

void Group(const std::string& text, long counter, char flag, uint32_t tick)
{
    char recs[12][RecordBufferBytes];
    const int n =
        FormatGpsRecordGroup(recs, 12, text.c_str(), '@', '#', '!', flag, 1, counter, tick);
    for (int i = 0; i < n; ++i) Put(recs[i]);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || !(Out = std::fopen(argv[1], "wb"))) {
        std::fprintf(stderr, "usage: export_bench_file OUT\n");
        return 2;
    }
    char rec[RecordBufferBytes];
    FormatConfigRecord(rec, 0, 1, 0, 0, 0), Put(rec);
    FormatFileNameRecord(rec, "BENCH", 0.1), Put(rec);
    const GpsOptionValues v = {0.5f, 1.0f, 0, 0, 0, 0, 0, 0, 0, 1, 1};
    FormatGpsOptionsRecord(rec, v), Put(rec);
    for (int i = 0; i < 4; ++i) FormatOffsetRecord(rec, 0, 0, 0), Put(rec);
    const uint32_t start = 3600000;
    const int seconds = 4 * 3600, lineSeconds = 100;
    long fixes = 0;
    for (int t10 = 0; t10 < seconds * 10; ++t10) { // tenths of a second
        const uint32_t tick = start + 100 * t10;
        const int line = t10 / (lineSeconds * 10);
        if (t10 % (lineSeconds * 10) == 0) {
            char name[16];
            std::snprintf(name, sizeof name, "%d", line + 1);
            FormatLineRecord(rec, name), Put(rec);
            FormatBeginStationRecord(rec, 0), Put(rec);
            FormatDirectionRecord(rec, line % 2 ? 1 : 2, 0.1), Put(rec);
            FormatDateRecord(rec, 7, 6, 2026, 8 + t10 / 36000, t10 / 600 % 60, t10 / 10 % 60),
                Put(rec);
            for (int i = 0; i < 4; ++i) FormatOffsetRecord(rec, 0, 1, 0), Put(rec);
            FormatTimeRecord(rec, 8 + t10 / 36000, t10 / 600 % 60, t10 / 10 % 60, 0, tick),
                Put(rec);
            FormatTextRecord(rec, 'X', "$STARTED1", tick), Put(rec);
        }
        if (t10 % 2 == 0) { // 5 Hz
            const double along = (t10 % (lineSeconds * 10)) / 10.0;
            const double north = line % 2 ? lineSeconds - along : along, east = line * 1.0;
            const double lat = 48.1 + north / 111320.0, lon = 11.5 + east / 74300.0;
            char body[160];
            std::snprintf(
                body, sizeof body,
                "GPGGA,%02d%02d%05.2f,%02d%09.6f,N,%03d%09.6f,E,2,08,0.9,512.3,M,47.0,M,,",
                8 + t10 / 36000, t10 / 600 % 60, t10 % 600 / 10.0, (int)lat, (lat - (int)lat) * 60,
                (int)lon, (lon - (int)lon) * 60);
            const bool accepted = t10 % 10 == 0;
            Group(Sentence(body), ++fixes, accepted ? 'p' : ' ', tick);
            if (accepted)
                Group(Sentence("GPGSA,A,3,04,05,09,12,17,24,25,28,29,,,,1.5,0.9,1.2"), fixes, ' ',
                      tick + 30);
        }
        const int raw = (int)(40 + 30 * std::sin(t10 * 0.05));
        const unsigned char frame[16] = {'T',  0,
                                         0,    (unsigned char)raw,
                                         0,    (unsigned char)(raw / 2),
                                         0,    20,
                                         0,    10,
                                         0x0B, 0xB8,
                                         0,    0x0B,
                                         0xB8, 80};
        FormatReadingRecord(rec, frame, tick + 50), Put(rec);
    }
    char text[32];
    std::snprintf(text, sizeof text, "$F %6ld", fixes);
    FormatTextRecord(rec, 'X', text, start + seconds * 1000), Put(rec);
    std::snprintf(text, sizeof text, "$P %6ld", fixes / 5);
    FormatTextRecord(rec, 'X', text, start + seconds * 1000), Put(rec);
    std::fclose(Out);
    std::printf("%ld\n", Records);
    return 0;
}

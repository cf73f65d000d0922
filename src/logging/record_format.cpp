#include "logging/record_format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// One record being assembled. Text is appended up to column 25 and never
// beyond: a value wider than its columns shifts the rest of the record and
// is cut there, whatever its width (a station of 1e300 prints 304 digits).
struct RecordLine {
    char Text[RecordBufferBytes];
    size_t Used;
};

void Begin(RecordLine* line, const char* text = "")
{
    std::memset(line->Text, 0, sizeof line->Text);
    line->Used = 0;
    size_t n = std::strlen(text);
    if (n > RecordFeedColumn) n = RecordFeedColumn;
    std::memcpy(line->Text, text, n);
    line->Used = n;
}

void Append(RecordLine* line, const char* text, size_t n)
{
    size_t room = RecordFeedColumn - line->Used;
    if (n > room) n = room;
    std::memcpy(line->Text + line->Used, text, n);
    line->Used += n;
}

void Append(RecordLine* line, const char* text) { Append(line, text, std::strlen(text)); }

// printf-style append; only the part that fits before column 26 is kept,
// so a buffer one record long is enough for any value.
void AppendF(RecordLine* line, const char* format, ...)
{
    char text[RecordBufferBytes];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Append(line, text);
}

// Appends text cut to width characters or padded with spaces to width.
void AppendFixed(RecordLine* line, const char* text, size_t width)
{
    size_t n = text ? std::strlen(text) : 0;
    if (n > width) n = width;
    Append(line, text ? text : "", n);
    for (size_t i = n; i < width; ++i) Append(line, " ", 1);
}

// "%10ld" of a 32-bit tick as the hand-held's 32-bit long shows it: past
// 2^31 ms it reads negative, and an 11-character value is cut at column 25.
void AppendTick(RecordLine* line, uint32_t tick) { AppendF(line, "%10ld", (long)(int32_t)tick); }

// Pads with spaces, puts the line feed in column 26 and hands out the
// record with its terminator.
void Finish(const RecordLine& line, char* rec)
{
    std::memcpy(rec, line.Text, RecordBufferBytes);
    std::memset(rec + line.Used, ' ', RecordFeedColumn - line.Used);
    rec[RecordFeedColumn] = 0x0A;
    rec[RecordBytes] = 0;
}

} // namespace

void FormatConfigRecord(char* rec, int em61Mk2Type, int gpsEnabled, int units, int sensorSize,
                        int loggingMode)
{
    RecordLine line;
    Begin(&line, em61Mk2Type == 0 ? "QORMK2  W" : "QORMK2H W");
    Append(&line, "330");
    Append(&line, gpsEnabled ? "GPS" : "GRD");
    AppendF(&line, "%1d%1d%1d", units, sensorSize, loggingMode);
    Finish(line, rec);
}

void FormatFileNameRecord(char* rec, const char* baseName, double samplingValue)
{
    RecordLine line;
    Begin(&line, "Hg");
    AppendFixed(&line, baseName, 9);
    AppendF(&line, "%7.3f", samplingValue);
    Finish(line, rec);
}

void FormatGpsOptionsRecord(char* rec, const GpsOptionValues& v)
{
    RecordLine line;
    Begin(&line, "G");
    AppendF(&line, "%7.2f", v.GpsOffsetX);
    AppendF(&line, "%7.2f", v.GpsOffsetY);
    AppendF(&line, "%1d", v.PolledMode);
    Append(&line, v.StorageMode == 0 ? " " : (v.Portrait ? "3" : "2"));
    if (v.GpsType < 7)
        Append(&line, " ");
    else
        AppendF(&line, "%1d", v.GpsType == 7 ? v.RtsUnits : v.RtsUnits3);
    AppendF(&line, "%1d", v.MaxGpsDisplay);
    // Readers of the file know the second total-station type as 9.
    AppendF(&line, "%1d", v.GpsType == 8 ? 9 : v.GpsType);
    if (v.InstrumentEnabled < 1)
        Append(&line, "0");
    else
        AppendF(&line, "%1d", v.GpsEnabled);
    Finish(line, rec);
}

void FormatOffsetRecord(char* rec, float offset, int withPrevious, float previousOffset)
{
    RecordLine line;
    Begin(&line, "O");
    AppendF(&line, "%9.2f", offset);
    if (withPrevious) {
        Append(&line, " ");
        AppendF(&line, "%9.2f", previousOffset);
    }
    Finish(line, rec);
}

void FormatLineRecord(char* rec, const char* surveyLine)
{
    RecordLine line;
    Begin(&line, "L");
    AppendFixed(&line, surveyLine, 8);
    Finish(line, rec);
}

void FormatBeginStationRecord(char* rec, double startStation)
{
    RecordLine line;
    Begin(&line, "B");
    AppendF(&line, "%11.2f", startStation);
    Finish(line, rec);
}

void FormatDirectionRecord(char* rec, int lineDirection, double stationIncrement)
{
    static const char DirectionLetters[] = "WSNE";
    RecordLine line;
    Begin(&line, "A");
    char letter[2] = {'?', 0};
    if (lineDirection >= 0 && lineDirection <= 3) letter[0] = DirectionLetters[lineDirection];
    Append(&line, letter);
    Append(&line, "      ");
    AppendF(&line, "%11.3f", stationIncrement);
    Finish(line, rec);
}

void FormatDateRecord(char* rec, int day, int month, int year, int hour, int minute, int second)
{
    RecordLine line;
    Begin(&line);
    AppendF(&line, "Z%02d%02d%04d %02d:%02d:%02d", day, month, year, hour, minute, second);
    Finish(line, rec);
}

void FormatTimeRecord(char* rec, int hour, int minute, int second, int milliseconds, uint32_t tick)
{
    RecordLine line;
    Begin(&line);
    AppendF(&line, "*%02d:%02d:%02d.%03d   ", hour, minute, second, milliseconds);
    AppendTick(&line, tick);
    Finish(line, rec);
}

void FormatStationRecord(char* rec, double station, uint32_t tick)
{
    RecordLine line;
    Begin(&line, "S");
    AppendF(&line, "%11.2f", station);
    Append(&line, "    ");
    AppendTick(&line, tick);
    Finish(line, rec);
}

void FormatTextRecord(char* rec, char tag, const char* text, uint32_t tick)
{
    const char tagText[2] = {tag, 0};
    RecordLine line;
    Begin(&line, tagText);
    AppendFixed(&line, text, 11);
    Append(&line, "    ");
    AppendTick(&line, tick);
    Finish(line, rec);
}

void FormatReadingRecord(char* rec, const unsigned char* frame16, uint32_t tick)
{
    // The frame is binary (0x00 and 0x0A included): copied, never a string.
    RecordLine line;
    Begin(&line);
    std::memcpy(line.Text, frame16, 16);
    line.Used = 16;
    AppendTick(&line, tick);
    Finish(line, rec);
}

int FormatGpsRecordGroup(char (*recs)[RecordBufferBytes], int maxRecords, const char* text,
                         char first, char continuation, char trailer, char flag, int hasCounter,
                         long counter, uint32_t tick)
{
    const size_t TextPerRecord = 25;
    const size_t length = std::strlen(text);
    int count = 0;
    for (size_t at = 0; (at < length || at == 0) && count < maxRecords - 1; at += TextPerRecord) {
        const char tag[2] = {count == 0 ? first : continuation, 0};
        RecordLine line;
        Begin(&line, tag);
        const size_t n = length - at < TextPerRecord ? length - at : TextPerRecord;
        Append(&line, text + at, n);
        Finish(line, recs[count++]);
    }
    // Without a counter the flag follows the trailer tag directly.
    const char tag[2] = {trailer, 0};
    RecordLine line;
    Begin(&line, tag);
    if (hasCounter) AppendF(&line, "%06ld", counter);
    AppendF(&line, "%c", flag);
    // The tick stands in columns 16..25 whatever came before it.
    while (line.Used < 16) Append(&line, " ", 1);
    line.Used = 16;
    AppendTick(&line, tick);
    Finish(line, recs[count++]);
    return count;
}

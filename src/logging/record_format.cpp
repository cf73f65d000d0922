#include "logging/record_format.h"

#include <cstdio>
#include <cstring>

namespace {

// Text is assembled in a scratch line wider than a record, so that a value
// wider than its column range shifts the rest and is then cut instead of
// overrunning the record.
enum { ScratchBytes = 160 };

// Clears the record, copies at most 26 characters of the assembled text,
// pads with spaces and puts the line feed in column 26.
void FinishRecord(char* rec, const char* text)
{
    std::memset(rec, 0, RecordBufferBytes);
    size_t n = std::strlen(text);
    if (n > RecordFeedColumn)
        n = RecordFeedColumn;
    std::memcpy(rec, text, n);
    std::memset(rec + n, ' ', RecordFeedColumn - n);
    rec[RecordFeedColumn] = 0x0A;
}

// Appends text cut to width characters or padded with spaces to width.
void AppendFixed(char* line, const char* text, size_t width)
{
    size_t used = std::strlen(line);
    size_t n = text ? std::strlen(text) : 0;
    if (n > width)
        n = width;
    if (n)
        std::memcpy(line + used, text, n);
    std::memset(line + used + n, ' ', width - n);
    line[used + width] = 0;
}

void AppendFormat(char* line, const char* format, double value)
{
    size_t used = std::strlen(line);
    std::snprintf(line + used, ScratchBytes - used, format, value);
}

void AppendInt(char* line, const char* format, int value)
{
    size_t used = std::strlen(line);
    std::snprintf(line + used, ScratchBytes - used, format, value);
}

// "%10ld" of a 32-bit tick as the hand-held's 32-bit long shows it: past
// 2^31 ms it reads negative, and an 11-character value is cut at column 25.
void AppendTick(char* line, uint32_t tick)
{
    size_t used = std::strlen(line);
    std::snprintf(line + used, ScratchBytes - used, "%10ld", (long)(int32_t)tick);
}

}  // namespace

void FormatConfigRecord(char* rec, int em61Mk2Type, int gpsEnabled, int units,
                        int sensorSize, int loggingMode)
{
    char line[ScratchBytes] = "";
    std::strcpy(line, em61Mk2Type == 0 ? "QORMK2  W" : "QORMK2H W");
    std::strcat(line, "330");
    std::strcat(line, gpsEnabled ? "GPS" : "GRD");
    AppendInt(line, "%1d", units);
    AppendInt(line, "%1d", sensorSize);
    AppendInt(line, "%1d", loggingMode);
    FinishRecord(rec, line);
}

void FormatFileNameRecord(char* rec, const char* baseName, double samplingValue)
{
    char line[ScratchBytes] = "Hg";
    AppendFixed(line, baseName, 9);
    AppendFormat(line, "%7.3f", samplingValue);
    FinishRecord(rec, line);
}

void FormatGpsOptionsRecord(char* rec, const GpsOptionValues& v)
{
    char line[ScratchBytes] = "G";
    AppendFormat(line, "%7.2f", v.GpsOffsetX);
    AppendFormat(line, "%7.2f", v.GpsOffsetY);
    AppendInt(line, "%1d", v.PolledMode);
    std::strcat(line, v.StorageMode == 0 ? " " : (v.Portrait ? "3" : "2"));
    if (v.GpsType < 7)
        std::strcat(line, " ");
    else
        AppendInt(line, "%1d", v.GpsType == 7 ? v.RtsUnits : v.RtsUnits3);
    AppendInt(line, "%1d", v.MaxGpsDisplay);
    // Readers of the file know the second total-station type as 9.
    AppendInt(line, "%1d", v.GpsType == 8 ? 9 : v.GpsType);
    if (v.InstrumentEnabled < 1)
        std::strcat(line, "0");
    else
        AppendInt(line, "%1d", v.GpsEnabled);
    FinishRecord(rec, line);
}

void FormatOffsetRecord(char* rec, float offset, int withPrevious, float previousOffset)
{
    char line[ScratchBytes] = "O";
    AppendFormat(line, "%9.2f", offset);
    if (withPrevious) {
        std::strcat(line, " ");
        AppendFormat(line, "%9.2f", previousOffset);
    }
    FinishRecord(rec, line);
}

void FormatLineRecord(char* rec, const char* surveyLine)
{
    char line[ScratchBytes] = "L";
    AppendFixed(line, surveyLine, 8);
    FinishRecord(rec, line);
}

void FormatBeginStationRecord(char* rec, double startStation)
{
    char line[ScratchBytes] = "B";
    AppendFormat(line, "%11.2f", startStation);
    FinishRecord(rec, line);
}

void FormatDirectionRecord(char* rec, int lineDirection, double stationIncrement)
{
    static const char DirectionLetters[] = "WSNE";
    char line[ScratchBytes] = "A";
    char letter[2] = {'?', 0};
    if (lineDirection >= 0 && lineDirection <= 3)
        letter[0] = DirectionLetters[lineDirection];
    std::strcat(line, letter);
    std::strcat(line, "      ");
    AppendFormat(line, "%11.3f", stationIncrement);
    FinishRecord(rec, line);
}

void FormatDateRecord(char* rec, int day, int month, int year, int hour, int minute,
                      int second)
{
    char line[ScratchBytes];
    std::snprintf(line, sizeof line, "Z%02d%02d%04d %02d:%02d:%02d", day, month, year, hour,
                  minute, second);
    FinishRecord(rec, line);
}

void FormatTimeRecord(char* rec, int hour, int minute, int second, int milliseconds,
                      uint32_t tick)
{
    char line[ScratchBytes];
    std::snprintf(line, sizeof line, "*%02d:%02d:%02d.%03d   ", hour, minute, second,
                  milliseconds);
    AppendTick(line, tick);
    FinishRecord(rec, line);
}

void FormatStationRecord(char* rec, double station, uint32_t tick)
{
    char line[ScratchBytes] = "S";
    AppendFormat(line, "%11.2f", station);
    std::strcat(line, "    ");
    AppendTick(line, tick);
    FinishRecord(rec, line);
}

void FormatTextRecord(char* rec, char tag, const char* text, uint32_t tick)
{
    char line[ScratchBytes] = {tag, 0};
    AppendFixed(line, text, 11);
    std::strcat(line, "    ");
    AppendTick(line, tick);
    FinishRecord(rec, line);
}

void FormatReadingRecord(char* rec, const unsigned char* frame16, uint32_t tick)
{
    // The frame is binary: it is copied, never treated as a string.
    char tickText[ScratchBytes] = "";
    AppendTick(tickText, tick);
    FinishRecord(rec, "");
    std::memcpy(rec, frame16, 16);
    size_t n = std::strlen(tickText);
    if (n > RecordFeedColumn - 16)
        n = RecordFeedColumn - 16;
    std::memcpy(rec + 16, tickText, n);
}

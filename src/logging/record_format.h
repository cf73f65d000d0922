// Byte layouts of the 27-byte data file records (26 data bytes and a line
// feed). Each builder fills a caller's buffer of RecordBufferBytes from plain
// values; the record is its first RecordBytes bytes. Free of Win32 so that
// the layouts can be checked natively.
#pragma once
#include <cstddef>
#include <cstdint>

enum {
    RecordBytes = 27,       // written to the file
    RecordBufferBytes = 28, // one spare byte for the string terminator
    RecordFeedColumn = 26,  // the line feed always stands here
};

// Header line H1: instrument type, program version, GPS or grid survey,
// units, sensor size and logging mode.
void FormatConfigRecord(char* rec, int em61Mk2Type, int gpsEnabled, int units, int sensorSize,
                        int loggingMode);

// Header line H2: file base name (cut or padded to 9) and the sampling value
// of the logging mode.
void FormatFileNameRecord(char* rec, const char* baseName, double samplingValue);

struct GpsOptionValues {
    float GpsOffsetX, GpsOffsetY;
    int PolledMode;
    int StorageMode;
    int Portrait;
    int GpsType;
    int RtsUnits, RtsUnits3;
    int MaxGpsDisplay;
    int InstrumentEnabled;
    int GpsEnabled;
};
// Header line H3: GPS antenna offsets and acquisition options.
void FormatGpsOptionsRecord(char* rec, const GpsOptionValues& v);

// O record: the null offset of one channel, followed by the previous offset
// when withPrevious is non-zero (the header carries only the current one).
void FormatOffsetRecord(char* rec, float offset, int withPrevious, float previousOffset);

// L record: survey line name (8-bit text), cut or padded to 8.
void FormatLineRecord(char* rec, const char* surveyLine);
// B record: start station.
void FormatBeginStationRecord(char* rec, double startStation);
// A record: line direction (0 W, 1 S, 2 N, 3 E) and station increment.
void FormatDirectionRecord(char* rec, int lineDirection, double stationIncrement);
// Z record: local date DDMMYYYY and time HH:MM:SS.
void FormatDateRecord(char* rec, int day, int month, int year, int hour, int minute, int second);

// * record: local time with milliseconds and the tick taken just before it.
void FormatTimeRecord(char* rec, int hour, int minute, int second, int milliseconds, uint32_t tick);
// S record: station number and tick.
void FormatStationRecord(char* rec, double station, uint32_t tick);
// C (comment) or X (event) record: 8-bit text cut or padded to 11, and tick.
void FormatTextRecord(char* rec, char tag, const char* text, uint32_t tick);

// Reading record: the 16 decoded frame bytes as they are (any byte value,
// 0x0A and 0x00 included) and the tick of the frame or request.
void FormatReadingRecord(char* rec, const unsigned char* frame16, uint32_t tick);

// A GPS record group: the sentence text in records of 25 characters (the
// first with tag `first`, the others with `continuation`, the last padded),
// then the trailer: tag `trailer`, the counter as "%06ld" when hasCounter,
// the flag and the tick in columns 16..25. Returns the number of records
// built into recs (at most maxRecords; a 255-character sentence needs 12).
int FormatGpsRecordGroup(char (*recs)[RecordBufferBytes], int maxRecords, const char* text,
                         char first, char continuation, char trailer, char flag, int hasCounter,
                         long counter, uint32_t tick);

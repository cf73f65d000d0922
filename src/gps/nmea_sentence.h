// The byte-level rules of GPS sentences: comma fields, the '$' ... '*'
// envelope and its checksum, the field table of each GPS type and the
// decoding of a position sentence's fields. Free of Win32 and of globals,
// so that it is tested and fuzzed on the host; the handlers feed it.
#pragma once
#include <cstdint>

enum { GPS_FIELD_CHARS = 19, GPS_TABLE_ENTRIES = 7, GPS_TYPE_TOTAL_STATION = 7 };

// Field n (1-based) of text between separators into out (at most 19
// characters and a NUL); 0 when text has fewer than n - 1 separators. Field
// 1 is the text before the first separator; an empty field gives "" and 1.
int GetField(const char* text, int n, char separator, char* out);

// Assembles sentences from the port's bytes. A sentence starts at '$' and
// ends at the line feed (the byte before it, the carriage return, is cut
// off). The index is not reset at the line feed: a following line without
// '$' is appended behind the old sentence's NUL, so its line feed delivers
// the old sentence again. A line longer than 200 characters starts over at
// index 0 (and then no longer starts with '$').
struct SentenceCutter {
    char Line[260];
    int Index;
};
enum CutResult { CUT_TAKEN, CUT_STARTED, CUT_SENTENCE };
// CUT_STARTED: this byte was a '$' (the sentence's time is now).
// CUT_SENTENCE: out (256 bytes) holds the sentence.
CutResult FeedSentenceByte(SentenceCutter* c, unsigned char byte, char out[256]);

// Exclusive-or of the characters after the '$' up to the first '*' (or the end).
unsigned NmeaChecksum(const char* sentence);

enum SentenceCheck {
    SENTENCE_MALFORMED,    // no '$' first or no '*'
    SENTENCE_BAD_CHECKSUM, // the hexadecimal number after the last '*' differs
    SENTENCE_VALID,
};
// compareChecksum 0 (the total station's GGA) accepts any checksum.
SentenceCheck CheckSentence(const char* sentence, int compareChecksum);

// Field kinds of a position sentence.
enum GpsFieldKind {
    FIELD_SATELLITES = 0,
    FIELD_QUALITY = 1,
    FIELD_LAT_HEMISPHERE = 2,
    FIELD_LATITUDE = 3,
    FIELD_LON_HEMISPHERE = 4,
    FIELD_LONGITUDE = 5,
    FIELD_DOP = 6, // 7 and 10 too
    FIELD_NORTHING = 8,
    FIELD_EASTING = 9,
};

struct GpsFormatRecord {
    char SentenceId[4];
    uint32_t FieldCount;
    uint32_t FieldKind[GPS_TABLE_ENTRIES];
    uint32_t FieldIndex[GPS_TABLE_ENTRIES];
    uint32_t TimeIndex; // field of the time of day (hhmmss.ss); 0: none
};

// The table of GPS type 0..7; type 8 (label records) and others leave
// format as it is.
void LoadGpsFormat(int gpsType, GpsFormatRecord* format);

// What one position sentence gave. Every sentence starts from an empty
// record: nothing a previous sentence (or receiver) decoded carries over.
struct PositionFields {
    int PositionOk;
    int Geographic;                   // latitude/longitude (to project) or grid (distance units)
    double First, Second;             // latitude, longitude or northing, easting
    double FirstMetres, SecondMetres; // a grid position in metres, for the read-outs
    int Satellites;
    int Quality;
    char QualityChar; // selects the status label; 0 when no quality field
    int HasPdop;
    float Pdop;
    int LatitudeSign, LongitudeSign;
};

// Decodes sentence by format. units and rtsUnits are the settings of the
// same names (grid values end up in the distance unit). A coordinate that
// is not a finite number makes the position unusable.
void DecodePositionFields(const char* sentence, const GpsFormatRecord& format, int gpsType,
                          int units, int rtsUnits, PositionFields* fields);

// The status label of a quality character: "NO FIX", "AGPS", "DGPS",
// "RTK3".."RTK9", "RTS" or "UNKW".
const char* QualityLabel(char qualityChar);

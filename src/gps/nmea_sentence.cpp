// GPS sentence fields, envelope, tables and decoding (see nmea_sentence.h).
#include "gps/nmea_sentence.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

int GetField(const char* text, int n, char separator, char* out)
{
    out[0] = 0;
    const char* start = text;
    for (int i = 1; i < n; ++i) {
        start = std::strchr(start, separator);
        if (start == nullptr) return 0;
        ++start;
    }
    const char stop[2] = {separator, 0};
    size_t length = std::strcspn(start, stop);
    if (length > GPS_FIELD_CHARS) length = GPS_FIELD_CHARS;
    std::memcpy(out, start, length);
    out[length] = 0;
    return 1;
}

unsigned NmeaChecksum(const char* sentence)
{
    unsigned sum = 0;
    for (const char* p = sentence + (sentence[0] ? 1 : 0); *p && *p != '*'; ++p)
        sum ^= (unsigned char)*p;
    return sum;
}

SentenceCheck CheckSentence(const char* sentence, int compareChecksum)
{
    const char* star = std::strrchr(sentence, '*');
    if (sentence[0] != '$' || star == nullptr) return SENTENCE_MALFORMED;
    if (!compareChecksum) return SENTENCE_VALID;
    // Any case of hexadecimal digits counts.
    return std::strtoul(star + 1, nullptr, 16) == NmeaChecksum(sentence) ? SENTENCE_VALID
                                                                         : SENTENCE_BAD_CHECKSUM;
}

CutResult FeedSentenceByte(SentenceCutter* c, unsigned char byte, char out[256])
{
    enum { WRAP = 200 };
    if (byte == '\n') {
        if (c->Index == 0) return CUT_TAKEN;
        c->Line[c->Index - 1] = 0;
        std::memcpy(out, c->Line, (size_t)c->Index);
        return CUT_SENTENCE;
    }
    if (byte == '$') {
        c->Line[0] = '$';
        c->Index = 1;
        return CUT_STARTED;
    }
    if (c->Index > WRAP) c->Index = 0;
    c->Line[c->Index++] = (char)byte;
    return CUT_TAKEN;
}

namespace {

// One row a GPS type: its sentence and its (kind, field number) entries, in
// the order they are decoded (a hemisphere before its coordinate).
// The last column is where the type carries its time of day: field 2 is a
// time only in GGA; POS has it after mode and satellites, LLK, LLQ and GGK
// after their sentence name, GLL after the position.
const GpsFormatRecord GpsFormats[] = {
    {"GGA", 6, {0, 1, 2, 3, 4, 5}, {8, 7, 4, 3, 6, 5}, 2},         // 0 GGA/GSA: DOP from GSA
    {"GGA", 7, {0, 1, 2, 3, 4, 5, 7}, {8, 7, 4, 3, 6, 5, 9}, 2},   // 1 GGA
    {"POS", 7, {0, 1, 2, 3, 4, 5, 6}, {4, 3, 7, 6, 9, 8, 15}, 5},  // 2 POS
    {"LLK", 5, {0, 1, 8, 9, 10}, {9, 8, 6, 4, 10}, 3},             // 3 LLK
    {"LLQ", 5, {0, 1, 8, 9, 10}, {9, 8, 6, 4, 10}, 3},             // 4 LLQ
    {"GLL", 4, {2, 3, 4, 5}, {3, 2, 5, 4}, 6},                     // 5 GLL
    {"GGK", 7, {0, 1, 2, 3, 4, 5, 6}, {10, 9, 6, 5, 8, 7, 11}, 3}, // 6 GGK
    {"GGA", 3, {1, 8, 9}, {0, 3, 5}, 2},                           // 7 RTS pGGA
};

const double FeetToMetres = 0.3048, UsFeetToMetres = 0.304800609601219;
const double MetresToFeet = 3.28084, MetresToUsFeet = 3.2808333333333355;

// ddmm.mmmm (two degree digits) or dddmm.mmmm (three).
double GeographicValue(const char* field, int degreeDigits, int sign)
{
    char degrees[4] = {};
    char minutes[9] = {};
    const size_t length = std::strlen(field);
    std::memcpy(degrees, field, length < (size_t)degreeDigits ? length : degreeDigits);
    if (length > (size_t)degreeDigits)
        std::memcpy(minutes, field + degreeDigits,
                    length - degreeDigits < 8 ? length - degreeDigits : 8);
    return (std::atof(degrees) + std::atof(minutes) / 60.0) * sign;
}

// A grid value of the total station or the receiver in metres (or feet, by
// the units letter of the total station's GGA), in metres.
double GridMetres(const char* sentence, const char* field, int gpsType, int rtsUnits)
{
    double value = std::strtod(field, nullptr);
    char letter[GPS_FIELD_CHARS + 1];
    if (gpsType == GPS_TYPE_TOTAL_STATION && GetField(sentence, 11, ',', letter) &&
        letter[0] == 'F')
        value *= rtsUnits == 1 ? UsFeetToMetres : FeetToMetres;
    return value;
}

} // namespace

void LoadGpsFormat(int gpsType, GpsFormatRecord* format)
{
    if (gpsType >= 0 && gpsType < (int)(sizeof GpsFormats / sizeof GpsFormats[0]))
        *format = GpsFormats[gpsType];
}

void DecodePositionFields(const char* sentence, const GpsFormatRecord& format, int gpsType,
                          int units, int rtsUnits, PositionFields* f)
{
    *f = PositionFields{};
    f->PositionOk = 1;
    f->LatitudeSign = f->LongitudeSign = 1;
    for (uint32_t i = 0; i < format.FieldCount && i < GPS_TABLE_ENTRIES; ++i) {
        const uint32_t kind = format.FieldKind[i];
        char field[GPS_FIELD_CHARS + 1];
        const int present = GetField(sentence, (int)format.FieldIndex[i], ',', field) && field[0];
        switch (kind) {
        case FIELD_SATELLITES:
            f->Satellites = present ? std::atoi(field) : 0;
            if (f->Satellites < 3) f->PositionOk = 0;
            break;
        case FIELD_QUALITY:
            if (gpsType == GPS_TYPE_TOTAL_STATION) {
                f->QualityChar = 'R';
                break;
            }
            f->Quality = (present ? std::atoi(field) : 0) + (gpsType == 2 ? 1 : 0);
            if (gpsType <= 1 && f->Quality == 0) f->PositionOk = 0;
            if (present) f->QualityChar = f->Satellites < 3 ? '0' : field[0];
            break;
        case FIELD_LAT_HEMISPHERE:
        case FIELD_LON_HEMISPHERE: {
            int* sign = kind == FIELD_LAT_HEMISPHERE ? &f->LatitudeSign : &f->LongitudeSign;
            const char c = present ? field[0] : 0;
            if (c == 'N' || c == 'E')
                *sign = 1;
            else if (c == 'S' || c == 'W')
                *sign = -1;
            else
                f->PositionOk = 0;
            break;
        }
        case FIELD_LATITUDE:
        case FIELD_LONGITUDE: {
            f->Geographic = 1;
            if (!present) {
                f->PositionOk = 0;
                break;
            }
            const int latitude = kind == FIELD_LATITUDE;
            const double v = GeographicValue(field, latitude ? 2 : 3,
                                             latitude ? f->LatitudeSign : f->LongitudeSign);
            if (!std::isfinite(v)) f->PositionOk = 0; // "nan", "1e999" would poison the run
            (latitude ? f->First : f->Second) = v;
            break;
        }
        case FIELD_NORTHING:
        case FIELD_EASTING:
            f->Geographic = 0;
            if (!present) {
                f->PositionOk = 0;
                break;
            }
            {
                const double metres = GridMetres(sentence, field, gpsType, rtsUnits);
                if (!std::isfinite(metres)) f->PositionOk = 0;
                (kind == FIELD_NORTHING ? f->FirstMetres : f->SecondMetres) = metres;
                (kind == FIELD_NORTHING ? f->First : f->Second) = units == 1 ? metres * MetresToFeet
                                                                  : units == 2
                                                                      ? metres * MetresToUsFeet
                                                                      : metres;
                break;
            }
        case FIELD_DOP:
        case 7:
        case 10:
            if (present) {
                f->Pdop = (float)std::fabs(std::strtod(field, nullptr));
                f->HasPdop = 1;
            }
            break;
        default: break; // kinds outside 0..10 are skipped
        }
    }
}

const char* QualityLabel(char c)
{
    static const char* const Rtk[] = {"RTK3", "RTK4", "RTK5", "RTK6", "RTK7", "RTK8", "RTK9"};
    switch (c) {
    case '0': return "NO FIX";
    case '1': return "AGPS";
    case '2': return "DGPS";
    case 'R': return "RTS";
    default: return c >= '3' && c <= '9' ? Rtk[c - '3'] : "UNKW";
    }
}

// The configuration file's text: the layout of its lines, how each value
// is read and checked, and how the whole file is written. Free of Win32 so
// that it is tested and fuzzed on the host.
#include "settings/config_text.h"
#include "settings/settings.h"
#include "settings/entry_rules.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

const char ConfigVersion[] = "Ver3.30";
enum { SURVEY_LINE_CHARS = 24 };

enum ValueKind {
    INT_VALUE,    // atoi, "%d"
    LONG_VALUE,   // atol, "%ld": colours, map scale, satellites
    FLOAT_VALUE,  // decimal number, "%f" of the value widened to double
    DOUBLE_VALUE, // decimal number, "%f"
    TEXT_VALUE,   // the survey line, multibyte in the file
};

// Run after a line is stored; returns 0 when the file must count as corrupt.
typedef int (*AfterLineFn)();

struct ConfigLine {
    ValueKind kind;
    void* field;
    int checked; // integer lines with an accepted range
    int32_t low, high;
    AfterLineFn after;
    ConfigDerivedStep derive; // values that follow once this line is in
    // Lines whose value the program could not use (a column it would not
    // fit, a map mirrored or collapsed) are brought into this range as
    // they are read; the file itself is left as it is.
    int kept;
    double keepLow, keepHigh;
};

static ConfigLine Value(ValueKind kind, void* field, AfterLineFn after = nullptr,
                        ConfigDerivedStep derive = DERIVE_NOTHING)
{
    return {kind, field, 0, 0, 0, after, derive, 0, 0, 0};
}

static ConfigLine Ranged(int32_t* field, int32_t low, int32_t high,
                         ConfigDerivedStep derive = DERIVE_NOTHING)
{
    return {INT_VALUE, field, 1, low, high, nullptr, derive, 0, 0, 0};
}

static ConfigLine Kept(ValueKind kind, void* field, double low, double high,
                       ConfigDerivedStep derive = DERIVE_NOTHING, AfterLineFn after = nullptr)
{
    return {kind, field, 0, 0, 0, after, derive, 1, low, high};
}

// Kept within what the dialogs accept for that kind of value.
static ConfigLine Kept(ValueKind kind, void* field, EntryValue typed,
                       ConfigDerivedStep derive = DERIVE_NOTHING, AfterLineFn after = nullptr)
{
    return Kept(kind, field, RangeOf(typed).Low, RangeOf(typed).High, derive, after);
}

static int AllOf(const int32_t* values, int32_t low, int32_t high)
{
    for (int i = 0; i < 8; ++i)
        if (values[i] < low || values[i] > high) return 0;
    return 1;
}

// The eight channel lines of a group are checked only once all are read.
static int AfterChannelShown() { return AllOf(Settings.ChannelShown, 0, 1); }
static int AfterChannelPenWidth() { return AllOf(Settings.ChannelPenWidth, 1, 5); }

static int AfterProfileScaleMax() { return Settings.ProfileScaleMax > Settings.ProfileScaleMin; }

// The speed bar always starts at zero, whatever the file says.
static int AfterSpeedScaleMin()
{
    Settings.SpeedScaleMin = 0.0f;
    return 1;
}

static int AfterSpeedScaleMax()
{
    if (!(Settings.SpeedScaleMax > 0.0f)) return 0;
    // Above zero yet too small or too large to draw: kept in range.
    Settings.SpeedScaleMax = (float)Clamp(VALUE_SPEED_SCALE, Settings.SpeedScaleMax);
    return 1;
}

// The grid interval (line 67) is in by now: at most 20 intervals across.
static int AfterMapScale()
{
    CorrectMapScale(&Settings.MapScale, &Settings.MapGridInterval);
    return 1;
}

// Lines 2 to 79, in file order.
static const ConfigLine ConfigLines[] = {
    Ranged(&Settings.InstrumentEnabled, 0, 1),   //  2
    Kept(INT_VALUE, &Settings.SensorSize, 0, 2), //  3
    Ranged(&Settings.Units, 0, 2),               //  4
    Ranged(&Settings.SpeedUnits, 0, 3),          //  5
    Ranged(&Settings.InstrumentPort, 0, 23),     //  6
    Ranged(&Settings.Audio, 0, 1),               //  7
    Ranged(&Settings.PauseKey, 0, 3),            //  8
    Value(INT_VALUE, &Settings.SoftKeyboard),    //  9
    Value(INT_VALUE, &Settings.ChannelShown[0]), // 10
    Value(INT_VALUE, &Settings.ChannelShown[1]),
    Value(INT_VALUE, &Settings.ChannelShown[2]),
    Value(INT_VALUE, &Settings.ChannelShown[3]),
    Value(INT_VALUE, &Settings.ChannelShown[4]),
    Value(INT_VALUE, &Settings.ChannelShown[5]),
    Value(INT_VALUE, &Settings.ChannelShown[6]),
    Value(INT_VALUE, &Settings.ChannelShown[7], AfterChannelShown), // 17
    Value(INT_VALUE, &Settings.ChannelPenWidth[0]),                 // 18
    Value(INT_VALUE, &Settings.ChannelPenWidth[1]),
    Value(INT_VALUE, &Settings.ChannelPenWidth[2]),
    Value(INT_VALUE, &Settings.ChannelPenWidth[3]),
    Value(INT_VALUE, &Settings.ChannelPenWidth[4]),
    Value(INT_VALUE, &Settings.ChannelPenWidth[5]),
    Value(INT_VALUE, &Settings.ChannelPenWidth[6]),
    Value(INT_VALUE, &Settings.ChannelPenWidth[7], AfterChannelPenWidth), // 25
    Value(LONG_VALUE, &Settings.ChannelColor[0]),                         // 26
    Value(LONG_VALUE, &Settings.ChannelColor[1]),
    Value(LONG_VALUE, &Settings.ChannelColor[2]),
    Value(LONG_VALUE, &Settings.ChannelColor[3]),
    Value(LONG_VALUE, &Settings.ChannelColor[4]),
    Value(LONG_VALUE, &Settings.ChannelColor[5]),
    Value(LONG_VALUE, &Settings.ChannelColor[6]),
    Value(LONG_VALUE, &Settings.ChannelColor[7]),  // 33
    Ranged(&Settings.CompressedProfiles, 0, 1),    // 34
    Value(FLOAT_VALUE, &Settings.ProfileScaleMin), // 35
    Value(FLOAT_VALUE, &Settings.ProfileScaleMax, AfterProfileScaleMax,
          DERIVE_PROFILE_SCALE),                                     // 36
    Ranged(&Settings.GpsEnabled, 0, 1),                              // 37
    Ranged(&Settings.GpsType, 0, 8),                                 // 38
    Ranged(&Settings.GpsPort, 0, 23),                                // 39
    Ranged(&Settings.GpsBaudRate, 0, 5),                             // 40
    Ranged(&Settings.GpsDataBits, 0, 1),                             // 41
    Ranged(&Settings.GpsParity, 0, 2),                               // 42
    Ranged(&Settings.GpsStopBits, 0, 1),                             // 43
    Kept(INT_VALUE, &Settings.MaxGpsDisplay, 0, 1, DERIVE_GPS_DISPLAY), // 44
    Value(FLOAT_VALUE, &Settings.SpeedScaleMin, AfterSpeedScaleMin), // 45
    Value(FLOAT_VALUE, &Settings.SpeedScaleMax, AfterSpeedScaleMax,
          DERIVE_SPEED_SCALE),                                                // 46
    Ranged(&Settings.LoggingMode, 0, 2),                                      // 47
    Kept(DOUBLE_VALUE, &Settings.AutoStationIncrement, VALUE_STATION_INCREMENT),   // 48
    Kept(DOUBLE_VALUE, &Settings.WheelIncrement, VALUE_STATION_INCREMENT),         // 49
    Kept(DOUBLE_VALUE, &Settings.ManualStationIncrement, VALUE_STATION_INCREMENT), // 50
    Kept(FLOAT_VALUE, &Settings.ReadingInterval, VALUE_READING_INTERVAL,
         DERIVE_READING_INTERVAL), // 51
    Value(TEXT_VALUE, Settings.SurveyLine),                                   // 52
    Kept(DOUBLE_VALUE, &Settings.LineIncrement, VALUE_LINE_INCREMENT),        // 53
    Ranged(&Settings.LineSequence, 0, 1),                                     // 54
    Ranged(&Settings.LineDirection, 0, 3),                                    // 55
    Kept(DOUBLE_VALUE, &Settings.StartStation, VALUE_STATION, DERIVE_STATION), // 56
    Value(INT_VALUE, &Settings.CoordinatesDisplay),                           // 57
    Ranged(&Settings.MapCurrentSize, 0, 5, DERIVE_MAP_MARKER),                // 58
    Ranged(&Settings.MapSavedSize, 0, 5),                                     // 59
    Ranged(&Settings.MapExternalSize, 0, 5),                                  // 60
    Value(LONG_VALUE, &Settings.MapCurrentColor),                             // 61
    Value(LONG_VALUE, &Settings.MapSavedColor),                               // 62
    Value(LONG_VALUE, &Settings.MapExternalColor),                            // 63
    Value(INT_VALUE, &Settings.AsciiLatColumn),                               // 64
    Value(INT_VALUE, &Settings.AsciiLonColumn),                               // 65
    Value(INT_VALUE, &Settings.AsciiDelimiter),                               // 66
    Kept(FLOAT_VALUE, &Settings.MapGridInterval, VALUE_GRID_INTERVAL),        // 67
    Kept(LONG_VALUE, &Settings.MapScale, VALUE_MAP_SCALE, DERIVE_NOTHING, AfterMapScale), // 68
    Kept(INT_VALUE, &Settings.MapEdgeMargin, VALUE_MAP_EDGE_MARGIN, DERIVE_MAP_EDGE),     // 69
    Value(INT_VALUE, &Settings.GpsWarning),                                   // 70
    Value(INT_VALUE, &Settings.GpsWarnQuality),                               // 71
    Value(LONG_VALUE, &Settings.GpsWarnSatellites),                           // 72
    Value(FLOAT_VALUE, &Settings.GpsWarnPdop),                                // 73
    Kept(FLOAT_VALUE, &Settings.GpsOffsetX, VALUE_GPS_OFFSET),                // 74
    Kept(FLOAT_VALUE, &Settings.GpsOffsetY, VALUE_GPS_OFFSET),                // 75
    Value(INT_VALUE, &Settings.SoftMarker),                                   // 76
    Value(INT_VALUE, &Settings.SoftKeyboard),                                 // 77: this copy wins
    Kept(INT_VALUE, &Settings.RtsUnits, 0, 1),                                // 78
    Kept(INT_VALUE, &Settings.RtsUnits3, 0, 2),                               // 79
};
static_assert(sizeof ConfigLines / sizeof ConfigLines[0] == 78, "lines 2 to 79");

// A decimal number at the start of the text (after blanks), else 0. Only
// plain decimal notation counts: no hexadecimal, "inf" or "nan".
static double ParseDecimal(const char* text)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p == '.') ++p;
    while (*p >= '0' && *p <= '9') ++p;
    if (p == digits || (p == digits + 1 && *digits == '.')) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* exponent = p + 1;
        if (*exponent == '+' || *exponent == '-') ++exponent;
        if (*exponent >= '0' && *exponent <= '9') {
            p = exponent;
            while (*p >= '0' && *p <= '9') ++p;
        }
    }
    char number[CONFIG_LINE_CHARS];
    size_t length = (size_t)(p - start);
    std::memcpy(number, start, length);
    number[length] = '\0';
    return std::strtod(number, nullptr);
}

static void StoreSurveyLine(const char* text)
{
    wchar_t* line = Settings.SurveyLine;
    if (std::mbstowcs(line, text, SURVEY_LINE_CHARS - 1) == (size_t)-1) {
        // Not valid in the current code page: keep the bytes as they are.
        int i = 0;
        for (; i < SURVEY_LINE_CHARS - 1 && text[i]; ++i) line[i] = (unsigned char)text[i];
        line[i] = L'\0';
    }
    line[SURVEY_LINE_CHARS - 1] = L'\0'; // a longer name is cut
}

// A number as the file will hold it once it is saved again: six decimals,
// a line cut where reading cuts it, an infinity as no number at all. The
// checks then judge what the next start will read, so that a value that
// passes them (a scale maximum of 0.0000004 above a minimum of 0) cannot
// turn into one that fails them (both 0.000000) after a save.
static double AsWritten(double value)
{
    char text[400];
    std::snprintf(text, sizeof text, "%f", value);
    text[CONFIG_LINE_CHARS - 1] = '\0';
    return ParseDecimal(text);
}

// Beyond the range of a float the value would be an infinity.
static float FloatAsWritten(double value)
{
    return std::fabs(value) <= FLT_MAX ? (float)AsWritten((double)(float)value) : 0.0f;
}

static void StoreValue(const ConfigLine& line, const char* text)
{
    switch (line.kind) {
    case INT_VALUE: *(int32_t*)line.field = std::atoi(text); break;
    case LONG_VALUE: *(int32_t*)line.field = (int32_t)std::atol(text); break;
    case FLOAT_VALUE: *(float*)line.field = FloatAsWritten(ParseDecimal(text)); break;
    case DOUBLE_VALUE: *(double*)line.field = AsWritten(ParseDecimal(text)); break;
    case TEXT_VALUE: StoreSurveyLine(text); break;
    }
}

static double Between(double value, double low, double high)
{
    return value > high ? high : value >= low ? value : low;
}

static void KeepInRange(const ConfigLine& line)
{
    switch (line.kind) {
    case INT_VALUE:
    case LONG_VALUE: {
        int32_t* value = (int32_t*)line.field;
        *value = (int32_t)Between(*value, line.keepLow, line.keepHigh);
        break;
    }
    case FLOAT_VALUE: {
        float* value = (float*)line.field;
        *value = (float)Between(*value, line.keepLow, line.keepHigh);
        break;
    }
    case DOUBLE_VALUE: {
        double* value = (double*)line.field;
        *value = Between(*value, line.keepLow, line.keepHigh);
        break;
    }
    case TEXT_VALUE: break;
    }
}

static void FormatSurveyLine(char* out, size_t outBytes)
{
    wchar_t line[SURVEY_LINE_CHARS];
    std::wmemcpy(line, Settings.SurveyLine, SURVEY_LINE_CHARS);
    line[SURVEY_LINE_CHARS - 1] = L'\0';
    if (std::wcstombs(out, line, outBytes - 1) == (size_t)-1) {
        // A character the code page cannot hold is written as '?'.
        size_t i = 0;
        for (; line[i]; ++i) out[i] = line[i] < 256 ? (char)line[i] : '?';
        out[i] = '\0';
    }
    out[outBytes - 1] = '\0';
}

static void FormatValue(const ConfigLine& line, char* out, size_t outBytes)
{
    switch (line.kind) {
    case INT_VALUE: std::snprintf(out, outBytes, "%d\r\n", *(const int32_t*)line.field); break;
    case LONG_VALUE:
        std::snprintf(out, outBytes, "%ld\r\n", (long)*(const int32_t*)line.field);
        break;
    case FLOAT_VALUE:
        std::snprintf(out, outBytes, "%f\r\n", (double)*(const float*)line.field);
        break;
    case DOUBLE_VALUE: std::snprintf(out, outBytes, "%f\r\n", *(const double*)line.field); break;
    case TEXT_VALUE: {
        char text[CONFIG_LINE_CHARS];
        FormatSurveyLine(text, sizeof text);
        std::snprintf(out, outBytes, "%s\r\n", text);
        break;
    }
    }
}

// The whole file as it is written: the version line and the value lines.
std::string ConfigFileText()
{
    std::string text = std::string(ConfigVersion) + "\r\n";
    // Wide enough for "%f" of the largest double.
    char line[400];
    for (const ConfigLine& entry : ConfigLines) {
        FormatValue(entry, line, sizeof line);
        text += line;
    }
    return text;
}

int ReadConfigLines(ConfigLineSource next, void* source, ConfigDeriveFunction derive)
{
    char text[CONFIG_LINE_CHARS];
    for (const ConfigLine& line : ConfigLines) {
        next(source, text);
        StoreValue(line, text);
        if (line.kept) KeepInRange(line);
        int32_t value = line.checked ? *(const int32_t*)line.field : 0;
        if ((line.checked && (value < line.low || value > line.high)) ||
            (line.after && !line.after()))
            return 0;
        if (line.derive != DERIVE_NOTHING) derive(line.derive);
    }
    return 1;
}

int TakeConfigLine(const char* bytes, size_t size, size_t* used, char* buffer)
{
    const char* end = (const char*)std::memchr(bytes, '\n', size);
    if (!end) {
        // End of file (or a failed read) loses an unterminated line.
        *used = size;
        buffer[0] = '\0';
        return 0;
    }
    *used = (size_t)(end - bytes) + 1;
    const size_t n = (size_t)(end - bytes);
    // The byte before the line feed is the carriage return. When the line
    // is cut, that byte is among the dropped ones and all kept bytes stay.
    const size_t length = n > CONFIG_LINE_CHARS - 1 ? CONFIG_LINE_CHARS - 1 : (n > 0 ? n - 1 : 0);
    std::memcpy(buffer, bytes, length);
    buffer[length] = '\0';
    return (int)length;
}

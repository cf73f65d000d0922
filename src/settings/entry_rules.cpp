// Value rules of the entry dialogs (see entry_rules.h).
#include "settings/entry_rules.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

NewLineValues ProposeNextLine(int sequence, int direction, double startStation,
                              double stationIncrement, double lastStation)
{
    NewLineValues v = {direction, startStation, stationIncrement};
    if (sequence == LINE_SEQUENCE_ALTERNATE) {
        v.Direction = 3 - direction;
        v.StartStation = lastStation;
        v.StationIncrement = -stationIncrement;
    }
    return v;
}

// Chosen for field work: antenna offsets of a few metres up to tens, one
// reading every few minutes up to the instrument's 18 a second, and every
// value short enough for its fixed data-file column ("%7.3f" sampling value
// in H2, "%7.2f" offsets in H3, "%11.2f" stations) and for a configuration
// line as "%f". Distances are in the surveyor's units.
static const ValueRange Ranges[VALUE_KINDS] = {
    {0.004, 18.0, 8},          // VALUE_READING_RATE
    {0.05, 250.0, 0},          // VALUE_READING_INTERVAL: the timer polls 20 a second at most
    {-99.0, 99.0, 8},          // VALUE_STATION_INCREMENT
    {-99999.0, 99999.0, 11},   // VALUE_STATION
    {-999.0, 999.0, 8},        // VALUE_LINE_INCREMENT
    {-100.0, 100.0, 8},        // VALUE_GPS_OFFSET
    {0.0, 99.0, 5},            // VALUE_DOP
    {1.0, 99999.0, 6},         // VALUE_MAP_SCALE: the status read-out holds 5 digits
    {0.0, 99999.0, 9},         // VALUE_GRID_INTERVAL
    {0.0, 5.0, 0},             // VALUE_MAP_EDGE_MARGIN: 10 % to 35 % of the pane
    {0.1, 100.0, 7},           // VALUE_SPEED_SCALE
    {-100000.0, 100000.0, 8},  // VALUE_PROFILE_LIMIT
};

const ValueRange& RangeOf(EntryValue kind) { return Ranges[kind]; }

int InRange(EntryValue kind, double value)
{
    return value >= Ranges[kind].Low && value <= Ranges[kind].High;
}

double Clamp(EntryValue kind, double value)
{
    if (value > Ranges[kind].High) return Ranges[kind].High;
    return value >= Ranges[kind].Low ? value : Ranges[kind].Low;
}

double LineNumberOf(const wchar_t* surveyLine)
{
    const wchar_t* p = surveyLine;
    while (*p == L' ') ++p;
    double sign = 1.0;
    if (*p == L'+' || *p == L'-') sign = *p++ == L'-' ? -1.0 : 1.0;
    double value = 0.0, scale = 1.0;
    for (; *p >= L'0' && *p <= L'9'; ++p) value = value * 10.0 + (*p - L'0');
    if (*p == L'.')
        for (++p; *p >= L'0' && *p <= L'9'; ++p) value += (*p - L'0') * (scale /= 10.0);
    return sign * value;
}

double ProposedLineNumber(const wchar_t* surveyLine, double lineIncrement)
{
    return LineNumberOf(surveyLine) + lineIncrement;
}

int CorrectMapScale(int* scale, float* interval)
{
    int changed = 0;
    if (*scale < 1) {
        *scale = 1;
        changed |= 1;
    }
    if (*interval < 0.0f) {
        *interval = 0.0f;
        changed |= 2;
    }
    if (*interval > 0.0f && *scale / *interval > 20.0f) {
        *interval = *scale / 20.0f;
        changed |= 2;
    }
    return changed;
}

float CorrectProfileMaximum(float minimum, float maximum)
{
    return maximum > minimum ? maximum : minimum + 100.0f;
}

// The value a float setting has after the configuration file has written it
// as "%f" and read it back.
static double AsSavedAndLoaded(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", (double)value);
    return (double)(float)std::strtod(text, nullptr);
}

int ProfileScaleStorable(float minimum, float maximum)
{
    if (!InRange(VALUE_PROFILE_LIMIT, minimum) || !InRange(VALUE_PROFILE_LIMIT, maximum))
        return 0;
    return AsSavedAndLoaded(maximum) > AsSavedAndLoaded(minimum);
}

// Value rules of the dialogs that depend only on plain values: the ranges
// a typed value must keep, the next line's direction, start station and
// increment, and the corrections of the map and profile scales. Free of
// Win32 and of globals.
#pragma once

enum { LINE_SEQUENCE_ALTERNATE = 0, LINE_SEQUENCE_ONE_WAY = 1 };

struct NewLineValues {
    int Direction; // 0 W, 1 S, 2 N, 3 E
    double StartStation;
    double StationIncrement;
};

// The next line: One Way keeps direction, start station and increment;
// Alternate walks back from the last station with the opposite direction
// and the negated increment.
NewLineValues ProposeNextLine(int sequence, int direction, double startStation,
                              double stationIncrement, double lastStation);

// The values a person may type, each within what its data-file column
// holds and the configuration file reads back. One row a kind of value.
enum EntryValue {
    VALUE_READING_RATE,       // readings per second
    VALUE_READING_INTERVAL,   // seconds between readings: the rate's inverse
    VALUE_STATION_INCREMENT,  // distance units per reading, trigger or station
    VALUE_STATION,            // start and new stations
    VALUE_LINE_INCREMENT,     // added to the line number
    VALUE_GPS_OFFSET,         // antenna from the sensor, each axis
    VALUE_DOP,                // warning limit of the dilution of precision
    VALUE_MAP_SCALE,          // distance units across the map
    VALUE_GRID_INTERVAL,      // map grid spacing; 0 draws none
    VALUE_MAP_EDGE_MARGIN,    // map follow margin step (file only)
    VALUE_SPEED_SCALE,        // right end of the speed bar
    VALUE_PROFILE_LIMIT,      // each end of the amplitude range
    VALUE_KINDS
};

struct ValueRange {
    double Low, High;
    int MaxChars; // edit field limit: the longest value in range and a little more
};

const ValueRange& RangeOf(EntryValue kind);
// 1 when the value is a number within the kind's range.
int InRange(EntryValue kind, double value);
// The nearest value in range (the low end for NaN).
double Clamp(EntryValue kind, double value);

// Number at the start of a survey line text, sign, digits and decimals
// only (0 when it does not start with one: "Infill 3" and "Nancy Rd" are
// not infinity and NaN), plus the line increment.
double LineNumberOf(const wchar_t* surveyLine);
double ProposedLineNumber(const wchar_t* surveyLine, double lineIncrement);

// Map scale and grid interval as typed, corrected so that the scale is at
// least 1, the interval not negative and at most 20 intervals span the map.
// Returns a bit set: 1 the scale changed, 2 the interval changed.
int CorrectMapScale(int* scale, float* interval);

// A profile maximum not above the minimum becomes minimum + 100.
float CorrectProfileMaximum(float minimum, float maximum);

// 1 when a profile scale can be stored: both ends in range and the maximum
// still above the minimum once the configuration file has written both as
// "%f" and read them back (a minimum of 1e10 leaves min + 100 equal to min
// in single precision, 1e-7 and 2e-7 both read back as 0). Anything else
// would make the next start judge the whole configuration corrupt.
int ProfileScaleStorable(float minimum, float maximum);

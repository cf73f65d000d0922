// Value rules of the entry dialogs that depend only on plain values: the
// next line's direction, start station and increment, and the corrections
// of the map and profile scales. Free of Win32 and of globals.
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

// Number at the start of a survey line text (0 when it does not start with
// one) plus the line increment.
double ProposedLineNumber(const wchar_t* surveyLine, double lineIncrement);

// Map scale and grid interval as typed, corrected so that the scale is at
// least 1, the interval not negative and at most 20 intervals span the map.
// Returns a bit set: 1 the scale changed, 2 the interval changed.
int CorrectMapScale(int* scale, float* interval);

// A profile maximum not above the minimum becomes minimum + 100.
float CorrectProfileMaximum(float minimum, float maximum);

// 1 when a profile scale can be stored: both ends finite and the maximum
// still above the minimum once the configuration file has written both as
// "%f" and read them back (a minimum of 1e10 leaves min + 100 equal to min
// in single precision, 1e-7 and 2e-7 both read back as 0). Anything else
// would make the next start judge the whole configuration corrupt.
int ProfileScaleStorable(float minimum, float maximum);

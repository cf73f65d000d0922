// A data file read back whole for the export: its records walked once in
// file order with the logger's own decoders, giving the readings with the
// station, time and offsets in force, the positions the logger stored, and
// every record that does not belong. Free of Win32.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum PositionSource { POSITION_NONE, POSITION_INTERPOLATED, POSITION_GRID };

struct ExportOptions {
    double GapSeconds = 5.0; // longest span between two fixes a reading is placed in
    int Em61Mk2Type = -1;    // -1: as the header says ('H' taken as High Power)
};

struct SurveyHeader {
    int Em61Mk2Type, GpsEnabled, Units, SensorSize, LoggingMode;
    int GpsType, RtsUnits;
    double OffsetX, OffsetY; // antenna offsets, distance units
    std::string BaseName;
};

struct SurveyLine {
    std::string Name;
    double Number;  // the name as a number, or the line's ordinal when it is none
    char Direction; // 'N', 'S', 'E' or 'W'
    double StartStation, Increment;
};

// A stored position: the antenna as received, the sensor as the logger
// placed it with the antenna offsets. Plane coordinates in metres (UTM, or
// the total station's grid); latitude and longitude when geographic.
struct SurveyFix {
    int64_t Ms; // unwrapped tick
    int Line;
    double AntennaE, AntennaN, SensorE, SensorN;
    double AntennaLat, AntennaLon, SensorLat, SensorLon;
    int Zone; // 0: grid, no latitude and longitude
    double Altitude;
    int HasAltitude;
    int Quality, Satellites; // -1 when the sentence has none
    float Dop;               // negative when none
};

struct SurveyReading {
    int64_t Ms;      // unwrapped tick
    int64_t Tick;    // as written
    int64_t ClockMs; // local time, ms since 1970-01-01; -1 when the file gives none
    int Line;
    double Station;
    unsigned char Letter;
    int Decoded; // 0: a stored reference of zero, no channel values
    float Ch[4];
    float Battery; // volts
    int Comment;   // index into Notes of the comment shown with it, or -1
    int Source;    // PositionSource
    int Fix;       // the fix before it when interpolated
    double E, N, Lat, Lon, Altitude;
    int HasAltitude;
    double X, Y; // local grid coordinates (grid surveys)
};

// Comments ('C') and station records ('S').
struct SurveyNote {
    char Tag;
    std::string Text;
    int Line;
    int Reading; // the first reading after it, -1 when none follows
};

struct SurveyProblem {
    long long Offset;
    std::string What;
};

struct Survey {
    std::string Name; // file name without folders
    long long Bytes = 0;
    long Records = 0;
    SurveyHeader Header = {};
    int Recordings = 0, GpsGroups = 0, PositionSentences = 0, AcceptedPositions = 0;
    int HasFixTotal = 0, HasPositionTotal = 0;
    long FixTotal = 0, PositionTotal = 0;
    std::vector<SurveyLine> Lines;
    std::vector<SurveyReading> Readings;
    std::vector<SurveyFix> Fixes;
    std::vector<SurveyNote> Notes;
    std::vector<SurveyProblem> Problems; // the first few
    long ProblemCount = 0;
    std::string Fatal; // why the file is not read at all
    int Geographic() const { return Header.GpsEnabled && !Fixes.empty() && Fixes[0].Zone != 0; }
};

// Reads the bytes of a data file named name. Fatal is set for a file that
// is no data file; Problems for torn and unknown records.
void ParseSurvey(const unsigned char* data, size_t size, const std::string& name,
                 const ExportOptions& options, Survey* s);
// Reads the file at path; 0 with Fatal set when it cannot be read.
int ReadSurveyFile(const std::string& path, const ExportOptions& options, Survey* s);

// The reading a note is shown at on a map: the first one after it on its
// line that has a position (a comment is often typed while paused, before
// the first fix of the next recording); -1 when none.
int PlacedReadingOf(const Survey& s, const SurveyNote& note);

// The reading's place between two fixes: fraction f of the way from a to
// b, for easting/northing and latitude/longitude alike.
void InterpolateFix(const SurveyFix& a, const SurveyFix& b, double f, SurveyReading* r);

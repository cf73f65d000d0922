// The rules and texts of a decoded fix that need no window: the time of
// day, the warning mask and the coordinate read-outs. Pure, so that they
// are tested on the host.
#pragma once
#include <cstddef>
#include <cstdint>

// Field n (2 unless told) of a sentence read as hhmmss.ss, in seconds of
// the day.
double TimeOfDaySeconds(const char* sentence, int field = 2);
// A fix's time in seconds: the time of day from the type's time field, or
// for a type without one (timeField 0) the arrival tick.
double FixTimeSeconds(const char* sentence, int timeField, uint32_t tick);

struct GpsWarningMask {
    int32_t Enabled;
    int32_t Satellites;   // fewest satellites
    float Pdop;           // largest DOP
    int32_t Quality;      // index: quality = index + 1
    int32_t QualityMatch; // 0 equal or above, 1 equal
};
// 1 when the fix meets the mask (or the mask does not apply to the type).
int FixMeetsWarningMask(const GpsWarningMask& mask, int gpsType, int satellites, float pdop,
                        int quality);

// Degrees, minutes and seconds built from the characters of a ddmm.mmmm
// (latitude) or dddmm.mmmm (longitude) field.
void FormatLatitudeDms(const char* field, wchar_t* out, size_t outChars);
void FormatLongitudeDms(const char* field, wchar_t* out, size_t outChars);

// A metre value in the unit chosen for the coordinate read-outs:
// coordinatesDisplay 1 m, 2 ft, 3 US ft; 0 follows the distance unit
// (grid positions only). withUnit 0 leaves the unit name off.
void FormatMetresReadout(double metres, int coordinatesDisplay, int units, int withUnit,
                         wchar_t* out, size_t outChars);

// Metres to the distance unit (0 m, 1 ft, 2 US survey ft), as projected
// positions are converted.
double MetresToDistanceUnits(double metres, int units);
// A value in units 0 m, 1 ft, 2 US survey ft, in metres.
double DistanceUnitsToMetres(double value, int units);
// The projection a run uses: the zone and hemisphere of its first fix,
// for every fix of the run. Zone 0: no fix yet.
struct RunProjection {
    int32_t Zone;
    int32_t South;
};
// Latitude and longitude (signed degrees) to UTM metres in the run's
// projection (fixed by the first call after a reset).
void ProjectInRun(RunProjection* run, double latitude, double longitude, double* northing,
                  double* easting);

// Latitude and longitude (signed degrees) projected to UTM, in the
// distance unit.
void GeographicToDistanceUnits(double latitude, double longitude, int units, double* northing,
                               double* easting);

// Texts and tests of a decoded fix.
#include "gps/fix_readouts.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "gps/nmea_sentence.h"
#include "gps/utm.h"

double TimeOfDaySeconds(const char* sentence, int n)
{
    char field[GPS_FIELD_CHARS + 1];
    if (!GetField(sentence, n, ',', field)) return 0;
    char hours[3] = {}, minutes[3] = {};
    const size_t length = std::strlen(field);
    std::memcpy(hours, field, length < 2 ? length : 2);
    if (length > 2) std::memcpy(minutes, field + 2, length < 4 ? length - 2 : 2);
    const double seconds = length > 4 ? std::atof(field + 4) : 0;
    return std::atoi(hours) * 3600.0 + std::atoi(minutes) * 60.0 + seconds;
}

double FixTimeSeconds(const char* sentence, int timeField, uint32_t tick)
{
    return timeField > 0 ? TimeOfDaySeconds(sentence, timeField) : tick / 1000.0;
}

int FixMeetsWarningMask(const GpsWarningMask& mask, int gpsType, int satellites, float pdop,
                        int quality)
{
    // GLL carries no satellites or quality and a total station none at all;
    // the label records of type 8 neither, as the setup dialogs show.
    if (mask.Enabled != 1 || gpsType == 5 || gpsType == GPS_TYPE_TOTAL_STATION || gpsType == 8)
        return 1;
    if (satellites < mask.Satellites || pdop > mask.Pdop) return 0;
    const int wanted = mask.Quality + 1;
    return mask.QualityMatch == 1 ? quality == wanted : quality >= wanted;
}

namespace {

// The field's character i, or '0' past its end (a short field still gives
// a read-out of the usual shape).
wchar_t Digit(const char* field, size_t i)
{
    return i < std::strlen(field) ? (wchar_t)(unsigned char)field[i] : L'0';
}

float SecondsOf(const char* field, size_t minutesEnd)
{
    return std::strlen(field) > minutesEnd ? 60.0f * (float)std::atof(field + minutesEnd) : 0.0f;
}

} // namespace

void FormatLatitudeDms(const char* field, wchar_t* out, size_t outChars)
{
    swprintf(out, outChars, L"%lc%lc%lc%lc%lc%lc%-07.4f", Digit(field, 0), Digit(field, 1),
             (wchar_t)176, Digit(field, 2), Digit(field, 3), (wchar_t)39,
             (double)SecondsOf(field, 4));
}

void FormatLongitudeDms(const char* field, wchar_t* out, size_t outChars)
{
    const double seconds = SecondsOf(field, 5);
    if (Digit(field, 0) == L'0')
        swprintf(out, outChars, L"%lc%lc%lc%lc%lc%lc%-07.4f", Digit(field, 1), Digit(field, 2),
                 (wchar_t)176, Digit(field, 3), Digit(field, 4), (wchar_t)39, seconds);
    else
        swprintf(out, outChars, L"%lc%lc%lc%lc%lc%lc%lc%-07.4f", Digit(field, 0), Digit(field, 1),
                 Digit(field, 2), (wchar_t)176, Digit(field, 3), Digit(field, 4), (wchar_t)39,
                 seconds);
}

void FormatMetresReadout(double metres, int coordinatesDisplay, int units, int withUnit,
                         wchar_t* out, size_t outChars)
{
    double value = metres;
    const wchar_t* unit = L"m";
    if (coordinatesDisplay == 0) {
        if (units == 1) value = metres * 3.28084, unit = L"ft";
        if (units == 2) value = metres * 3.2808333333333355, unit = L"USft";
    } else if (coordinatesDisplay == 2) {
        value = metres / 0.3048, unit = L"ft";
    } else if (coordinatesDisplay == 3) {
        value = metres / 0.304800609601219, unit = L"USft";
    }
    if (withUnit)
        swprintf(out, outChars, L"%-12.2f %ls", value, unit);
    else
        swprintf(out, outChars, L"%-12.2f", value);
}

namespace {
const double FootMetres = 0.3048, UsFootMetres = 0.304800609601219;
}

double MetresToDistanceUnits(double metres, int units)
{
    return units == 1 ? metres / FootMetres : units == 2 ? metres / UsFootMetres : metres;
}

double DistanceUnitsToMetres(double value, int units)
{
    return units == 1 ? value * FootMetres : units == 2 ? value * UsFootMetres : value;
}

void ProjectInRun(RunProjection* run, double latitude, double longitude, double* northing,
                  double* easting)
{
    // One zone and hemisphere for the whole run: a walk across a zone line
    // or the equator must stay continuous, not jump by 468 or 10,000 km.
    if (run->Zone == 0) {
        LatLonToUtm(latitude, longitude, &run->Zone, northing, easting);
        run->South = latitude < 0;
        return;
    }
    LatLonToUtmInZone(latitude, longitude, run->Zone, run->South, northing, easting);
}

void GeographicToDistanceUnits(double latitude, double longitude, int units, double* northing,
                               double* easting)
{
    int32_t zone;
    double n, e;
    LatLonToUtm(latitude, longitude, &zone, &n, &e);
    *northing = MetresToDistanceUnits(n, units);
    *easting = MetresToDistanceUnits(e, units);
}

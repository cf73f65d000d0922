// The export reading files written with the logger's own record builders:
// one file per GPS type, a grid survey, the bad inputs, and the property
// that every interpolated position lies between its two fixes.
#include "export/export_formats.h"
#include "export/svg_map.h"
#include "export/survey_file.h"
#include "gps/utm.h"
#include "logging/record_format.h"
#include "settings/settings.h"
#include "test_check.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

SettingsRecord Settings;
void OnNullingFinished(const float[4], const float[4]) {}

namespace {

struct FileBuilder {
    std::string Bytes;
    long Fixes = 0;
    void Add(const char* rec) { Bytes.append(rec, RecordBytes); }
    template <typename... Params, typename... Args>
    void Put(void (*build)(char*, Params...), Args... args)
    {
        char rec[RecordBufferBytes];
        build(rec, args...);
        Add(rec);
    }
    void Header(int gpsEnabled, int gpsType, float x = 0, float y = 0)
    {
        Put(FormatConfigRecord, 0, gpsEnabled, 0, 0, 0);
        Put(FormatFileNameRecord, "0607A", 0.1);
        Put(FormatGpsOptionsRecord,
            GpsOptionValues{x, y, 0, 0, 0, gpsType, 0, 0, 0, 1, gpsEnabled});
        for (int i = 0; i < 4; ++i) Put(FormatOffsetRecord, 0.0f, 0, 0.0f);
    }
    void Line(const char* name, int direction, double start, double increment, uint32_t tick)
    {
        Put(FormatLineRecord, name);
        Put(FormatBeginStationRecord, start);
        Put(FormatDirectionRecord, direction, increment);
        Put(FormatDateRecord, 7, 6, 2026, 12, 0, 0);
        for (int i = 0; i < 4; ++i) Put(FormatOffsetRecord, 10.0f * i, 1, 0.0f);
        Put(FormatTimeRecord, 12, 0, 1, 0, tick);
    }
    // A 'T' reading of the Standard instrument: range 0, reference 3000.
    void Reading(uint32_t tick, int ch1 = 100)
    {
        unsigned char frame[16] = {'T', 0,  0,    0,    0, 50,   0,    25,
                                   0,   10, 0x0B, 0xB8, 0, 0x0B, 0xB8, 80};
        frame[2] = (unsigned char)(ch1 >> 8);
        frame[3] = (unsigned char)ch1;
        Put(FormatReadingRecord, frame, tick);
    }
    void Text(char tag, const char* text, uint32_t tick) { Put(FormatTextRecord, tag, text, tick); }
    void Gps(const std::string& sentence, uint32_t tick, char flag, bool counted = true)
    {
        if (counted) ++Fixes;
        char recs[12][RecordBufferBytes];
        const int n =
            FormatGpsRecordGroup(recs, 12, sentence.c_str(), '@', '#', '!', flag, 1, Fixes, tick);
        for (int i = 0; i < n; ++i) Add(recs[i]);
    }
    Survey Parse(double gap = 5) const
    {
        Survey s;
        ExportOptions o;
        o.GapSeconds = gap;
        ParseSurvey((const unsigned char*)Bytes.data(), Bytes.size(), "T.P61", o, &s);
        return s;
    }
};

std::string Checksummed(const std::string& body)
{
    unsigned sum = 0;
    for (char c : body) sum ^= (unsigned char)c;
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

std::string Angle(double degrees, int digits, char pos, char neg)
{
    const double a = std::fabs(degrees);
    char text[40];
    std::snprintf(text, sizeof text, "%0*d%09.6f,%c", digits, (int)a, (a - (int)a) * 60,
                  degrees < 0 ? neg : pos);
    return text;
}

const double Lat0 = 48.1, Lon0 = 11.5, North0 = 5000.0, East0 = 2000.0;

// Fix k of a walk north, 1 m a fix, in the sentence of GPS type t.
std::string Sentence(int t, int k)
{
    const double lat = Lat0 + k / 111320.0;
    const std::string ll = Angle(lat, 2, 'N', 'S') + "," + Angle(Lon0, 3, 'E', 'W');
    char grid[80];
    std::snprintf(grid, sizeof grid, "%.3f,M,%.3f,M", East0, North0 + k);
    switch (t) {
    case 0:
    case 1: return Checksummed("GPGGA,120000.00," + ll + ",4,08,0.9,512.3,M,47.0,M,,");
    case 2:
        return Checksummed("PASHR,POS,3,08,120000.00," + ll +
                           ",512.3,,90.0,1.9,0.0,1.5,0.9,1.5,0.9,UT00");
    case 3: return Checksummed(std::string("PTNL,LLK,120000.00,") + grid + ",3,08,0.9,512.3,M");
    case 4: return Checksummed(std::string("PTNL,LLQ,120000.00,") + grid + ",3,08,0.9,512.3,M");
    case 5: return Checksummed("GPGLL," + ll + ",120000.00,A");
    case 6: return Checksummed("PTNL,GGK,120000.00,060726," + ll + ",3,08,0.9,EHT512.3,M");
    case 7: {
        char text[120];
        std::snprintf(text, sizeof text, "GPGGA,120000.00,%.3f,N,%.3f,E,1,05,1.0,100.0,M,0.0,M,,",
                      North0 + k, East0);
        return Checksummed(text);
    }
    default: {
        char text[120];
        std::snprintf(text, sizeof text, ">%d,37=%.3f,38=%.3f,39=100.000", k, North0 + k, East0);
        return text;
    }
    }
}

void TestEveryGpsType()
{
    InitUtmConstants();
    for (int t = 0; t <= 8; ++t) {
        FileBuilder f;
        f.Header(1, t);
        f.Line("1", 2, 0, 1, 500);
        f.Text('X', "$STARTED1", 600);
        for (int k = 0; k < 6; ++k) {
            f.Gps(Sentence(t, k), 1000 + 1000 * k, 'p');
            if (t == 0)
                f.Gps(Checksummed("GPGSA,A,3,04,05,,,,,,,,,,,1.5,1.2,0.9"), 1050 + 1000 * k, ' ',
                      false);
            f.Reading(1250 + 1000 * k);
        }
        f.Text('X', "$F      6", 7000);
        f.Text('X', "$P      6", 7000);
        const Survey s = f.Parse();
        std::string report;
        CHECK(CheckReport(s, report));
        CHECK_EQ(s.Fixes.size(), 6u);
        CHECK_EQ(s.Readings.size(), 6u);
        CHECK_EQ(s.Readings[5].Source, POSITION_NONE); // after the last fix
        const SurveyReading& r = s.Readings[1];        // a quarter of the way from fix 1 to fix 2
        CHECK_EQ(r.Source, POSITION_INTERPOLATED);
        const bool geographic = t <= 2 || t == 5 || t == 6;
        if (geographic) {
            // The decoder reads 8 characters of minutes: 1e-5 minutes, 2 cm.
            CHECK_NEAR(r.Lat, Lat0 + 1.25 / 111320.0, 2e-7);
            CHECK_NEAR(r.Lon, Lon0, 1e-8);
            int32_t zone;
            double n, e;
            LatLonToUtm(Lat0 + 1.25 / 111320.0, Lon0, &zone, &n, &e);
            CHECK_NEAR(r.N, n, 0.03);
            CHECK_NEAR(r.E, e, 0.03);
            CHECK_EQ(s.Fixes[1].Zone, 32);
        } else {
            CHECK_EQ(s.Fixes[1].Zone, 0);
            CHECK_NEAR(r.N, North0 + 1.25, 1e-3);
            CHECK_NEAR(r.E, East0, 1e-3);
        }
        const bool hasAltitude = t != 5 && t != 8;
        CHECK_EQ(r.HasAltitude, hasAltitude);
        if (hasAltitude) CHECK_NEAR(r.Altitude, t == 7 ? 100.0 : 512.3, 1e-9);
        const SurveyFix& fix = s.Fixes[r.Fix];
        CHECK_EQ(fix.Satellites, t == 5 || t >= 7 ? -1 : 8);
        CHECK_EQ(fix.Quality, t <= 1 ? 4 : t == 5 || t >= 7 ? -1 : 3 + (t == 2));
        if (t == 0) CHECK_NEAR(fix.Dop, 1.5, 1e-6); // the PDOP of the GSA after it
    }
}

// With antenna offsets and a walk that turns, every reading placed between
// two fixes lies on the segment between their sensor positions.
void TestInterpolatedPositionsLieOnTheirSegment()
{
    InitUtmConstants();
    FileBuilder f;
    f.Header(1, 1, 0.6f, 1.5f);
    f.Line("1", 2, 0, 1, 500);
    f.Text('X', "$STARTED1", 600);
    double north = 0, east = 0;
    uint32_t tick = 1000;
    for (int k = 0; k < 60; ++k) {
        const double heading = (k / 7) * 1.3;
        north += 1.1 * std::cos(heading), east += 1.1 * std::sin(heading);
        const double lat = Lat0 + north / 111320.0,
                     lon = Lon0 + east / (111320.0 * std::cos(Lat0 * M_PI / 180));
        f.Gps(Checksummed("GPGGA,120000.00," + Angle(lat, 2, 'N', 'S') + "," +
                          Angle(lon, 3, 'E', 'W') + ",1,08,0.9,512.3,M,47.0,M,,"),
              tick, 'p');
        for (int j = 0; j < 3; ++j) f.Reading(tick + 137 + 311 * j + k % 5);
        tick += 1000 + 97 * (k % 3);
    }
    const Survey s = f.Parse();
    int checked = 0, offset = 0;
    for (const SurveyReading& r : s.Readings) {
        if (r.Source != POSITION_INTERPOLATED) continue;
        const SurveyFix &a = s.Fixes[r.Fix], &b = s.Fixes[r.Fix + 1];
        CHECK(a.Ms <= r.Ms && r.Ms <= b.Ms);
        const double pairs[2][6] = {
            {a.SensorE, a.SensorN, b.SensorE, b.SensorN, r.E, r.N},
            {a.SensorLon, a.SensorLat, b.SensorLon, b.SensorLat, r.Lon, r.Lat}};
        for (const auto& p : pairs) {
            const double dx = p[2] - p[0], dy = p[3] - p[1], rx = p[4] - p[0], ry = p[5] - p[1];
            const double length2 = dx * dx + dy * dy;
            const double along = (rx * dx + ry * dy) / length2;
            CHECK(along >= -1e-9 && along <= 1 + 1e-9);
            CHECK(std::fabs(rx * dy - ry * dx) / std::sqrt(length2) <=
                  1e-6 * std::sqrt(length2) + 1e-12);
        }
        offset += std::hypot(a.SensorE - a.AntennaE, a.SensorN - a.AntennaN) > 0.5;
        ++checked;
    }
    CHECK(checked > 150);
    CHECK(offset > 100); // the offsets moved the sensor away from the antenna
    // The sensor's latitude and longitude project back onto its plane position.
    const SurveyFix& fix = s.Fixes[30];
    int32_t zone;
    double n, e;
    LatLonToUtm(fix.SensorLat, fix.SensorLon, &zone, &n, &e);
    CHECK_NEAR(n, fix.SensorN, 1e-4);
    CHECK_NEAR(e, fix.SensorE, 1e-4);
}

void TestGridSurvey()
{
    FileBuilder f;
    f.Header(0, 1);
    f.Line("10", 2, 0, 0.5, 500); // north: x = line, y = station
    f.Reading(1250);
    f.Text('C', "pipe, \"old\"", 1300);
    f.Reading(1350);
    f.Text('S', "20.00", 1400);
    f.Reading(1450);
    f.Line("Line A", 3, 5, -0.25, 2000); // east, not a number: x = station, y = its ordinal
    f.Reading(2100);
    f.Reading(2200);
    const Survey s = f.Parse();
    CHECK_EQ(s.Readings.size(), 5u);
    const double expected[5][3] = {
        {10, 0, 0}, {10, 0.5, 0.5}, {10, 20, 20}, {5, 2, 5}, {4.75, 2, 4.75}};
    for (int i = 0; i < 5; ++i) {
        CHECK_EQ(s.Readings[i].Source, POSITION_GRID);
        CHECK_NEAR(s.Readings[i].X, expected[i][0], 1e-9);
        CHECK_NEAR(s.Readings[i].Y, expected[i][1], 1e-9);
        CHECK_NEAR(s.Readings[i].Station, expected[i][2], 1e-9);
    }
    std::string csv;
    CsvText(s, csv);
    const size_t row2 = csv.find("\r\n", csv.find("\r\n") + 2) + 2;
    // Offsets 0, 10, 20, 30 mV (the line block's); reference 3000 = nominal.
    CHECK_STR(csv.substr(row2, csv.find("\r\n", row2) + 2 - row2),
              "T.P61,10,0.50,2026-06-07T12:00:01.850,1350,T,0,966.660,473.330,221.665,66.666,4,12."
              "00,,,,,,,,,,"
              "grid,10.000,0.500,\"pipe, \"\"old\"\"\"\r\n");
    std::string svg, why;
    CHECK(SvgMapText(s, MapOptions(), svg, why));
}

void TestBadInputs()
{
    FileBuilder good;
    good.Header(0, 1);
    good.Line("1", 2, 0, 1, 500);
    good.Reading(1000);
    struct Case {
        std::string Bytes;
        const char* Fatal;   // expected in Fatal, or nullptr
        const char* Problem; // expected in the first problem
    };
    std::string unknown = good.Bytes;
    unknown[RecordBytes * 8] = '%';
    const Case cases[] = {
        {"", "empty", nullptr},
        {std::string(100, 'x'), "not a data file", nullptr},
        {good.Bytes + "T\x01\x02", nullptr, "truncated last record (3 of 27 bytes)"},
        {unknown, nullptr, "unknown record tag 0x25"},
    };
    for (const Case& c : cases) {
        Survey s;
        ParseSurvey((const unsigned char*)c.Bytes.data(), c.Bytes.size(), "B.P61", ExportOptions(),
                    &s);
        if (c.Fatal) CHECK(s.Fatal.find(c.Fatal) != std::string::npos);
        if (c.Problem) {
            CHECK(s.Fatal.empty() && s.ProblemCount == 1);
            CHECK(!s.Problems.empty() && s.Problems[0].What == c.Problem);
            std::string report;
            CHECK(!CheckReport(s, report));
        }
    }
}

} // namespace

int main()
{
    TestEveryGpsType();
    TestInterpolatedPositionsLieOnTheirSegment();
    TestGridSurvey();
    TestBadInputs();
    return TestSummary("export");
}

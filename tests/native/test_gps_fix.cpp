// What a decoded fix turns into: the sensor position behind, ahead of and
// beside the antenna (against positions worked by hand), the time of day,
// the warning mask, the coordinate texts and the total station's labels;
// the speed of each GPS type's sentences as the GPS simulator sends them.
#include <cmath>
#include <cstring>
#include <string>

#include "gps/fix_readouts.h"
#include "gps/label_exchange.h"
#include "gps/nmea_sentence.h"
#include "gps/utm.h"
#include "gps/sensor_offset.h"
#include "gpssim.h"
#include "test_check.h"

GpsSimOptions Opt; // the simulator's options, read by its sentence builder

namespace {

struct Walker {
    SensorOffsetRecord s = {};
    double x, y, e = 0, n = 0;
    Walker(double x_, double y_) : x(x_), y(y_) { SetOffsetMode(&s, (float)y_); }
    // Walks to (e2, n2) while recording; the sensor's position.
    std::pair<double, double> To(double e2, double n2)
    {
        const double dE = e2 - e, dN = n2 - n, d = std::hypot(dE, dN);
        e = e2, n = n2;
        double se, sn;
        LocateSensor(&s, x, y, e, n, dE, dN, d, 0, 0, &se, &sn);
        return {se, sn};
    }
};

void CheckAt(std::pair<double, double> got, double e, double n)
{
    CHECK_NEAR(got.first, e, 1e-9);
    CHECK_NEAR(got.second, n, 1e-9);
}

void TestSensorOffsets()
{
    Walker behind(0.5, 2.0);           // sensor 2 behind, 0.5 to the left
    CheckAt(behind.To(1, 0), -1, 0.5); // track shorter than 2: extrapolated back
    for (int i = 2; i <= 4; ++i) behind.To(i, 0);
    CheckAt(behind.To(5, 0), 3, 0.5);

    Walker turn(1.0, 1.5); // east to (4,0), then north
    for (int i = 1; i <= 4; ++i) turn.To(i, 0);
    turn.To(4, 1);
    CheckAt(turn.To(4, 2), 3, 0.5); // on the northward leg; left of north is west
    CheckAt(turn.To(4, 2), 3, 0.5); // standing still changes nothing

    Walker ahead(1.0, -2.0);
    ahead.To(1, 0);
    CheckAt(ahead.To(5, 0), 7, 1);
    CheckAt(ahead.To(5, 0), 7, 1); // no step: the last heading holds

    Walker beside(1.0, 0.0);
    CheckAt(beside.To(0, 1), 0, 1); // the first recorded position: no direction yet
    CHECK_EQ(beside.s.State, OFFSET_FIRST_SEEN);
    CheckAt(beside.To(0, 2), -1, 2);

    // A sensor 100 behind a 1 m walk: the history is compacted when it
    // passes 40 entries, and the extrapolation still measures from the start.
    Walker far(0.0, 100.0);
    int most = 0;
    std::pair<double, double> at;
    for (int i = 1; i <= 45; ++i, most = std::max(most, (int)far.s.TrackCount)) at = far.To(i, 0);
    CHECK(most <= 40);
    CheckAt(at, -55, 0);

    // A long walk with a short offset keeps the history short too.
    Walker near(0.0, 3.0);
    for (int i = 1; i <= 200; ++i) at = near.To(i, 0);
    CheckAt(at, 197, 0);
}

void TestFixRules()
{
    const struct {
        int Match, Type, Satellites;
        float Pdop;
        int Quality, Good;
    } mask[] = {
        {1, 0, 8, 1.0f, 4, 0}, // "DGPS" and "Equal": an RTK fix is red
        {0, 0, 8, 1.0f, 4, 1}, // "Eq./Above": green
        {0, 0, 8, 1.0f, 1, 0},  {0, 0, 3, 1.0f, 2, 0},  {0, 0, 8, 4.5f, 2, 0},
        {0, 5, 0, 99.0f, 0, 1}, {0, 7, 0, 99.0f, 0, 1}, // GLL and the total stations:
        {0, 8, 0, 99.0f, 0, 1},                         // always green
    };
    for (const auto& c : mask) {
        const GpsWarningMask m = {1, 4, 4.0f, 1, c.Match};
        CHECK_EQ(FixMeetsWarningMask(m, c.Type, c.Satellites, c.Pdop, c.Quality), c.Good);
    }
    const GpsWarningMask off = {0, 4, 4.0f, 1, 0};
    CHECK_EQ(FixMeetsWarningMask(off, 0, 0, 50.0f, 0), 1);

    wchar_t text[48];
    FormatLatitudeDms("3747.0876", text, 48);
    CHECK(std::wstring(text) == L"37\u00b047'5.2560 ");
    FormatLongitudeDms("17518.8934", text, 48);
    CHECK(std::wstring(text) == L"175\u00b018'53.6040");
    FormatMetresReadout(5332401.246, 1, 1, 0, text, 48);
    CHECK(std::wstring(text) == L"5332401.25  ");
}

void TestLabels()
{
    LabelRecordCutter c = {};
    LabelExchange x = {};
    char done[200] = {};
    std::string positions, records;
    // (The run of empty lines once walked off the record buffer.)
    const std::string stream = "junk\r\n>37=5012345.678\r\n38=2000.25\r\n>38=7\r\n99=1,37=8\r\n>x\r\n>" +
                               std::string(400, '\n');
    for (const char* p = stream.c_str(); *p; ++p) {
        switch (FeedLabelByte(&c, &x, (unsigned char)*p, done, sizeof done)) {
        case LABEL_POSITION_DONE:
            positions += std::to_string(x.Northing) + "/" + std::to_string(x.Easting) + ";";
            break;
        case LABEL_RECORD_DONE: records += std::string(done) + "|"; break;
        default: break;
        }
    }
    CHECK_STR(positions, "5012345.678000/2000.250000;8.000000/7.000000;"); // millimetres kept
    CHECK_STR(records, ">37=5012345.678,38=2000.25|>38=7,99=1,37=8|>x|");
}

// The simulator's 1 m east in 1 s, each type decoded and timed: 1 m/s.
void TestSpeedOfEachType()
{
    InitUtmConstants();
    for (int type = 0; type <= 8; ++type) {
        Opt.type = type;
        GpsFormatRecord format = {};
        LoadGpsFormat(type, &format);
        RunProjection run = {};
        double n[2], e[2], t[2];
        for (int k = 0; k < 2; ++k) {
            const std::string line = BuildEpoch(WalkAt(k, k), {})[0];
            const uint32_t tick = 5000 + 1000 * k;
            t[k] = FixTimeSeconds(line.c_str(), (int)format.TimeIndex, tick);
            LabelRecordCutter c = {};
            LabelExchange x = {};
            char done[200];
            PositionFields f = {};
            if (type == 8) {
                for (unsigned char b : line) FeedLabelByte(&c, &x, b, done, sizeof done);
                f.PositionOk = 1, f.First = x.Northing, f.Second = x.Easting;
            } else
                DecodePositionFields(line.c_str(), format, type, 0, 0, &f);
            CHECK(f.PositionOk);
            n[k] = f.First, e[k] = f.Second;
            if (f.Geographic) ProjectInRun(&run, f.First, f.Second, &n[k], &e[k]);
        }
        CHECK_NEAR(std::hypot(n[1] - n[0], e[1] - e[0]) / (t[1] - t[0]), 1.0, 0.01);
    }
}

} // namespace

int main()
{
    TestSensorOffsets();
    TestFixRules();
    TestLabels();
    TestSpeedOfEachType();
    return TestSummary("test_gps_fix");
}

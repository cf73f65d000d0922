// Rules of the derived settings: reading rates, grid tables, map margins and
// the instrument defaults.
#include "settings/config_file.h"
#include "app/app_state.h"
#include "logging/log_run.h"
#include "test_check.h"

static void TestReadingRates()
{
    static const struct { float interval; int perSecond; } cases[] = {
        {0.2f, 4},      // 0.2f is slightly above 0.2
        {0.25f, 4}, {1.0f, 1}, {0.5f, 2},
        {0.05f, 18},    // 20 clamped
        {2.0f, 1},      // 0.5 raised to 1
        {0.0f, 18}, {-1.0f, 1},
    };
    for (const auto& c : cases) {
        Settings.ReadingInterval = c.interval;
        ComputeReadingRates();
        CHECK_EQ(Settings.ReadingsPerSecond, c.perSecond);
    }
}

struct GridCase {
    int height;
    float min, max;
    int zeroSide;
    int count;
    int rows[9];
};

static void TestGridTables()
{
    static const GridCase cases[] = {
        {200, -100, 300, 0, 3, {150, 100, 50}},
        {200, 0, 2000, 1, 4, {159, 119, 79, 39}},
        {200, -2000, 0, -1, 4, {159, 119, 79, 39}},
        {200, -100, 400, 0, 4, {160, 120, 80, 40}},
        {200, -500, 500, 0, 7, {100, 75, 50, 25, 125, 150, 175}},   // step 125
        {200, -450, 550, 0, 8, {110, 87, 65, 42, 20, 132, 155, 177}}, // step min / 4
        {200, -300, 100, 0, 3, {50, 100, 150}},                      // zero line high up
        {200, -100, 900, 0, 5, {180, 144, 108, 72, 36}},             // step max / 5
    };
    for (const GridCase& c : cases) {
        GridTable table = {};
        int32_t zeroSide = 99;
        BuildGridTable(&table, c.height, c.min, c.max, c.height / (c.max - c.min), &zeroSide);
        if (table.Count != c.count) std::printf("  grid %g..%g\n", c.min, c.max);
        CHECK_EQ(zeroSide, c.zeroSide);
        CHECK_EQ(table.Count, c.count);
        for (int i = 0; i < c.count; ++i) CHECK_EQ(table.Row[i + 1], c.rows[i]);
    }

    // However the scale factor relates to the height, nine rows at most.
    GridTable table = {};
    int32_t zeroSide;
    BuildGridTable(&table, 200, -100, 100, 0.01f, &zeroSide);
    CHECK_EQ(table.Count, 9);
}

static void TestDerivedValues()
{
    Layout.ProfileWidth = 215;
    Layout.ProfileHeight = 200;
    Layout.BarsHeight = 80;
    Settings.ReadingInterval = 0.2f;
    Settings.SpeedScaleMin = 0.0f;
    Settings.SpeedScaleMax = 10.0f;
    Settings.LoggingMode = 2;
    Settings.StartStation = 5.5;
    Settings.MapEdgeMargin = 1;
    Settings.MaxGpsDisplay = 0;
    ComputeDerivedValues();
    CHECK_EQ(Settings.ReadingIntervalMs, 200);
    CHECK_EQ(Settings.ReadingsPerSecond, 4);
    CHECK_NEAR(Settings.StationIncrement, Settings.ManualStationIncrement, 0);
    CHECK_NEAR(LogRun.Station, 5.5, 0);
    CHECK_NEAR(Settings.SpeedPixelsPerUnit, 21.5, 1e-5);
    CHECK_EQ(Settings.GpsDisplayIntervalMs, 910);
    CHECK_EQ(Settings.MapEdgeMarginPx, 32);            // 15 % of 215
    CHECK_EQ(Settings.MapRecenterPx, 52);
    Settings.MapEdgeMargin = 0;
    ComputeDerivedValues();
    CHECK_EQ(Settings.MapEdgeMarginPx, 21);

    static const struct { int size, diameter, radius; } markers[] = {
        {0, 7, 3}, {4, 15, 7}, {5, 19, 9},
    };
    for (const auto& m : markers) {
        Settings.MapCurrentSize = m.size;
        ComputeDerivedValues();
        CHECK_EQ(Settings.MapCurrentDiameter, m.diameter);
        CHECK_EQ(Settings.MapCurrentRadius, m.radius);
    }
}

static void TestInstrumentDefaults()
{
    Layout.ProfileHeight = 200;
    Layout.BarsHeight = 80;
    Settings.ProfileScaleMin = -50;
    Settings.ProfileScaleMax = 50;
    Settings.ChannelCount = 0;
    ApplyInstrumentDefaults();
    CHECK_NEAR(Settings.ProfileScaleMin, 0, 0);
    CHECK_NEAR(Settings.ProfileScaleMax, 2000, 0);
    CHECK_EQ(Settings.ChannelCount, 4);
    CHECK_NEAR(Settings.ProfilePixelsPerUnit, 0.1, 1e-6);
    CHECK_NEAR(Settings.BarPixelsPerUnit, 0.04, 1e-6);
    CHECK_EQ(Settings.GridZeroSide, 1);
    CHECK_EQ(Settings.ProfileGrid.Row[1], 159);
    CHECK_EQ(Settings.BarGrid.Count, 4);
    CHECK_EQ(Settings.BarGrid.Row[1], 63);             // 80 - 0.2 x 81
}

int main()
{
    TestReadingRates();
    TestGridTables();
    TestDerivedValues();
    TestInstrumentDefaults();
    return TestSummary("test_settings_rules");
}

// Rules of the derived settings: reading rates, grid tables and the size of
// the GPS position store for the free memory. (The other derived values are
// checked as a loaded configuration file gives them.)
#include "settings/derived_values.h"
#include "settings/grid_table.h"
#include "app/app_state.h"
#include "app/position_store.h"
#include "test_check.h"

static void TestReadingRates()
{
    static const struct {
        float interval;
        int perSecond;
    } cases[] = {
        {0.2f, 4},                                      // 0.2f is slightly above 0.2
        {0.25f, 4}, {1.0f, 1},  {0.5f, 2}, {0.05f, 18}, // 20 clamped
        {2.0f, 1},                                      // 0.5 raised to 1
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
        {200, -500, 500, 0, 7, {100, 75, 50, 25, 125, 150, 175}},     // step 125
        {200, -450, 550, 0, 8, {110, 87, 65, 42, 20, 132, 155, 177}}, // step min / 4
        {200, -300, 100, 0, 3, {50, 100, 150}},                       // zero line high up
        {200, -100, 900, 0, 5, {180, 144, 108, 72, 36}},              // step max / 5
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

// The store shrinks in steps of 1800 positions (24 bytes each) until it is
// below the budget of 80 % of the free memory; 7 and more: none fits.
static void TestPositionStore()
{
    int32_t maxPos = 0, cap = 0;
    CHECK_EQ(SizePositionStore(64u * 1024 * 1024, &maxPos, &cap), 0);
    CHECK(maxPos == 14400 && cap == 14600);
    // A desktop's gigabytes must not wrap the budget negative.
    CHECK_EQ(SizePositionStore(16ull * 1024 * 1024 * 1024, &maxPos, &cap), 0);
    CHECK_EQ(SizePositionStore(3000000000ull, &maxPos, &cap), 0);
    CHECK_EQ(SizePositionStore(400000, &maxPos, &cap), 1);
    CHECK(maxPos == 12600 && cap == 12800);
    // "Not below the budget": 14600 x 24 = 350400 = budget at 438000 steps down.
    CHECK_EQ(SizePositionStore(438000, &maxPos, &cap), 1);
    CHECK_EQ(SizePositionStore(438005, &maxPos, &cap), 0);
    CHECK_EQ(SizePositionStore(120000, &maxPos, &cap), 6);
    CHECK(maxPos == 3600 && cap == 3800);
    CHECK_EQ(SizePositionStore(100000, &maxPos, &cap), 7);
    CHECK(SizePositionStore(0, &maxPos, &cap) > 6);
}

int main()
{
    TestReadingRates();
    TestGridTables();
    TestPositionStore();
    return TestSummary("test_settings_rules");
}

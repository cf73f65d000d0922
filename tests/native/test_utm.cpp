// The UTM projection against positions worked to the millimetre, the zone
// edges and the false northing; a run's walks across a zone line and the
// equator.
#include <algorithm>
#include <cmath>

#include "gps/fix_readouts.h"
#include "gps/utm.h"
#include "test_check.h"

int main()
{
    InitUtmConstants();
    const struct {
        double Lat, Lon;
        int Zone;
        double North, East;
    } cases[] = {
        {48.1173, 11.516666666666667, 32, 5332401.246, 687299.575},
        {0.0, 3.0, 31, 0.000, 500000.000}, // on the equator: northern
        {-33.8688, 151.2093, 56, 6250948.345, 334368.634},
        {45.0, -75.0, 18, 4982950.400, 500000.000}, // on a central meridian
        {10.0, -180.0, 1, 1106908.854, 171071.264},
        {10.0, 180.0, 60, 1106908.854, 828928.736}, // 61 by the raw rule
    };
    for (const auto& c : cases) {
        int32_t zone;
        double north, east;
        LatLonToUtm(c.Lat, c.Lon, &zone, &north, &east);
        CHECK_EQ(zone, c.Zone);
        CHECK_NEAR(north, c.North, 0.0015);
        CHECK_NEAR(east, c.East, 0.0015);
    }
    int32_t zone;
    double north, east;
    LatLonToUtm(50.0, 6.0, &zone, &north, &east); // a boundary belongs to the zone east of it
    CHECK_EQ(zone, 32);
    LatLonToUtm(-0.000001, 9.0, &zone, &north, &east);
    CHECK(north > 9999999.0 && east == 500000.0);

    // The first fix's zone and hemisphere: 0.5 m steps across 12E and 0N.
    const double walks[2][4] = {{47.5, 11.9999, 0, 0.5 / 75347.0}, {2e-5, 9.3, -0.5 / 110574.0, 0}};
    for (const auto& w : walks) {
        RunProjection run = {};
        double n0 = 0, e0 = 0, worst = 0;
        for (int i = 0; i <= 80; ++i, n0 = north, e0 = east) {
            ProjectInRun(&run, w[0] + i * w[2], w[1] + i * w[3], &north, &east);
            if (i) worst = std::max(worst, std::fabs(std::hypot(north - n0, east - e0) - 0.5));
        }
        CHECK(worst < 0.01 && (w[2] == 0 ? east > 720000.0 && run.Zone == 32 : north < 0 && !run.South));
    }
    LatLonToUtm(10.0, std::nan(""), &zone, &north, &east); // no undefined zone
    CHECK(zone >= 1 && zone <= 60);
    return TestSummary("test_utm");
}

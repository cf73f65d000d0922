// The UTM projection against positions worked to the millimetre, the zone
// edges and the false northing.
#include <cmath>

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
    return TestSummary("test_utm");
}

// Geographic positions to UTM: a Transverse Mercator series on the WGS 84
// ellipsoid, plain 6-degree zones. Pure computation, free of Win32.
#pragma once
#include <cstdint>

// Derives the series coefficients from the ellipsoid; once, at start-up,
// before any position is projected.
void InitUtmConstants();

// Latitude and longitude in signed decimal degrees (north and east
// positive) to the zone (1..60, from the longitude alone), northing and
// easting in metres. The false northing applies below the equator.
void LatLonToUtm(double latitude, double longitude, int32_t* zone, double* northing,
                 double* easting);
// The same in a given zone and hemisphere (south 1: the false northing),
// whatever the position's own: northings below 0 and eastings beyond the
// zone are results like any other.
void LatLonToUtmInZone(double latitude, double longitude, int32_t zone, int south,
                       double* northing, double* easting);

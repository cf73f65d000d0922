// The UTM projection (see utm.h).
#include "gps/utm.h"

#include <cmath>

namespace {

const double DegreesToRadians = 0.0174532925199433;
const double SemiMajorAxis = 6378137.0;
const double InverseFlattening = 298.257223563;
const double ScaleFactor = 0.9996;
const double FalseEasting = 500000.0;
const double SouthernFalseNorthing = 10000000.0;

// Derived once from the two defining values above, in this order.
struct UtmConstants {
    double b, e2, ep2, n, A, B, C, D, E;
};
UtmConstants U;

} // namespace

void InitUtmConstants()
{
    const double a = SemiMajorAxis, f1 = InverseFlattening;
    U.b = a * (f1 - 1) / f1;
    U.e2 = (a * a - U.b * U.b) / (a * a);
    U.ep2 = (a * a - U.b * U.b) / (U.b * U.b);
    const double n = U.n = (a - U.b) / (a + U.b);
    U.A = a * (1 - n + 5 * (n * n - n * n * n) / 4 + 81 * (std::pow(n, 4) - std::pow(n, 5)) / 64);
    U.B = 3 * a / 2 * (n - n * n + 7 * (n * n * n - std::pow(n, 4)) / 8 + 55 * std::pow(n, 5) / 64);
    U.C = 15 * a / 16 * (n * n - n * n * n + 3 * (std::pow(n, 4) - std::pow(n, 5)) / 4);
    U.D = 35 * a / 48 * (n * n * n - std::pow(n, 4) + 11 * std::pow(n, 5) / 16);
    U.E = 315 * a / 512 * (std::pow(n, 4) - std::pow(n, 5));
}

void LatLonToUtm(double latitude, double longitude, int32_t* zone, double* northing,
                 double* easting)
{
    const double lambda = longitude * DegreesToRadians;
    // Plain 6-degree zones; 180 degrees and beyond stay in zone 60, -180 in 1.
    // Clamped before the conversion to an integer, which a NaN or a huge
    // longitude would make undefined.
    double z = std::floor((lambda / DegreesToRadians) / 6.0) + 31;
    z = z > 60 ? 60 : z >= 1 ? z : 1;
    *zone = (int32_t)z;
    LatLonToUtmInZone(latitude, longitude, *zone, latitude * DegreesToRadians < 0, northing,
                      easting);
}

void LatLonToUtmInZone(double latitude, double longitude, int32_t z, int south, double* northing,
                       double* easting)
{
    const double phi = latitude * DegreesToRadians, lambda = longitude * DegreesToRadians;
    const double dl = lambda - (z * 6 - 183) * DegreesToRadians;

    const double s = std::sin(phi), c = std::cos(phi), t = s / c, eta = U.ep2 * c * c;
    const double nu = SemiMajorAxis / std::sqrt(1 - U.e2 * s * s), k0 = ScaleFactor;
    const double t2 = t * t, t4 = std::pow(t, 4), t6 = std::pow(t, 6);
    const double arc = U.A * phi - U.B * std::sin(2 * phi) + U.C * std::sin(4 * phi) -
                       U.D * std::sin(6 * phi) + U.E * std::sin(8 * phi);

    const double T1 = arc * k0;
    const double T2 = nu * s * c * k0 / 2;
    const double T3 = nu * s * std::pow(c, 3) * k0 * (5 - t2 + 9 * eta + 4 * eta * eta) / 24;
    const double T4 = nu * s * std::pow(c, 5) * k0 *
                      (61 - 58 * t2 + t4 + 270 * eta - 330 * t2 * eta + 445 * eta * eta +
                       324 * std::pow(eta, 3) - 680 * t2 * eta * eta + 88 * std::pow(eta, 4) -
                       600 * t2 * std::pow(eta, 3) - 192 * t2 * std::pow(eta, 4)) /
                      720;
    const double T5 = nu * s * std::pow(c, 7) * k0 * (1385 - 3111 * t2 + 543 * t4 - t6) / 40320;
    const double falseNorthing = south ? SouthernFalseNorthing : 0.0;
    *northing = falseNorthing + T1 + std::pow(dl, 2) * T2 + std::pow(dl, 4) * T3 +
                std::pow(dl, 6) * T4 + std::pow(dl, 8) * T5;

    const double T6 = nu * c * k0;
    const double T7 = nu * std::pow(c, 3) * k0 * (1 - t2 + eta) / 6;
    const double T8 = nu * std::pow(c, 5) * k0 *
                      (5 - 18 * t2 + t4 + 14 * eta - 58 * t2 * eta + 13 * eta * eta +
                       4 * std::pow(eta, 3) - 64 * t2 * eta * eta - 24 * t2 * std::pow(eta, 3)) /
                      120;
    const double T9 = nu * std::pow(c, 7) * k0 * (61 - 479 * t2 + 179 * t4 - t6) / 5040;
    *easting =
        FalseEasting + dl * T6 + std::pow(dl, 3) * T7 + std::pow(dl, 5) * T8 + std::pow(dl, 7) * T9;
}

// The antenna-to-sensor geometry. Ahead of the antenna (Y < 0) and beside
// it (Y = 0) the sensor sits on the current heading; behind it (Y > 0) the
// sensor is found Y back along the walked track, extrapolated past the
// track's start while the track is still shorter than Y.
#include "gps/sensor_offset.h"

#include <cmath>
#include <cstring>

void SetOffsetMode(SensorOffsetRecord* s, float offsetY)
{
    s->Mode = offsetY > 0 ? 1 : offsetY < 0 ? -1 : 0;
}

namespace {

// Unit vector (uE, uN) plus x across it to the left of travel.
void Across(double pointE, double pointN, double uE, double uN, double x, double* sensorE,
            double* sensorN)
{
    *sensorE = pointE - x * uN;
    *sensorN = pointN + x * uE;
}

// The direction of this step, or of the last step that had one. A step of
// zero length has no direction of its own; until any step had one, the
// offsets cannot be placed and the sensor is taken at the antenna.
int Heading(SensorOffsetRecord* s, double dE, double dN, double d, double* uE, double* uN)
{
    if (d > 0 && std::isfinite(d) && (dE != 0 || dN != 0)) {
        s->HeadingEasting = dE / d;
        s->HeadingNorthing = dN / d;
        s->HasHeading = 1;
    }
    *uE = s->HeadingEasting;
    *uN = s->HeadingNorthing;
    return s->HasHeading;
}

// Drops the entries before `first`, distances measured from it again.
void DropTrackBefore(SensorOffsetRecord* s, int first)
{
    const double base = s->TrackDistance[first];
    const int keep = s->TrackCount - first;
    std::memmove(s->TrackEasting, s->TrackEasting + first, keep * sizeof(double));
    std::memmove(s->TrackNorthing, s->TrackNorthing + first, keep * sizeof(double));
    std::memmove(s->TrackDistance, s->TrackDistance + first, keep * sizeof(double));
    for (int i = 0; i < keep; ++i) s->TrackDistance[i] -= base;
    s->TrackCount = keep;
    s->TrackLength = s->TrackDistance[keep - 1];
}

void AppendToTrack(SensorOffsetRecord* s, double e, double n, double keptE, double keptN)
{
    if (s->TrackCount <= 0) {
        s->TrackLength = 0;
        s->TrackEasting[0] = keptE;
        s->TrackNorthing[0] = keptN;
        s->TrackDistance[0] = 0;
        s->TrackCount = 1;
    }
    const int last = s->TrackCount - 1;
    const double seg = std::hypot(e - s->TrackEasting[last], n - s->TrackNorthing[last]);
    // Standing still adds nothing: a zero-length segment has no direction.
    if (seg > 0) {
        s->TrackEasting[last + 1] = e;
        s->TrackNorthing[last + 1] = n;
        s->TrackDistance[last + 1] = s->TrackDistance[last] + seg;
        s->TrackLength = s->TrackDistance[last + 1];
        s->TrackCount += 1;
    }
    if (s->TrackCount > TRACK_HISTORY_LIMIT) DropTrackBefore(s, TRACK_HISTORY_DROP);
}

// The point y back along the track, then x across the segment it lies on.
void FollowTrack(SensorOffsetRecord* s, double x, double y, double* sensorE, double* sensorN)
{
    const double* E = s->TrackEasting;
    const double* N = s->TrackNorthing;
    if (s->TrackCount < 2) { // no segment yet: the track's start itself
        *sensorE = E[0];
        *sensorN = N[0];
        return;
    }
    if (y > s->TrackLength) { // beyond the start: extend the first segment backwards
        const double l01 = s->TrackDistance[1];
        const double uE = (E[1] - E[0]) / l01, uN = (N[1] - N[0]) / l01;
        const double r = y - s->TrackLength;
        Across(E[0] - uE * r, N[0] - uN * r, uE, uN, x, sensorE, sensorN);
        return;
    }
    int k = 1;
    while (k < s->TrackCount - 1 && s->TrackLength - s->TrackDistance[k] > y) ++k;
    const double r = y - (s->TrackLength - s->TrackDistance[k]);
    const double ls = s->TrackDistance[k] - s->TrackDistance[k - 1];
    const double uE = (E[k] - E[k - 1]) / ls, uN = (N[k] - N[k - 1]) / ls;
    Across(E[k - 1] + uE * (ls - r), N[k - 1] + uN * (ls - r), uE, uN, x, sensorE, sensorN);
    if (k > TRACK_HISTORY_DROP) DropTrackBefore(s, k - 1);
}

} // namespace

void LocateSensor(SensorOffsetRecord* s, double x, double y, double e, double n, double dE,
                  double dN, double d, double keptE, double keptN, double* sensorE, double* sensorN)
{
    double uE = 0, uN = 0;
    const int heading = Heading(s, dE, dN, d, &uE, &uN);
    *sensorE = e;
    *sensorN = n;
    if (s->Mode == 1) {
        AppendToTrack(s, e, n, keptE, keptN);
        s->State = OFFSET_APPLIED;
        FollowTrack(s, x, y, sensorE, sensorN);
        return;
    }
    if (s->Mode == 0 && s->State == OFFSET_NOTHING_YET) {
        // The first recorded position: no step to take a direction from.
        s->State = OFFSET_FIRST_SEEN;
        return;
    }
    s->State = OFFSET_APPLIED;
    if (!heading) return;
    const double ahead = s->Mode == -1 ? -y : 0; // y < 0: ahead along the heading
    Across(e + ahead * uE, n + ahead * uN, uE, uN, x, sensorE, sensorN);
}

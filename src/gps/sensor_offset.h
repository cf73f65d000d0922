// Where the sensor is, given where the antenna is: the antenna offsets
// across (X) and along (Y) the direction of travel. A sensor behind the
// antenna (Y > 0) follows the walked track, so a short history of antenna
// positions with their distance along the track is kept. Pure computation.
#pragma once
#include <cstdint>

// Compaction keeps the history at most 41 entries long; one more slot for
// the entry appended before compacting.
enum { TRACK_HISTORY_SLOTS = 42, TRACK_HISTORY_LIMIT = 40, TRACK_HISTORY_DROP = 11 };

enum OffsetState { OFFSET_NOTHING_YET = 0, OFFSET_FIRST_SEEN = 1, OFFSET_APPLIED = 2 };

struct SensorOffsetRecord {
    int32_t Mode;  // sign of the along-track offset Y
    int32_t State; // OffsetState
    double TrackEasting[TRACK_HISTORY_SLOTS];
    double TrackNorthing[TRACK_HISTORY_SLOTS];
    double TrackDistance[TRACK_HISTORY_SLOTS]; // cumulative along the track
    int32_t TrackCount;
    double TrackLength; // the last entry's distance
    // The last direction of travel, for steps too short to have one.
    double HeadingEasting, HeadingNorthing;
    int32_t HasHeading;
};

// Sets the mode from the along-track offset (when the settings are applied).
void SetOffsetMode(SensorOffsetRecord* s, float offsetY);

// Antenna at (e, n), having moved (dE, dN) over distance d since the last
// position; (keptE, keptN) is the last position seen while not recording,
// where the walked track starts. x positive puts the sensor left of the
// direction of travel, y positive behind the antenna along the track.
void LocateSensor(SensorOffsetRecord* s, double x, double y, double e, double n, double dE,
                  double dN, double d, double keptE, double keptN, double* sensorE,
                  double* sensorN);

// Values that follow from the settings: scale factors, grid tables, rates,
// marker sizes and map margins. Never stored; recomputed after every load.
#include "settings/derived_values.h"
#include "settings/grid_table.h"
#include "settings/saturating_int.h"
#include "app/app_state.h"
#include "logging/log_run.h"
#include "gps/gps_reader.h"

enum { MAX_READINGS_PER_SECOND = 18 };

void ComputeReadingRates()
{
    // Double arithmetic on the single-precision interval: 0.2f is slightly
    // above 0.2, so it gives 4 readings per second, not 5.
    double perSecond = 1.0 / (double)Settings.ReadingInterval;
    if (!(perSecond >= 1.0)) perSecond = 1.0; // also a negative or NaN interval
    if (perSecond > MAX_READINGS_PER_SECOND) perSecond = MAX_READINGS_PER_SECOND;
    Settings.ReadingsPerSecond = (int32_t)perSecond;
}

void ComputeProfileScaleValues()
{
    float range = Settings.ProfileScaleMax - Settings.ProfileScaleMin;
    Settings.ProfilePixelsPerUnit = (float)Layout.ProfileHeight / range;
    Settings.BarPixelsPerUnit = (float)Layout.BarsHeight / range;
    BuildGridTable(&Settings.ProfileGrid, Layout.ProfileHeight, Settings.ProfileScaleMin,
                   Settings.ProfileScaleMax, Settings.ProfilePixelsPerUnit, &Settings.GridZeroSide);
    BuildGridTable(&Settings.BarGrid, Layout.BarsHeight, Settings.ProfileScaleMin,
                   Settings.ProfileScaleMax, Settings.BarPixelsPerUnit, &Settings.GridZeroSide);
}

void ComputeGpsDisplayInterval()
{
    // 910 ms for "1 Hz", 410 ms for "2 Hz": a little under the sentence period.
    Settings.GpsDisplayIntervalMs = 910 - 500 * Settings.MaxGpsDisplay;
}

void ComputeSpeedScaleValues()
{
    Settings.SpeedPixelsPerUnit =
        (float)Layout.ProfileWidth / (Settings.SpeedScaleMax - Settings.SpeedScaleMin);
}

void ComputeReadingInterval()
{
    Settings.ReadingIntervalMs = TruncToInt(Settings.ReadingInterval * 1000.0f);
    ComputeReadingRates();
}

void ComputeStationValues()
{
    switch (Settings.LoggingMode) {
    case 1: Settings.StationIncrement = Settings.WheelIncrement; break;
    case 2: Settings.StationIncrement = Settings.ManualStationIncrement; break;
    default: Settings.StationIncrement = Settings.AutoStationIncrement; break;
    }
    LogRun.Mode = Settings.LoggingMode;
    LogRun.Station = Settings.StartStation;
}

void ComputeMapMarkerSizes()
{
    if (Settings.MapCurrentSize < 5) {
        Settings.MapCurrentRadius = Settings.MapCurrentSize + 3;
        Settings.MapCurrentDiameter = Settings.MapCurrentRadius * 2 + 1;
    } else {
        Settings.MapCurrentRadius = 9;
        Settings.MapCurrentDiameter = 19;
    }
}

void ComputeMapEdgeMargins()
{
    // Step 0, 1, 2 ... gives 10 %, 15 %, 20 % ... of the pane's width.
    Settings.MapEdgeMarginPx =
        TruncToInt((5.0 * Settings.MapEdgeMargin + 10.0) * 0.01 * Layout.ProfileWidth);
    Settings.MapRecenterPx = Settings.MapEdgeMarginPx + 20;
}

void ComputeDerivedValues()
{
    ComputeProfileScaleValues();
    ComputeGpsDisplayInterval();
    ComputeSpeedScaleValues();
    ComputeReadingInterval();
    ComputeStationValues();
    ComputeMapMarkerSizes();
    ComputeMapEdgeMargins();
}

void ApplyInstrumentDefaults()
{
    Settings.ProfileScaleMin = 0.0f;
    Settings.ProfileScaleMax = 2000.0f;
    ComputeProfileScaleValues();
    Settings.ChannelCount = 4;
    InitGpsSentenceSet(Settings.GpsType);
}

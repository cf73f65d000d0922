// The settings record with its start-up defaults. The stored fields are
// what a missing configuration file is rebuilt from; the derived values are
// filled in at start-up (ComputeDerivedValues) and after every load.
#include "settings/settings.h"

SettingsRecord Settings = {
    1,                                 // InstrumentEnabled
    0,                                 // SensorSize: "1 x 0.5 m"
    0,                                 // Units: meters
    0,                                 // SpeedUnits: meters/s
    0,                                 // InstrumentPort: "COM1:"
    1,                                 // Audio
    0,                                 // PauseKey: any non numeric key
    1,                                 // SoftKeyboard
    {1, 1, 1, 1, 1, 1, 1, 1},          // ChannelShown
    {2, 3, 4, 1, 2, 4, 3, 1},          // ChannelPenWidth
    {16711680, 65280, 255, 16711935,   // ChannelColor: blue, green, red, magenta,
     16776960, 65535, 32896, 8421376}, //   cyan, yellow, olive, teal
    0,                                 // CompressedProfiles: linear
    0.0f,                              // ProfileScaleMin
    2000.0f,                           // ProfileScaleMax
    1,                                 // GpsEnabled
    1,                                 // GpsType: GGA
    1,                                 // GpsPort: "COM2:"
    1,                                 // GpsBaudRate: 9600
    1,                                 // GpsDataBits: 8
    0,                                 // GpsParity: none
    0,                                 // GpsStopBits: 1
    0,                                 // MaxGpsDisplay: 1 Hz
    0.0f,                              // SpeedScaleMin
    10.0f,                             // SpeedScaleMax
    0,                                 // LoggingMode: Auto
    1.0,                               // AutoStationIncrement
    0.2,                               // WheelIncrement
    2.0,                               // ManualStationIncrement
    0.2f,                              // ReadingInterval: 5 readings/s
    L"0",                              // SurveyLine
    1.0,                               // LineIncrement
    0,                                 // LineSequence: alternate
    1,                                 // LineDirection: South
    0.0,                               // StartStation
    0,                                 // CoordinatesDisplay: geodetic
    5,                                 // MapCurrentSize
    4,                                 // MapSavedSize
    3,                                 // MapExternalSize
    16711680,                          // MapCurrentColor: blue
    255,                               // MapSavedColor: red
    65280,                             // MapExternalColor: green
    1,                                 // AsciiLatColumn: "Column 2"
    0,                                 // AsciiLonColumn: "Column 1"
    0,                                 // AsciiDelimiter: space
    1.5f,                              // MapGridInterval
    10,                                // MapScale
    1,                                 // MapEdgeMargin
    1,                                 // GpsWarning
    1,                                 // GpsWarnQuality: DGPS
    5,                                 // GpsWarnSatellites
    4.0f,                              // GpsWarnPdop
    0.0f,                              // GpsOffsetX
    0.0f,                              // GpsOffsetY
    0,                                 // SoftMarker
    0,                                 // RtsUnits
    0,                                 // RtsUnits3

    -1, // InstrumentType: EM61-MK2, fixed for this build
    0,  // Em61Mk2Type: every start begins with "Standard"
    0,  // GpsWarnQualityMatch: equal/above
    4,  // ChannelCount
    0,  // AsciiCoordinates: Lat/Lon degrees
    0,  // MonitorRts: "RTS #1"
    0,
    0, // Gps2Enabled, Gps3Enabled: only the first GPS input exists
    2,
    3, // Gps2Port, Gps3Port
    0, // OutputEnabled
    0,
    0,
    0,
    0,
    0, // OutputPort, OutputBaudRate, OutputDataBits, OutputParity, OutputStopBits
    1, // ShowSpeedBar

    // Derived values: computed at start-up and after every load.
    0,       // ReadingIntervalMs
    0,       // ReadingsPerSecond
    0.0,     // StationIncrement
    0.0f,    // ProfilePixelsPerUnit
    0.0f,    // BarPixelsPerUnit
    {0, {}}, // ProfileGrid
    {0, {}}, // BarGrid
    0,       // GridZeroSide
    0.0f,    // SpeedPixelsPerUnit
    0,       // GpsDisplayIntervalMs
    0,       // MapCurrentDiameter
    0,       // MapCurrentRadius
    0,       // MapEdgeMarginPx
    0,       // MapRecenterPx
};

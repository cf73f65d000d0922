// The settings record: every user setting of the logger and the values
// derived from them. Written only on the user-interface thread; the reader
// threads read single aligned fields without locking.
#pragma once
#include <cstdint>

// Pixel rows of the horizontal grid lines of a profile or bar pane,
// measured downwards from the top. Row[0] is unused so that the rows keep
// their natural numbering 1..9; row 1 is the zero line when the scale spans 0.
struct GridTable {
    int32_t Count;
    int32_t Row[10];
};

struct SettingsRecord {
    // Stored in the configuration file (line number in brackets).
    int32_t InstrumentEnabled;     // [2]
    int32_t SensorSize;            // [3]
    int32_t Units;                 // [4] 0 m, 1 ft, 2 US survey ft
    int32_t SpeedUnits;            // [5]
    int32_t InstrumentPort;        // [6] 0 = "COM1:"
    int32_t Audio;                 // [7]
    int32_t PauseKey;              // [8]
    int32_t SoftKeyboard;          // [9] and [77]
    int32_t ChannelShown[8];       // [10-17]
    int32_t ChannelPenWidth[8];    // [18-25]
    uint32_t ChannelColor[8];      // [26-33] COLORREF
    int32_t CompressedProfiles;    // [34]
    float ProfileScaleMin;         // [35]
    float ProfileScaleMax;         // [36]
    int32_t GpsEnabled;            // [37]
    int32_t GpsType;               // [38]
    int32_t GpsPort;               // [39]
    int32_t GpsBaudRate;           // [40]
    int32_t GpsDataBits;           // [41]
    int32_t GpsParity;             // [42]
    int32_t GpsStopBits;           // [43]
    int32_t MaxGpsDisplay;         // [44]
    float SpeedScaleMin;           // [45]
    float SpeedScaleMax;           // [46]
    int32_t LoggingMode;           // [47] 0 Auto, 1 Wheel, 2 Manual
    double AutoStationIncrement;   // [48]
    double WheelIncrement;         // [49]
    double ManualStationIncrement; // [50]
    float ReadingInterval;         // [51] seconds
    wchar_t SurveyLine[24];        // [52]
    double LineIncrement;          // [53]
    int32_t LineSequence;          // [54]
    int32_t LineDirection;         // [55] 0 W, 1 S, 2 N, 3 E
    double StartStation;           // [56]
    int32_t CoordinatesDisplay;    // [57]
    int32_t MapCurrentSize;        // [58]
    int32_t MapSavedSize;          // [59]
    int32_t MapExternalSize;       // [60]
    uint32_t MapCurrentColor;      // [61]
    uint32_t MapSavedColor;        // [62]
    uint32_t MapExternalColor;     // [63]
    int32_t AsciiLatColumn;        // [64]
    int32_t AsciiLonColumn;        // [65]
    int32_t AsciiDelimiter;        // [66]
    float MapGridInterval;         // [67]
    int32_t MapScale;              // [68]
    int32_t MapEdgeMargin;         // [69]
    int32_t GpsWarning;            // [70]
    int32_t GpsWarnQuality;        // [71]
    int32_t GpsWarnSatellites;     // [72]
    float GpsWarnPdop;             // [73]
    float GpsOffsetX;              // [74]
    float GpsOffsetY;              // [75]
    int32_t SoftMarker;            // [76]
    int32_t RtsUnits;              // [78]
    int32_t RtsUnits3;             // [79]

    // Not stored.
    int32_t InstrumentType; // constant -1: EM61-MK2
    int32_t Em61Mk2Type;    // 0 Standard, 1 High Power, 2/3 NCC
    int32_t GpsWarnQualityMatch;
    int32_t ChannelCount;
    int32_t AsciiCoordinates;
    int32_t MonitorRts;
    int32_t Gps2Enabled, Gps3Enabled;
    int32_t Gps2Port, Gps3Port;
    int32_t OutputEnabled; // output port of other configurations: stays 0
    int32_t OutputPort, OutputBaudRate, OutputDataBits, OutputParity, OutputStopBits;
    int32_t ShowSpeedBar;

    // Derived after every load.
    int32_t ReadingIntervalMs;
    int32_t ReadingsPerSecond;
    double StationIncrement;
    float ProfilePixelsPerUnit;
    float BarPixelsPerUnit;
    GridTable ProfileGrid;
    GridTable BarGrid;
    int32_t GridZeroSide;
    float SpeedPixelsPerUnit;
    int32_t GpsDisplayIntervalMs;
    int32_t MapCurrentDiameter;
    int32_t MapCurrentRadius;
    int32_t MapEdgeMarginPx;
    int32_t MapRecenterPx;
};

extern SettingsRecord Settings;

// GPS fix and position-log records. The GPS reader and fix processing fill
// them; the launch, the teardown and the read-outs use the fields below.
#pragma once
#include <windows.h>
#include <cstdint>

#include "gps/sensor_offset.h"

struct GpsFixRecord {
    volatile int32_t Valid; // a usable position was seen this run
    float Pdop;             // -2.0 = no value yet
    float Speed;            // distance units per second
    int32_t Quality;
    int32_t Satellites;
    uint32_t LastTick;  // tick of the last decoded position sentence
    int32_t GsaPending; // 1 after a position sentence until a GSA is used
    int32_t PositionOk; // the sentence being handled gave a usable position
    char Blink;         // '/' or '\': which box holds the status dot
};

struct GpsLogRecord {
    int32_t MaxPositions;
    int32_t Capacity;
    int32_t StoreAllocated;
    int32_t FixCount;
    int32_t PositionCount;
    double* StoreEasting; // the sensor positions of the run, distance units
    double* StoreNorthing;
    int32_t StoreCount;
    SensorOffsetRecord Offset;
};

extern GpsFixRecord GpsFix;
extern GpsLogRecord GpsLog;
extern HANDLE hGpsThread;
extern volatile int32_t GpsReaderRunning;

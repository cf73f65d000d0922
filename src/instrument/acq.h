// Acquisition state shared by the instrument reader threads and the
// user-interface thread. Every shared field is one aligned 32-bit word.
#pragma once
#include <cstdint>

enum AcqPhase : int32_t {
    PHASE_NORMALISING = 0, // the first 98 readings of a run
    PHASE_MEASURING = 1,
    PHASE_NULLING = -1, // 50 readings summed for the null offsets
};

struct AcqRecord {
    volatile int32_t PolledMode; // 1 after "OK", 0 after "OV"
    char RateChar;               // 'H' or 'L'
    int32_t Connected;
    void* hEvent; // manual-reset event of polled requests
    volatile int32_t FrameReceived;
    volatile int32_t FrameDivisor;
    volatile int32_t FrameCounter;
    volatile uint32_t LastDataTick;
    volatile int32_t MissedPolls;
    volatile int32_t MarkPending;
    volatile int32_t Phase; // AcqPhase
    float RefHistory[98];
    int32_t RefIndex;
    float RefSum;
    float RefAverage;
    float GainFactor;
    float NullOffset[4];
    float PrevNullOffset[4];
    float NullSum[4];
    int32_t NullCount;
    int32_t NullPending; // Null pressed before normalisation ended
};

extern AcqRecord Acq;

// The frame buffer handed from a reader thread to the reading handler.
extern unsigned char InstrumentFrame[17];

// Every streamed frame delivered again (the divisor 1, the count cleared).
void ResetFrameThinning();
// The acquisition values a new run starts from: normalising, no Null
// waiting, no missed polls, no marker, no thinning.
void ResetAcquisitionForRun();

// The acquisition record and the frame buffer, and the resets that more
// than one run step needs.
#include "instrument/acq.h"

// Constant-initialised, so it is valid before any constructor runs: rate
// 'H' and every streamed frame delivered; everything else zero.
AcqRecord Acq = {
    /*PolledMode*/ 0,    /*RateChar*/ 'H',      /*Connected*/ 0,
    /*hEvent*/ nullptr,
    /*FrameReceived*/ 0, /*FrameDivisor*/ 1,    /*FrameCounter*/ 0,
    /*LastDataTick*/ 0,
    /*MissedPolls*/ 0,   /*MarkPending*/ 0,     /*Phase*/ 0,
    /*RefHistory*/ {},   /*RefIndex*/ 0,        /*RefSum*/ 0,
    /*RefAverage*/ 0,    /*GainFactor*/ 0,
    /*NullOffset*/ {},   /*PrevNullOffset*/ {}, /*NullSum*/ {},
    /*NullCount*/ 0,
    /*NullPending*/ 0,
};
unsigned char InstrumentFrame[17];

void ResetFrameThinning()
{
    Acq.FrameDivisor = 1;
    Acq.FrameCounter = 0;
}

void ResetAcquisitionForRun()
{
    Acq.Phase = PHASE_NORMALISING;
    Acq.NullPending = 0;
    // A run that follows a given-up one must not give up at its first miss.
    Acq.MissedPolls = 0;
    Acq.MarkPending = 0;
    ResetFrameThinning();
}

#include "instrument/em61mk2_reader_loop.h"

#include "instrument/acq.h"

namespace {

// Streamed frames are thinned by Acq.FrameDivisor. ">=" rather than "==":
// the user-interface thread sets the divisor and clears the counter in two
// steps, and a counter caught above a newly lowered divisor must not stall
// delivery until it wraps.
bool StreamFrameDue()
{
    Acq.FrameCounter = Acq.FrameCounter + 1;
    if (Acq.FrameCounter < Acq.FrameDivisor) return false;
    Acq.FrameCounter = 0;
    return true;
}

// The reference level of the readings so far, by which the cutter judges
// frame ends: while normalising, the mean of the references taken so far
// once there are a few; then the normalised average.
float KnownReferenceLevel()
{
    const int window = sizeof Acq.RefHistory / sizeof Acq.RefHistory[0];
    const int firstJudged = 8;
    if (Acq.Phase != PHASE_NORMALISING) return Acq.RefSum / window;
    const int taken = Acq.RefIndex;
    if (taken < firstJudged || taken > window) return 0;
    float sum = 0;
    for (int i = 0; i < taken; ++i) sum += Acq.RefHistory[i];
    return sum / taken;
}

void HandOver(FrameCutter* cutter, bool marksTwins, const ReaderPlatform& io)
{
    StoreFrameRecord(FrameRecord(cutter), marksTwins && Acq.MarkPending == 1, InstrumentFrame);
    io.Deliver(io.Context);
    cutter->ReferenceLevel = KnownReferenceLevel(); // the handler has just updated it
}

void OnFrameEnd(Em61Mk2ReaderKind kind, FrameCutOutcome outcome, FrameCutter* cutter,
                const ReaderPlatform& io)
{
    const bool marksTwins = ReaderRules(kind).MarksTwins;
    switch (kind) {
    case READER_POLLED:
        if (outcome == CUT_FRAME) {
            HandOver(cutter, marksTwins, io);
            ResetFrameCutter(cutter);
            Acq.MissedPolls = 0;
        }
        // Reset the event before freeing the next request: the timer sets
        // it again only after it has seen FrameReceived = 1.
        io.ResetRequest(io.Context);
        Acq.FrameReceived = 1;
        break;
    case READER_STREAM:
        if (outcome != CUT_FRAME) break;
        // Stamped before the hand-over: the reading's record carries the
        // time of its own frame, not that of the one before.
        Acq.LastDataTick = io.Tick(io.Context);
        Acq.MissedPolls = 0;
        if (StreamFrameDue()) HandOver(cutter, marksTwins, io);
        ResetFrameCutter(cutter);
        break;
    case READER_WHEEL:
        Acq.LastDataTick = io.Tick(io.Context);
        if (outcome == CUT_FRAME) {
            HandOver(cutter, marksTwins, io);
            ResetFrameCutter(cutter);
        } else {
            Acq.FrameReceived = 1;
        }
        break;
    }
}

} // namespace

void RunEm61Mk2Reader(Em61Mk2ReaderKind kind, const ReaderPlatform& io)
{
    FrameCutter cutter;
    cutter.ReferenceLevel = KnownReferenceLevel();
    while (io.PortOpen(io.Context)) {
        if (kind == READER_POLLED) {
            io.WaitForRequest(io.Context);
            // The port may have been closed while we waited: the closer
            // signals the event precisely so that we notice it here.
            if (!io.PortOpen(io.Context)) break;
        }
        unsigned char byte;
        if (!io.ReadByte(io.Context, &byte)) continue;
        const FrameCutOutcome outcome = AppendFrameByte(&cutter, kind, byte);
        if (outcome == CUT_FRAME || outcome == CUT_REFUSED) OnFrameEnd(kind, outcome, &cutter, io);
    }
}

#include "instrument/em61mk2_reader_loop.h"

#include "instrument/acq.h"

namespace {

const unsigned char kFrameEndByte = 0x7F;

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

int BytesBeforeFrameEnd(const FrameCutter& cutter)
{
    const int32_t n = cutter.Count;
    if (n < 0) return 1;
    const int lastIsEnd = n > 0 && cutter.Buffer[n - 1] == kFrameEndByte;
    const int afterPair = lastIsEnd ? 1 : 2;
    const int toLength = FRAME_WIRE_LENGTH - n;
    return toLength > afterPair ? toLength : afterPair;
}

void RunEm61Mk2Reader(Em61Mk2ReaderKind kind, const ReaderPlatform& io)
{
    FrameCutter cutter;
    cutter.ReferenceLevel = KnownReferenceLevel();
    unsigned char burst[FRAME_WIRE_LENGTH];
    while (io.PortOpen(io.Context)) {
        if (kind == READER_POLLED) {
            io.WaitForRequest(io.Context);
            // The port may have been closed while we waited: the closer
            // signals the event precisely so that we notice it here.
            if (!io.PortOpen(io.Context)) break;
        }
        // A read never reaches past the next possible frame end, so only its
        // last byte can end a frame and no read holds two frames. The tick
        // OnFrameEnd takes is that of the read that brought the frame's last
        // byte, as with one-byte reads; frames that queued up behind a slow
        // handler are read one per read, each stamped when it is taken, and
        // a frame never waits for bytes of the next one.
        const int got = io.ReadBytes(io.Context, burst, BytesBeforeFrameEnd(cutter));
        for (int i = 0; i < got; ++i) {
            const FrameCutOutcome outcome = AppendFrameByte(&cutter, kind, burst[i]);
            if (outcome == CUT_FRAME || outcome == CUT_REFUSED)
                OnFrameEnd(kind, outcome, &cutter, io);
        }
    }
}

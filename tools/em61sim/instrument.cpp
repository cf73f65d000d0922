// The instrument's side of the protocol: the two-character probe, one frame
// per 'A' when polled, frames at the H/L rate when streaming, one frame per
// wheel trigger in wheel mode; trigger marks and the injected faults.
#include "em61sim.h"

InstrumentState Inst;

namespace {

uint64_t gFramesProduced = 0; // counts towards the every-K faults

int64_t PeriodNs(double hz) { return (int64_t)(kNsPerSec / hz); }

bool Marked(int64_t now)
{
    if (Inst.triggerHeld || now < Inst.triggerUntilNs) return true;
    if (Inst.markCount > 0) {
        Inst.markCount--;
        return true;
    }
    return false;
}

bool Every(int k) { return k > 0 && gFramesProduced % (uint64_t)k == 0; }

void ProduceFrame(int64_t now)
{
    if (!LineCanTakeFrame()) {
        // Nobody listens (or the client stopped reading): the frame is lost
        // on the wire, but the walk goes on.
        SampleSurvey(now);
        Line.framesUnheard++;
        return;
    }
    gFramesProduced++;
    uint8_t f[15];
    EncodeFrame(SampleSurvey(now), Inst.letter, f);
    if (Marked(now)) f[0] = (uint8_t)MarkedTwin(Inst.letter);
    if (Inst.nextEmbedded7f || Every(Opt.embedded7fEvery)) {
        f[8] = 0x7F; // channel 4 reads 0x7F7F
        f[9] = 0x7F;
        Inst.nextEmbedded7f = false;
    }
    if (Inst.nextUnknownLetter || Every(Opt.unknownEvery)) {
        f[0] = 'Z';
        Inst.nextUnknownLetter = false;
    }
    if (Every(Opt.garbageEvery)) QueueGarbage(1 + (int)(RandomGarbageByte() % 20));
    QueueFrame(f);
    Inst.framesQueued++;
}

void Answer(const char* text)
{
    QueueBytes((const uint8_t*)text, 2);
    Inst.probesAnswered++;
}

void Probe(char rate, char kind, int64_t now)
{
    Inst.probesReceived++;
    if (!Inst.answering) {
        Note("probe %c%c not answered", rate, kind);
        return;
    }
    Inst.rateChar = rate;
    if (kind == 'W') {
        Inst.state = InstState::Wheel;
        Inst.nextWheelNs = now + PeriodNs(Opt.wheelRate);
    } else if (Inst.polledAnswer) {
        Inst.state = InstState::Polled;
    } else {
        Inst.state = InstState::Stream;
        Inst.nextStreamNs = now + PeriodNs(CurrentStreamRate());
    }
    Answer(Inst.polledAnswer ? "OK" : "OV");
    Note("probe %c%c answered %s, now %s", rate, kind, Inst.polledAnswer ? "OK" : "OV",
         StateName(Inst.state));
}

void Request(int64_t now)
{
    Inst.requests++;
    bool dropped = Opt.dropEvery > 0 && Inst.requests % (uint64_t)Opt.dropEvery == 0;
    if (Inst.state != InstState::Polled || dropped) {
        Inst.requestsIgnored++;
        return;
    }
    ProduceFrame(now);
}

} // namespace

const char* StateName(InstState s)
{
    switch (s) {
    case InstState::Idle: return "idle";
    case InstState::Polled: return "polled";
    case InstState::Stream: return "stream";
    case InstState::Wheel: return "wheel";
    }
    return "?";
}

void InitInstrument()
{
    Inst.polledAnswer = Opt.polled;
    Inst.letter = Opt.letter;
    Inst.answering = Opt.answer;
    if (Opt.triggerEverySec > 0)
        Inst.nextAutoTriggerNs = NowNs() + (int64_t)(Opt.triggerEverySec * kNsPerSec);
}

bool Silent(int64_t now) { return Inst.silentForever || now < Inst.silentUntilNs; }

void StartSilence(int64_t ms, bool forever, int64_t now)
{
    DropQueuedOutput();
    Inst.pendingRate = 0;
    if (forever)
        Inst.silentForever = true;
    else
        Inst.silentUntilNs = now + ms * kNsPerMs;
}

void EndSilence()
{
    Inst.silentForever = false;
    Inst.silentUntilNs = 0;
}

void OnClientBytes(const uint8_t* bytes, int n, int64_t now)
{
    for (int i = 0; i < n; i++) {
        if (Silent(now)) continue; // a silent instrument hears nothing either
        char c = (char)bytes[i];
        if (c == 'H' || c == 'L') {
            Inst.pendingRate = c;
            continue;
        }
        char rate = Inst.pendingRate;
        Inst.pendingRate = 0;
        if ((c == 'X' || c == 'W') && rate)
            Probe(rate, c, now);
        else if (c == 'A')
            Request(now);
        // anything else: the instrument ignores it
    }
}

double CurrentStreamRate() { return Inst.rateChar == 'L' ? Opt.rateL : Opt.rateH; }

void SetStreamRate(char which, double hz, int64_t now)
{
    (which == 'L' ? Opt.rateL : Opt.rateH) = hz;
    if (Inst.state == InstState::Stream) Inst.nextStreamNs = now + PeriodNs(CurrentStreamRate());
}

void QueueGarbage(int n)
{
    uint8_t buf[256];
    while (n > 0) {
        int k = n < (int)sizeof buf ? n : (int)sizeof buf;
        for (int i = 0; i < k; i++) buf[i] = (uint8_t)RandomGarbageByte();
        QueueBytes(buf, k);
        Inst.garbageBytes += k;
        n -= k;
    }
}

void WheelTriggers(int n, int64_t now)
{
    for (int i = 0; i < n; i++) {
        WheelStep();
        if (Inst.state == InstState::Wheel && !Silent(now)) ProduceFrame(now);
    }
}

void InstrumentTick(int64_t now)
{
    if (Inst.silentUntilNs && now >= Inst.silentUntilNs) {
        Inst.silentUntilNs = 0;
        Note("silence over");
    }
    if (Opt.triggerEverySec > 0 && now >= Inst.nextAutoTriggerNs) {
        Inst.triggerUntilNs = now + 300 * kNsPerMs;
        Inst.nextAutoTriggerNs = now + (int64_t)(Opt.triggerEverySec * kNsPerSec);
    }
    if (Inst.state == InstState::Stream && now >= Inst.nextStreamNs) {
        int64_t period = PeriodNs(CurrentStreamRate());
        if (now - Inst.nextStreamNs > period) Inst.nextStreamNs = now; // no bursts after a stall
        if (!Silent(now)) ProduceFrame(now);
        Inst.nextStreamNs += period;
    }
    if (Inst.state == InstState::Wheel) {
        int64_t period = PeriodNs(Opt.wheelRate);
        if (!Walking()) {
            Inst.nextWheelNs = now + period;
        } else if (now >= Inst.nextWheelNs) {
            if (now - Inst.nextWheelNs > period) Inst.nextWheelNs = now;
            WheelStep();
            if (!Silent(now)) ProduceFrame(now);
            Inst.nextWheelNs += period;
        }
    }
}

int64_t NextInstrumentWakeNs(int64_t now)
{
    int64_t next = 0;
    auto consider = [&](int64_t t) {
        if (t > 0 && (next == 0 || t < next)) next = t;
    };
    if (Inst.silentUntilNs) consider(Inst.silentUntilNs);
    if (Opt.triggerEverySec > 0) consider(Inst.nextAutoTriggerNs);
    if (Inst.state == InstState::Stream) consider(Inst.nextStreamNs);
    if (Inst.state == InstState::Wheel)
        consider(Walking() ? Inst.nextWheelNs : now + 100 * kNsPerMs);
    return next;
}

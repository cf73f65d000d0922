// Frame cutting and the three readers' rules, driven by scripted byte
// streams through the same loop the reader threads run.
#include <cstring>
#include <string>
#include <vector>

#include "instrument/acq.h"
#include "instrument/em61mk2_reader_loop.h"
#include "instrument/frame_cutter.h"
#include "test_check.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// A well-formed wire frame; `tag` goes into the battery byte so that the
// tests can tell frames apart.
Bytes WireFrame(char letter, unsigned char tag = 0)
{
    const unsigned char l = static_cast<unsigned char>(letter);
    return {l, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x0B, 0xB8, tag, 0x7F, 0x7F};
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Text(const char* s) { return Bytes(s, s + std::strlen(s)); }

std::vector<FrameCutOutcome> Cut(Em61Mk2ReaderKind kind, const Bytes& bytes, FrameCutter* c,
                                 std::vector<Bytes>* records = nullptr)
{
    std::vector<FrameCutOutcome> events;
    for (unsigned char b : bytes) {
        FrameCutOutcome o = AppendFrameByte(c, kind, b);
        if (o == CUT_NONE) continue;
        events.push_back(o);
        if (o == CUT_FRAME) {
            if (records) records->push_back(Bytes(FrameRecord(c), FrameRecord(c) + 14));
            ResetFrameCutter(c);
        }
    }
    return events;
}

int CountOf(const std::vector<FrameCutOutcome>& v, FrameCutOutcome o)
{
    int n = 0;
    for (auto e : v) n += e == o;
    return n;
}

void TestFrameAfterGarbage()
{
    for (int kind = 0; kind < 3; ++kind) {
        FrameCutter c;
        ResetFrameCutter(&c);
        std::vector<Bytes> records;
        const Bytes frame = WireFrame('T', 9);
        auto ev = Cut(Em61Mk2ReaderKind(kind), Text("garbage\x01\xff") + frame, &c, &records);
        CHECK_EQ(CountOf(ev, CUT_FRAME), 1);
        CHECK_EQ(ev.size(), 1u);
        CHECK(records.size() == 1 && records[0] == Bytes(frame.begin(), frame.begin() + 14));
    }
}

void TestShortPairIsNoFrame()
{
    FrameCutter c;
    ResetFrameCutter(&c);
    // 14 bytes ending in a pair: too short. Adding the frame after it must
    // still find that frame.
    Bytes shortRun = {'T', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x7F, 0x7F};
    auto ev = Cut(READER_STREAM, shortRun, &c);
    CHECK(ev.empty());
    CHECK_EQ(c.Count, 14);
}

// A 0x7F 0x7F pair inside the data words cuts the frame early. The stream
// reader drops the pair's last byte on refusal, so the rest of that frame
// is lost, and its end cannot take a letter from the refused bytes; the
// wheel reader keeps them and still finds the frame's true end.
void TestPairInsideData()
{
    Bytes frame = WireFrame('D', 3);
    frame[2] = 0x7F;
    frame[3] = 0x7F;
    Bytes stream = Bytes(11, 'a') + frame + WireFrame('E', 4);
    const struct {
        Em61Mk2ReaderKind Kind;
        const char* Handed; // letter and tag of each record
    } readers[] = {{READER_STREAM, "E4"}, {READER_WHEEL, "D3E4"}};
    for (const auto& r : readers) {
        FrameCutter c;
        std::vector<Bytes> records;
        CHECK_EQ(CountOf(Cut(r.Kind, stream, &c, &records), CUT_REFUSED), 1);
        std::string handed;
        for (const Bytes& rec : records) handed += std::string(1, rec[0]) + char('0' + rec[12]);
        CHECK_STR(handed, r.Handed);
    }
}

// The two splices seen on the line: a pair inside a frame's data puts the
// letter 14 places back on an accepted letter in the tail of a refused
// frame, or in garbage. Either way the real frame is handed over whole and
// nothing else; garbage is told by the reference word, so only once the
// reference level is known.
void TestSplicedRecords()
{
    Bytes refused = WireFrame('Z');
    refused[9] = 'M';
    Bytes inner = WireFrame('T', 6);
    inner[8] = inner[9] = 0x7F;
    const struct {
        Bytes Before;
        float Level;
    } cases[] = {{refused, 0}, {Text("M\x96\x55\xf4\x17"), 3000}};
    for (const auto& k : cases) {
        for (int kind = 0; kind < 2; ++kind) {
            FrameCutter c;
            c.ReferenceLevel = k.Level;
            std::vector<Bytes> records;
            Cut(Em61Mk2ReaderKind(kind), k.Before + inner, &c, &records);
            CHECK(records.size() == 1 && records[0] == Bytes(inner.begin(), inner.begin() + 14));
        }
    }
}

// A reference that has really moved stops only the first frames off the
// old level; from the ninth on every frame is handed over again.
void TestMovedReference()
{
    FrameCutter c;
    c.ReferenceLevel = 1000;   // the frames carry 3000
    std::vector<Bytes> records;
    Bytes stream;
    for (unsigned char tag = 1; tag <= 11; ++tag) stream = stream + WireFrame('T', tag);
    Cut(READER_STREAM, stream, &c, &records);
    CHECK_EQ(records.size(), 3u);
    CHECK(records.size() == 3 && records[0][12] == 9 && records[2][12] == 11);

    // Misses count only in a row: a refused frame between them is a frame
    // end, and splices on a garbled line must not add up to the giving way.
    FrameCutter g;
    g.ReferenceLevel = 1000;
    records.clear();
    Cut(READER_STREAM, WireFrame('T') + WireFrame('T') + WireFrame('Z') + WireFrame('T') + WireFrame('T'), &g,
        &records);
    CHECK_EQ(records.size(), 0u);
}

// Polled and stream readers hold at most 180 bytes, the wheel reader 181:
// one byte more empties the buffer, and the next frame is found. A frame
// ending on the last usable byte is found (165 bytes before it, not 166).
void TestOverlongRuns()
{
    struct Case {
        Em61Mk2ReaderKind kind;
        int fits;
    } cases[] = {{READER_POLLED, 180}, {READER_STREAM, 180}, {READER_WHEEL, 181}};
    for (const Case& k : cases) {
        FrameCutter c;
        ResetFrameCutter(&c);
        CHECK(Cut(k.kind, Bytes(k.fits, 'x'), &c).empty() && c.Count == k.fits);
        CHECK(AppendFrameByte(&c, k.kind, 'x') == CUT_OVERFLOW && c.Count == 0);
        CHECK_EQ(CountOf(Cut(k.kind, WireFrame('F'), &c), CUT_FRAME), 1);
    }
    const struct {
        Em61Mk2ReaderKind kind;
        int before;
        int found;
    } edges[] = {{READER_STREAM, 165, 1}, {READER_STREAM, 166, 0}, {READER_WHEEL, 166, 1}};
    for (const auto& e : edges) {
        FrameCutter c;
        ResetFrameCutter(&c);
        CHECK_EQ(CountOf(Cut(e.kind, Bytes(e.before, 'x') + WireFrame('T'), &c), CUT_FRAME),
                 e.found);
    }
}

// The polled reader takes only T D E F and their marked twins; a refused
// frame gives back its last byte to the polled and stream readers. Marked
// twins: T->M, D->N, E->P, F->Q, J and j->K; k and marked letters stay.
void TestLettersAndTwins()
{
    for (const char* p = "TDEFMNPQJKjkAZ"; *p; ++p) {
        for (int kind = 0; kind < 3; ++kind) {
            FrameCutter c;
            ResetFrameCutter(&c);
            auto ev = Cut(Em61Mk2ReaderKind(kind), WireFrame(*p), &c);
            bool accepted =
                std::strchr(kind == READER_POLLED ? "TDEFMNPQ" : "TDEFMNPQJKjk", *p) != nullptr;
            CHECK(ev.size() == 1 && ev[0] == (accepted ? CUT_FRAME : CUT_REFUSED));
            if (!accepted) CHECK_EQ(c.Count, kind == READER_WHEEL ? 15 : 14);
        }
    }
    const char* from = "TDEFJjkMNPQK";
    const char* to = "MNPQKKkMNPQK";
    for (int i = 0; from[i]; ++i) {
        unsigned char frame[17];
        std::memset(frame, 0xEE, sizeof frame);
        Bytes wire = WireFrame(from[i], 5);
        StoreFrameRecord(wire.data(), true, frame);
        CHECK(frame[0] == (unsigned char)to[i] && frame[12] == 5 && frame[13] == 0x7F &&
              frame[14] == 0);
        CHECK_EQ(frame[15], 0xEE);
        StoreFrameRecord(wire.data(), false, frame);
        CHECK_EQ(frame[0], (unsigned char)from[i]);
    }
}

// ---- The reader loop against a scripted port -------------------------------

struct Script {
    Bytes Input;
    size_t Next = 0;
    int Waits = 0, Reads = 0, Resets = 0, TickCalls = 0;
    uint32_t Now = 1000;              // advances unevenly with every byte
    std::vector<uint32_t> StaleTicks; // deliveries stamped with another time
    std::string Delivered;            // letters as handed over
    std::vector<unsigned char> Tags;  // battery byte of each delivery
    std::vector<int> FrameReceivedAtDelivery;
};

bool ScriptOpen(void* c)
{
    return static_cast<Script*>(c)->Next < static_cast<Script*>(c)->Input.size();
}
void ScriptWait(void* c) { ++static_cast<Script*>(c)->Waits; }
int ScriptRead(void* c, unsigned char* b, int)
{
    Script* s = static_cast<Script*>(c);
    ++s->Reads;
    *b = s->Input[s->Next++];
    s->Now += 1 + (s->Next * 7919) % 53;
    return 1;
}
void ScriptDeliver(void* c)
{
    Script* s = static_cast<Script*>(c);
    s->Delivered += static_cast<char>(InstrumentFrame[0]);
    s->Tags.push_back(InstrumentFrame[12]);
    s->FrameReceivedAtDelivery.push_back(int(Acq.FrameReceived));
    // A streamed or wheel reading carries the time of its own frame, which
    // ended with the byte just read.
    if (Acq.LastDataTick != s->Now) s->StaleTicks.push_back(uint32_t(Acq.LastDataTick));
}
void ScriptReset(void* c) { ++static_cast<Script*>(c)->Resets; }
uint32_t ScriptTick(void* c)
{
    Script* s = static_cast<Script*>(c);
    ++s->TickCalls;
    return s->Now;
}

void Run(Em61Mk2ReaderKind kind, Script* s)
{
    ReaderPlatform io = {s,           ScriptOpen, ScriptWait, ScriptRead, ScriptDeliver,
                         ScriptReset, ScriptTick};
    RunEm61Mk2Reader(kind, io);
}

void ResetAcq()
{
    Acq.FrameDivisor = 1;
    Acq.FrameCounter = 0;
    Acq.FrameReceived = 0;
    Acq.MissedPolls = 5;
    Acq.MarkPending = 0;
    Acq.LastDataTick = 0;
}

void TestStreamDivisor()
{
    ResetAcq();
    Acq.FrameDivisor = 3;
    Script s;
    for (int i = 1; i <= 9; ++i) s.Input = s.Input + WireFrame('T', i);
    s.Input = s.Input + WireFrame('A', 99); // refused: no tick
    Run(READER_STREAM, &s);
    CHECK(s.Tags == (std::vector<unsigned char>{3, 6, 9}));
    CHECK_EQ(s.TickCalls, 9); // stamped on each of the nine frames
    CHECK(s.StaleTicks.empty());
    CHECK_EQ(Acq.MissedPolls, 0);
    CHECK_EQ(Acq.FrameCounter, 0);
    CHECK_EQ(s.Waits, 0);

    // A counter left above a lowered divisor does not stall delivery.
    ResetAcq();
    Acq.FrameCounter = 7;
    Script t;
    t.Input = WireFrame('T', 1) + WireFrame('T', 2);
    Run(READER_STREAM, &t);
    CHECK_EQ(t.Tags.size(), 2u);
}

void TestMarkPendingPerReader()
{
    ResetAcq();
    Acq.MarkPending = 1;
    Script s;
    s.Input = WireFrame('T') + WireFrame('j') + WireFrame('k');
    Run(READER_STREAM, &s);
    CHECK_STR(s.Delivered, "MKk");

    Script w;
    w.Input = s.Input;
    Run(READER_WHEEL, &w);
    CHECK_STR(w.Delivered, "Tjk");
    Acq.MarkPending = 0;
}

void TestPolledReader()
{
    ResetAcq();
    Script s;
    s.Input = Text("xx") + WireFrame('D', 2) + WireFrame('J', 1);
    Run(READER_POLLED, &s);
    CHECK_STR(s.Delivered, "D");
    CHECK_EQ(s.Waits, s.Reads); // one wait per byte read
    CHECK_EQ(s.Resets, 2);      // the 'D' frame, then the refused 'J'
    CHECK_EQ(Acq.FrameReceived, 1);
    CHECK_EQ(Acq.MissedPolls, 0);
    // The request is freed only after the handler is done with the buffer.
    CHECK(s.FrameReceivedAtDelivery == std::vector<int>{0});
    CHECK_EQ(s.TickCalls, 0); // the request stamps it, not the reader
}

void TestWheelReader()
{
    ResetAcq();
    Script s;
    s.Input = WireFrame('Z') + WireFrame('K', 7);
    Run(READER_WHEEL, &s);
    CHECK_STR(s.Delivered, "K");
    CHECK_EQ(Acq.FrameReceived, 1); // from the refused frame
    CHECK_EQ(s.TickCalls, 2);       // both pairs stamped
    CHECK(s.StaleTicks.empty());
    CHECK_EQ(Acq.MissedPolls, 5); // untouched by the wheel reader
}

} // namespace

int main()
{
    TestFrameAfterGarbage();
    TestShortPairIsNoFrame();
    TestPairInsideData();
    TestSplicedRecords();
    TestMovedReference();
    TestOverlongRuns();
    TestLettersAndTwins();
    TestStreamDivisor();
    TestMarkPendingPerReader();
    TestPolledReader();
    TestWheelReader();
    return TestSummary("test_frame_cutter");
}

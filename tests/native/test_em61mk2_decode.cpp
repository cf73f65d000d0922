// Decoding of EM61-MK2 frames into calibrated channels, the reference
// normalisation and the nulling procedure, against values worked out by hand.
#include <cstring>

#include "instrument/acq.h"
#include "instrument/em61mk2_decode.h"
#include "settings/settings.h"
#include "test_check.h"

SettingsRecord Settings;

namespace {

int g_nullRecordsWritten = 0;
float g_nullNew[4], g_nullPrevious[4];

} // namespace

void OnNullingFinished(const float newOffsets[4], const float previousOffsets[4])
{
    ++g_nullRecordsWritten;
    std::memcpy(g_nullNew, newOffsets, sizeof g_nullNew);
    std::memcpy(g_nullPrevious, previousOffsets, sizeof g_nullPrevious);
}

namespace {

struct Decoded {
    float Ch[4];
    float Reference;
    int32_t Battery, Type;
    int16_t Range;
};

void PutWord(unsigned char* p, int v)
{
    p[0] = static_cast<unsigned char>((v >> 8) & 0xFF);
    p[1] = static_cast<unsigned char>(v & 0xFF);
}

void LoadFrame(char letter, unsigned range, const int raw[4], int reference, unsigned battery = 80)
{
    std::memset(InstrumentFrame, 0, sizeof InstrumentFrame);
    InstrumentFrame[0] = static_cast<unsigned char>(letter);
    InstrumentFrame[1] = static_cast<unsigned char>(range);
    for (int i = 0; i < 4; ++i) PutWord(InstrumentFrame + 2 + 2 * i, raw[i]);
    PutWord(InstrumentFrame + 10, reference);
    InstrumentFrame[12] = static_cast<unsigned char>(battery);
    InstrumentFrame[13] = 0x7F;
}

// Fills the reference ring with one level, as 98 steady readings would.
void PrimeReference(float level)
{
    for (int i = 0; i < 98; ++i) Acq.RefHistory[i] = level;
    Acq.RefSum = 98 * level;
    Acq.RefIndex = 0;
    for (float& o : Acq.NullOffset) o = 0;
}

Decoded Decode()
{
    Decoded d;
    DecodeEm61Mk2Frame(&d.Ch[0], &d.Ch[1], &d.Ch[2], &d.Ch[3], &d.Reference, &d.Battery, &d.Range,
                       &d.Type);
    return d;
}

// Channels against `want` times `gain`, to a relative 1e-4.
void CheckChannels(const Decoded& d, const double (&want)[4], double gain, int line)
{
    for (int i = 0; i < 4; ++i) {
        const double w = want[i] * gain;
        if (std::fabs(d.Ch[i] - w) > 1e-4 * std::fabs(w) + 1e-3) {
            ++g_testFailures;
            std::printf("FAIL line %d: channel %d is %.6f, expected %.6f\n", line, i + 1, d.Ch[i],
                        w);
        }
        ++g_testChecks;
    }
}

const int kRaw1000[4] = {1000, 1000, 1000, 1000};
// 1000 counts at range 1 are 4833.3 before calibration.

void TestRangeDivisors()
{
    struct Case {
        unsigned range;
        int d[4];
    } cases[] = {
        {0xFF, {100, 100, 100, 100}}, {0x55, {10, 10, 10, 10}}, {0x00, {1, 1, 1, 1}},
        {0x80, {10, 100, 100, 1}}, // a channel-1 code of 10 spills into the others
        {0xC0, {100, 1, 1, 1}},       {0x03, {1, 1, 1, 100}},   {0x01, {1, 1, 1, 10}},
    };
    for (const Case& c : cases) {
        int d[4];
        DecodeRangeDivisors(c.range, d);
        for (int i = 0; i < 4; ++i) CHECK_EQ(d[i], c.d[i]);
    }
    // The divisors reach the channel values, signs intact.
    Settings.Em61Mk2Type = 0;
    Acq.PolledMode = 1;
    PrimeReference(3000);
    const int raw[4] = {-2000, 1000, 300, 40};
    LoadFrame('T', 0xFF, raw, 3000);
    CheckChannels(Decode(), {-193.332, 96.666, 28.9998, 3.86664}, 1, __LINE__);
}

// Standard calibration by group: T x2 (nominal 3000); D x2 with channel 4
// x4, and on the standard 1 x 0.5 m coil first x 1.114 / 1.112 (not on NCC
// instruments or other coils); E and F normalised to 1800 whatever the
// type, so E at a 3600 reference halves. High Power (type 1) by coil, its
// nominal level chosen by the reference.
void TestCalibrationGroups()
{
    Acq.PolledMode = 1;
    const struct {
        int type, size;
        char letter;
        int reference;
        double gain, c[4];
    } cases[] = {
        {0, 0, 'T', 3000, 1, {9666.6, 9666.6, 9666.6, 9666.6}},
        {0, 0, 'N', 3000, 1, {9666.6, 9666.6, 9666.6, 19367.9718}},
        {2, 0, 'D', 3000, 1, {9666.6, 9666.6, 9666.6, 19333.2}},
        {0, 1, 'D', 3000, 1, {9666.6, 9666.6, 9666.6, 19333.2}},
        {0, 0, 'P', 1800, 1, {4362.05325, 6587.7879, 9796.1083, 14591.0367}},
        {1, 0, 'P', 1800, 1, {4362.05325, 6587.7879, 9796.1083, 14591.0367}},
        {0, 0, 'F', 1800, 1, {4362.05325, 6587.7879, 9874.4319, 58734.2616}},
        {1, 0, 'F', 1800, 1, {4362.05325, 6587.7879, 9874.4319, 58734.2616}},
        {0, 0, 'E', 3600, 1, {2181.026625, 3293.89395, 4898.05415, 7295.51835}},
        // High Power 1 x 0.5 m: nominal 1840 from a reference of 1350 up, else 920.
        {1, 0, 'K', 1840, 1.0, {8313.276, 12276.582, 18076.542, 29338.131}},
        {1, 0, 'K', 1350, 1840.0 / 1350, {8313.276, 12276.582, 18076.542, 29338.131}},
        {1, 0, 'K', 1349, 920.0 / 1349, {8313.276, 12276.582, 18076.542, 29338.131}},
        {1, 3, 'K', 1000, 0.92, {8313.276, 12276.582, 18076.542, 29338.131}}, // Hand Held
        {1, 1, 'K', 1650, 2230.0 / 1650, {8313.276, 12276.582, 18076.542, 29338.131}},
        {1, 1, 'K', 1649, 1123.0 / 1649, {8313.276, 12276.582, 18076.542, 29338.131}},
        {1, 2, 'K', 2600, 3729.0 / 2600, {6428.289, 9835.28217, 14508.6482, 12117.3251}},
        {1, 2, 'K', 2599, 1920.0 / 2599, {6428.289, 9835.28217, 14508.6482, 12117.3251}},
        // Group D on the 1 x 0.5 m High Power coil: channel 4 x 1.114 x 1.112 x 6.07.
        {1, 0, 'D', 1840, 1, {8313.276, 12276.582, 18076.542, 36343.1378}},
    };
    for (const auto& c : cases) {
        Settings.Em61Mk2Type = c.type;
        Settings.SensorSize = c.size;
        PrimeReference(c.reference);
        LoadFrame(c.letter, 0, kRaw1000, c.reference);
        CheckChannels(Decode(), c.c, c.gain, __LINE__);
    }
}

// The streaming instrument reports its reference higher: 1.047 on the
// standard instrument, 1.152 on the others. Normalisation itself does not
// correct it.
void TestStreamedReference()
{
    Settings.SensorSize = 0;
    struct Case {
        int type;
        int polled;
        int raw;
        double reference;
    } cases[] = {
        {0, 0, 3141, 3000.0}, {1, 0, 3456, 3000.0}, {2, 0, 3456, 3000.0}, {0, 1, 3141, 3141.0}};
    for (const Case& c : cases) {
        Settings.Em61Mk2Type = c.type;
        Acq.PolledMode = c.polled;
        PrimeReference(c.reference);
        LoadFrame('T', 0, kRaw1000, c.raw);
        Decoded d = Decode();
        CHECK_NEAR(d.Reference, c.reference, 1e-3);
        CHECK_NEAR(Acq.RefAverage, c.reference, 1e-2);
    }
    Acq.PolledMode = 1;
}

void TestRingAndRewrite()
{
    Settings.Em61Mk2Type = 0;
    Settings.SensorSize = 0;
    Acq.PolledMode = 1;
    PrimeReference(1000);
    Acq.RefIndex = 97;
    Acq.NullOffset[0] = 1;
    Acq.NullOffset[3] = -2;
    const int raw[4] = {100, 0, 0, 0};
    LoadFrame('T', 0xAA, raw, 1049, 77); // 1049 = 0x0419
    Decoded d = Decode();
    CHECK_EQ(Acq.RefIndex, 0); // wrapped from the last slot
    CHECK_NEAR(Acq.RefAverage, 1000.5, 1e-3);
    CHECK_NEAR(Acq.GainFactor, 3000 / 1000.5, 1e-5);
    CHECK_NEAR(d.Ch[0], 100 * 4.8333 / 10 * 2 * (3000 / 1000.5) - 1, 1e-3);
    CHECK_NEAR(d.Ch[3], 2.0, 1e-6);
    CHECK_EQ(d.Battery, 77);
    CHECK_EQ(d.Range, 0xAA);
    CHECK_EQ(d.Type, 'T');
    const unsigned char want[17] = {'T', 0xAA, 0,    100, 0,    0,    0,  0, 0,
                                    0,   0x03, 0xE8, 50,  0x04, 0x19, 77, 0};
    CHECK(std::memcmp(InstrumentFrame, want, 17) == 0);

    // A dead reference keeps the last gain instead of dividing by zero.
    PrimeReference(0);
    Acq.GainFactor = 2;
    LoadFrame('T', 0, kRaw1000, 0);
    d = Decode();
    CHECK_NEAR(d.Ch[0], 9666.6 * 2, 1e-2);
}

void TestNormalisation()
{
    std::memset(Acq.RefHistory, 0, sizeof Acq.RefHistory);
    Acq.RefIndex = 0;
    Acq.RefSum = -1;
    Acq.Phase = 0;
    int last = 0;
    for (int step = 1; step <= 98; ++step) {
        const int raw[4] = {0, 0, 0, 0};
        LoadFrame('T', 0, raw, 2000 + step);
        int p = NormaliseStep();
        if (step <= 10) CHECK_EQ(p, step);
        if (step == 49) CHECK_EQ(p, 50);
        if (step == 97) CHECK_EQ(p, 98);
        if (step < 98) CHECK_EQ(Acq.Phase, 0);
        CHECK(p >= last);
        last = p;
    }
    CHECK_EQ(last, 100);
    CHECK_EQ(Acq.Phase, 1);
    CHECK_EQ(Acq.RefIndex, 0);
    CHECK_NEAR(Acq.RefSum, 98 * 2000 + 98 * 99 / 2, 0.5); // 200851
}

// Null pressed as soon as the button lights (91 %): normalisation runs to
// its end first, then nulling starts, and the run's gain is right.
void TestNullBeforeNormalisationEnds()
{
    std::memset(Acq.RefHistory, 0, sizeof Acq.RefHistory);
    Acq.RefIndex = 0;
    Acq.Phase = 0;
    Acq.NullPending = 0;
    const int raw[4] = {1000, 1000, 1000, 1000};
    for (int step = 1; step <= 98; ++step) {
        LoadFrame('T', 0, raw, 2000);
        const int percent = NormaliseStep();
        if (step == 90) {
            CHECK_EQ(percent, 91); // the buttons have just come on
            RequestNulling();
        }
        if (step < 98) CHECK_EQ(Acq.Phase, 0);
    }
    CHECK_EQ(Acq.Phase, -1);
    CHECK_EQ(Acq.NullCount, 0);
    CHECK_EQ(Acq.NullPending, 0);
    LoadFrame('T', 0, raw, 2000);
    Decoded d = Decode();
    CHECK_NEAR(Acq.GainFactor, 1.5, 1e-6); // 3000 / 2000
    CHECK_NEAR(d.Ch[0], 1000 * 4.8333 * 2 * 1.5, 1e-2);
    CHECK_EQ(InstrumentFrame[10] << 8 | InstrumentFrame[11], 2000);

    // Once measuring, Null starts at once.
    Acq.Phase = 1;
    RequestNulling();
    CHECK_EQ(Acq.Phase, -1);
}

void TestNulling()
{
    Acq.Phase = -1;
    Acq.NullCount = 0;
    for (int i = 0; i < 4; ++i) {
        Acq.NullOffset[i] = 7; // offsets of an earlier null
        Acq.NullSum[i] = 123;
    }
    g_nullRecordsWritten = 0;
    AccumulateNulling(1e6f, 1e6f, 1e6f, 1e6f); // decoded with the old offsets: not summed
    CHECK_EQ(Acq.NullCount, 1);
    CHECK_NEAR(Acq.NullOffset[0], 0, 0);
    for (int n = 1; n <= 50; ++n) {
        AccumulateNulling(n, -n, 2 * n, 0.5f);
        if (n < 50) {
            CHECK_EQ(Acq.NullCount, n + 1);
            CHECK_EQ(Acq.Phase, -1);
        }
    }
    CHECK_EQ(Acq.Phase, 1);
    CHECK_EQ(Acq.NullCount, 50);
    const double mean[4] = {25.5, -25.5, 51.0, 0.5};
    for (int i = 0; i < 4; ++i) {
        CHECK_NEAR(Acq.NullOffset[i], mean[i], 1e-5);
        CHECK_NEAR(g_nullNew[i], mean[i], 1e-5);
    }
    CHECK_EQ(g_nullRecordsWritten, 1);
    // The offsets were cleared for the summing, so "previous" is zero.
    CHECK_NEAR(g_nullPrevious[0], 0, 0);
}

} // namespace

int main()
{
    TestRangeDivisors();
    TestCalibrationGroups();
    TestStreamedReference();
    TestRingAndRewrite();
    TestNormalisation();
    TestNullBeforeNormalisationEnds();
    TestNulling();
    return TestSummary("test_em61mk2_decode");
}

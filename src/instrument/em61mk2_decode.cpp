#include "instrument/em61mk2_decode.h"

#include <cstring>

#include "instrument/acq.h"
#include "settings/settings.h"

namespace {

const int kRefWindow = 98;
const int kNullReadings = 50;
const double kCountsToMillivolts = 4.8333;
const int kHighPower = 1;

int16_t BigEndianWord(const unsigned char* p) { return static_cast<int16_t>((p[0] << 8) | p[1]); }

struct SensorCalibration {
    double Gain[4];
    float Threshold; // reference at or above: the high nominal level
    float NominalHigh;
    float NominalLow;
};

// High Power coils; rows by Settings.SensorSize, any other size uses row 0.
const SensorCalibration kHighPowerSensors[3] = {
    {{1.72, 2.54, 3.74, 6.07}, 1350, 1840, 920},                         // 1 x 0.5 m, Hand Held
    {{1.72, 2.54, 3.74, 6.07}, 1650, 2230, 1123},                        // 1 x 1 m
    {{1.33, 1.33 * 1.53, 1.33 * 2.257, 1.33 * 1.885}, 2600, 3729, 1920}, // 0.5 x 0.5 m
};

float ApplyHighPower(float ch[4], float reference)
{
    const int size = Settings.SensorSize;
    const SensorCalibration& s = kHighPowerSensors[(size == 1 || size == 2) ? size : 0];
    for (int i = 0; i < 4; ++i) ch[i] = static_cast<float>(ch[i] * s.Gain[i]);
    return reference >= s.Threshold ? s.NominalHigh : s.NominalLow;
}

void Scale(float ch[4], const double gain[4])
{
    for (int i = 0; i < 4; ++i) ch[i] = static_cast<float>(ch[i] * gain[i]);
}

int ValidRefIndex()
{
    if (Acq.RefIndex < 0 || Acq.RefIndex >= kRefWindow) Acq.RefIndex = 0;
    return Acq.RefIndex;
}

} // namespace

void DecodeRangeDivisors(unsigned rangeByte, int divisors[4])
{
    unsigned g = rangeByte & 0xFF;
    // Decoded by thresholds in this order, as the instrument's own
    // software does: a channel-1 code of binary 10 leaves a remainder that
    // channel 2 reads as range 100.
    static const unsigned kHigh[3] = {192, 48, 12};
    static const unsigned kMid[3] = {64, 16, 4};
    for (int i = 0; i < 3; ++i) {
        if (g >= kHigh[i]) {
            divisors[i] = 100;
            g -= kHigh[i];
        } else if (g >= kMid[i]) {
            divisors[i] = 10;
            g -= kMid[i];
        } else
            divisors[i] = 1;
    }
    divisors[3] = g == 3 ? 100 : g == 1 ? 10 : 1;
}

float CalibrateEm61Mk2Channels(unsigned char letter, float ch[4], float reference)
{
    const bool highPower = Settings.Em61Mk2Type == kHighPower;
    switch (letter) {
    case 'T':
    case 'M':
    case 'J':
    case 'K':
    case 'j':
    case 'k': {
        if (highPower) return ApplyHighPower(ch, reference);
        const double gain[4] = {2, 2, 2, 2};
        Scale(ch, gain);
        return 3000;
    }
    case 'D':
    case 'N': {
        if (Settings.SensorSize == 0) {
            if (highPower)
                ch[3] = static_cast<float>(ch[3] * 1.114 * 1.112);
            else if (Settings.Em61Mk2Type == 0)
                ch[3] = static_cast<float>(ch[3] * 1.114 / 1.112);
        }
        if (highPower) return ApplyHighPower(ch, reference);
        const double gain[4] = {2, 2, 2, 4};
        Scale(ch, gain);
        return 3000;
    }
    case 'E':
    case 'P': {
        const double gain[4] = {0.9025, 1.363, 2.026795, 3.018856};
        Scale(ch, gain);
        return 1800;
    }
    case 'F':
    case 'Q': {
        const double gain[4] = {0.9025, 1.363, 2.043, 12.152};
        Scale(ch, gain);
        return 1800;
    }
    default:
        // The readers never hand over other letters; leave the values as
        // measured against the most common nominal level.
        return 3000;
    }
}

void FrameChannelsMillivolts(const unsigned char* frame, float ch[4])
{
    int divisors[4];
    DecodeRangeDivisors(frame[1], divisors);
    for (int i = 0; i < 4; ++i)
        ch[i] = static_cast<float>(BigEndianWord(frame + 2 + 2 * i) * kCountsToMillivolts /
                                   divisors[i]);
}

void DecodeEm61Mk2Frame(float* ch1, float* ch2, float* ch3, float* ch4, float* reference,
                        int32_t* battery, int16_t* range, int32_t* type)
{
    unsigned char* frame = InstrumentFrame;

    float ref = BigEndianWord(frame + 10);
    if (Acq.PolledMode == 0)
        ref = static_cast<float>(ref / (Settings.Em61Mk2Type == 0 ? 1.047 : 1.152));

    *type = frame[0];
    *range = frame[1];
    *battery = frame[12];

    float ch[4];
    FrameChannelsMillivolts(frame, ch);
    const float nominal = CalibrateEm61Mk2Channels(frame[0], ch, ref);

    const int slot = ValidRefIndex();
    Acq.RefSum -= Acq.RefHistory[slot];
    Acq.RefHistory[slot] = ref;
    Acq.RefIndex = slot + 1 == kRefWindow ? 0 : slot + 1;
    Acq.RefSum += ref;
    Acq.RefAverage = Acq.RefSum / kRefWindow;
    // A dead reference coil would make the gain infinite; keep the last one.
    if (Acq.RefAverage != 0) Acq.GainFactor = nominal / Acq.RefAverage;

    for (int i = 0; i < 4; ++i) ch[i] = ch[i] * Acq.GainFactor - Acq.NullOffset[i];

    // The raw reference and the battery move up by three bytes; the average
    // reference takes their place, as integer part and hundredths.
    frame[13] = frame[10];
    frame[14] = frame[11];
    frame[15] = frame[12];
    const int whole = static_cast<int>(Acq.RefAverage);
    frame[10] = static_cast<unsigned char>((whole >> 8) & 0xFF);
    frame[11] = static_cast<unsigned char>(whole & 0xFF);
    frame[12] = static_cast<unsigned char>(static_cast<int>((Acq.RefAverage - whole) * 100));
    frame[16] = 0;

    *ch1 = ch[0];
    *ch2 = ch[1];
    *ch3 = ch[2];
    *ch4 = ch[3];
    *reference = ref;
}

int NormaliseStep()
{
    const int slot = ValidRefIndex();
    Acq.RefHistory[slot] = BigEndianWord(InstrumentFrame + 10);
    Acq.RefIndex = slot + 1;
    if (Acq.RefIndex != kRefWindow) return Acq.RefIndex * 100 / kRefWindow;

    float sum = 0;
    for (int i = 0; i < kRefWindow; ++i) sum += Acq.RefHistory[i];
    Acq.RefSum = sum;
    Acq.RefIndex = 0;
    Acq.Phase = PHASE_MEASURING;
    if (Acq.NullPending) {
        Acq.NullPending = 0;
        RequestNulling();
    }
    return 100;
}

// "N&ull" lights at 91 %, but the reference average exists only after the
// 98th reading: nulling on it earlier would scale every later reading of the
// run wrongly. A Null pressed in between therefore waits for the end of
// normalisation and starts there.
void RequestNulling()
{
    if (Acq.Phase == PHASE_NORMALISING) {
        Acq.NullPending = 1;
        return;
    }
    Acq.Phase = PHASE_NULLING;
    Acq.NullCount = 0;
}

void AccumulateNulling(float ch1, float ch2, float ch3, float ch4)
{
    if (Acq.NullCount == 0) {
        // This reading was decoded with the old offsets: start afresh and
        // sum only the readings that follow.
        for (int i = 0; i < 4; ++i) Acq.NullOffset[i] = Acq.NullSum[i] = 0;
        Acq.NullCount = 1;
        return;
    }
    const float ch[4] = {ch1, ch2, ch3, ch4};
    for (int i = 0; i < 4; ++i) Acq.NullSum[i] += ch[i];
    if (Acq.NullCount < kNullReadings) {
        Acq.NullCount += 1;
        return;
    }
    Acq.Phase = PHASE_MEASURING;
    std::memcpy(Acq.PrevNullOffset, Acq.NullOffset, sizeof Acq.PrevNullOffset);
    for (int i = 0; i < 4; ++i) Acq.NullOffset[i] = Acq.NullSum[i] / kNullReadings;
    OnNullingFinished(Acq.NullOffset, Acq.PrevNullOffset);
}

// Frame encoding: letter, range byte, four channels, reference, battery,
// 0x7F 0x7F. Raw channel values are chosen so that the logger's decoding
// (raw x 4.8333 / divisor x the group's calibration) gives back the mV
// values of the reading.
#include "em61sim.h"

#include <cmath>
#include <cstring>

namespace {

struct LetterGroup {
    char letter;
    char marked;
    int nominalReference;
    double calibration[4]; // the logger's multipliers for a standard instrument
};

const LetterGroup kGroups[] = {
    {'T', 'M', 3000, {2, 2, 2, 2}},
    {'D', 'N', 3000, {2, 2, 2, 4}},
    {'E', 'P', 1800, {0.9025, 1.363, 2.026795, 3.018856}},
    {'F', 'Q', 1800, {0.9025, 1.363, 2.043, 12.152}},
    {'J', 'K', 3000, {2, 2, 2, 2}},
    {'j', 'K', 3000, {2, 2, 2, 2}},
};

const LetterGroup& GroupOf(char letter)
{
    for (const LetterGroup& g : kGroups)
        if (g.letter == letter) return g;
    return kGroups[0];
}

// Keeps the high byte below 0x7F so that no value can imitate the terminator.
constexpr long kRawLimit = 32000;

// Range codes 3, 1, 0 (divisors 100, 10, 1): the finest that still fits.
void EncodeChannel(double mv, double calibration, int* code, int16_t* raw)
{
    double x = mv / (calibration * 4.8333);
    long v = lround(x * 100);
    *code = 3;
    if (labs(v) > kRawLimit) {
        v = lround(x * 10);
        *code = 1;
    }
    if (labs(v) > kRawLimit) {
        v = lround(x);
        *code = 0;
    }
    if (v > kRawLimit) v = kRawLimit;
    if (v < -kRawLimit) v = -kRawLimit;
    *raw = (int16_t)v;
}

void PutWord(uint8_t* at, int16_t v)
{
    at[0] = (uint8_t)((uint16_t)v >> 8);
    at[1] = (uint8_t)((uint16_t)v & 0xFF);
}

} // namespace

int IsGroupLetter(char c)
{
    for (const LetterGroup& g : kGroups)
        if (g.letter == c) return 1;
    return 0;
}

char MarkedTwin(char c) { return GroupOf(c).marked; }

int NominalReference(char letter) { return GroupOf(letter).nominalReference; }

void EncodeFrame(const Reading& r, char letter, uint8_t frame[15])
{
    const LetterGroup& g = GroupOf(letter);
    frame[0] = (uint8_t)letter;
    int rangeByte = 0;
    for (int i = 0; i < 4; i++) {
        int code = 0;
        int16_t raw = 0;
        EncodeChannel(r.ch[i], g.calibration[i], &code, &raw);
        rangeByte |= code << (6 - 2 * i);
        PutWord(frame + 2 + 2 * i, raw);
    }
    frame[1] = (uint8_t)rangeByte;
    long ref = lround(r.reference);
    if (ref > kRawLimit) ref = kRawLimit;
    if (ref < -kRawLimit) ref = -kRawLimit;
    PutWord(frame + 10, (int16_t)ref);
    long battery = lround(r.batteryVolts * 6.66757);
    frame[12] = (uint8_t)(battery < 0 ? 0 : battery > 255 ? 255 : battery);
    frame[13] = 0x7F;
    frame[14] = 0x7F;
}

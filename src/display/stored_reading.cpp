#include "display/stored_reading.h"

#include <cstdint>

#include "instrument/em61mk2_decode.h"

static int16_t BigEndian16(const unsigned char* p) { return (int16_t)((p[0] << 8) | p[1]); }

int DecodeStoredReading(const unsigned char* record, const float offsets[4], float channels[4])
{
    // The live decoder stored the running average of the reference in
    // bytes 10-12; it stands in for the running average here.
    float reference = (float)BigEndian16(record + 10) + (float)(signed char)record[12] / 100.0f;
    if (reference == 0.0f) return 0;

    float ch[4];
    FrameChannelsMillivolts(record, ch);
    const float nominal = CalibrateEm61Mk2Channels(record[0], ch, reference);
    for (int i = 0; i < 4; ++i) channels[i] = ch[i] * (nominal / reference) - offsets[i];
    return 1;
}

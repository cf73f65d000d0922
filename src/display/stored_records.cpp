// Records of the data file read back for the replay.
#include "display/stored_records.h"
#include "instrument/em61mk2_decode.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

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

float PreviousOffset(const unsigned char* record, int length)
{
    wchar_t text[64] = {};
    std::mbstowcs(text, (const char*)record, length < 63 ? length : 63);
    if (std::wcslen(text) <= 11) return 0.0f;
    return (float)std::wcstod(text + 11, nullptr);
}

enum { RECORDS_PER_BLOCK = 128 };

BackwardReader StartBackwardReader(ReadAtFunction readAt, void* file, uint32_t length, uint32_t end)
{
    return BackwardReader{readAt, file, length, end, 0, 0, {}};
}

bool StepBack(BackwardReader& r, unsigned char* record)
{
    if (r.Length == 0 || r.Position < r.Length) return false;
    const uint32_t at = r.Position - r.Length;
    if (at < r.BlockStart || at + r.Length > r.BlockEnd) {
        // The block ends with this record and starts on a record boundary.
        const uint32_t span = r.Length * RECORDS_PER_BLOCK;
        const uint32_t start = at + r.Length > span ? at + r.Length - span : at % r.Length;
        r.Block.resize(at + r.Length - start);
        if (r.ReadAt(r.File, start, r.Block.data(), r.Block.size()) != r.Block.size()) return false;
        r.BlockStart = start;
        r.BlockEnd = start + (uint32_t)r.Block.size();
    }
    std::memcpy(record, r.Block.data() + (at - r.BlockStart), r.Length);
    record[r.Length - 1] = 0;
    r.Position = at;
    return true;
}

// libFuzzer target: any bytes as a data file read back by the replay. The
// backward block reader hands over exactly the records a record-at-a-time
// reader would, from any end position back to the start, and stops at a
// short read; any record decodes as a reading (to finite values, or not
// at all when its reference is zero) and as an offset record.
// Sources: display/stored_records.cpp instrument/em61mk2_decode.cpp
// Sources: instrument/acq.cpp settings/settings.cpp
#include "display/stored_records.h"
#include "settings/settings.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

void OnNullingFinished(const float*, const float*) {}

namespace {

struct MemoryFile {
    const uint8_t* Data;
    size_t Size;
    uint32_t FailFrom; // reads reaching past this fail short, as a removed card
};

size_t ReadAt(void* file, uint32_t at, unsigned char* out, size_t size)
{
    const MemoryFile& f = *static_cast<MemoryFile*>(file);
    if (at >= f.Size) return 0;
    size_t n = f.Size - at < size ? f.Size - at : size;
    if (at + n > f.FailFrom) n = at < f.FailFrom ? f.FailFrom - at : 0;
    std::memcpy(out, f.Data + at, n);
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    // Record length, end position and failure point from the first bytes.
    const uint32_t length = 14 + data[0] % 40;
    const size_t bodySize = size - 4;
    const uint8_t* body = data + 4;
    const uint32_t end = (uint32_t)(bodySize * data[1] / 255);
    const uint32_t failFrom =
        data[2] < 200 ? (uint32_t)bodySize : (uint32_t)(bodySize * data[3] / 255);
    Settings.SensorSize = data[3] % 4;
    Settings.Em61Mk2Type = data[3] / 4 % 4;

    MemoryFile file{body, bodySize, failFrom};
    BackwardReader reader = StartBackwardReader(ReadAt, &file, length, end);
    std::vector<unsigned char> record(length + 1);
    uint32_t at = end;
    while (StepBack(reader, record.data())) {
        if (at < length) std::abort(); // past the start of the file
        at -= length;
        if (reader.Position != at || at + length > failFrom ||
            std::memcmp(record.data(), body + at, length - 1) != 0 || record[length - 1] != 0)
            std::abort();
        float offsets[4] = {0, 1.5f, -2, 1e30f}, channels[4];
        const bool zero = body[at + 10] == 0 && body[at + 11] == 0 && body[at + 12] == 0;
        // A reference of zero cannot scale; any other gives finite values.
        if (DecodeStoredReading(record.data(), offsets, channels)) {
            if (zero) std::abort();
            for (float c : channels)
                if (!std::isfinite(c)) std::abort();
        }
        PreviousOffset(record.data(), (int)length);
    }
    // Without a failing read it stops only at the start of the file.
    if (failFrom >= bodySize && at >= length) std::abort();
    return 0;
}

// Frame log: one line per frame put on the wire, for tests that count
// frames and match them against the logger's data file.
#include "em61sim.h"

#include <cerrno>
#include <cstring>

namespace {
FILE* gLog = nullptr;
}

int OpenFrameLog(const std::string& path)
{
    gLog = fopen(path.c_str(), "w");
    if (!gLog) {
        fprintf(stderr, "em61sim: cannot write frame log %s: %s\n", path.c_str(), strerror(errno));
        return 0;
    }
    return 1;
}

// "<seq> <monotonic us of the last byte> <30 hex digits>", flushed at once
// so that a reader sees every frame already sent.
void LogFrame(uint64_t seq, int64_t tNs, const uint8_t frame[15])
{
    if (!gLog) return;
    char hex[31];
    for (int i = 0; i < 15; i++) snprintf(hex + 2 * i, 3, "%02x", frame[i]);
    fprintf(gLog, "%llu %lld %s\n", (unsigned long long)seq, (long long)(tNs / 1000), hex);
    fflush(gLog);
}

void CloseFrameLog()
{
    if (gLog) fclose(gLog);
    gLog = nullptr;
}

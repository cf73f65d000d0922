// Frame log: one line per frame put on the wire, for tests that count
// frames and match them against the logger's data file. Raw log: every
// byte put on the wire, so that a test can cut it as the logger must.
#include "em61sim.h"

#include <cerrno>
#include <cstring>

namespace {
FILE* gLog = nullptr;
FILE* gRaw = nullptr;

FILE* OpenLog(const std::string& path, const char* what)
{
    if (path.empty()) return nullptr;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) fprintf(stderr, "em61sim: cannot write %s %s: %s\n", what, path.c_str(), strerror(errno));
    return f;
}
} // namespace

// Returns 0 when a log was asked for and cannot be written.
int OpenFrameLog(const std::string& path, const std::string& rawPath)
{
    gLog = OpenLog(path, "frame log");
    gRaw = OpenLog(rawPath, "raw log");
    return (path.empty() || gLog) && (rawPath.empty() || gRaw);
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

// Flushed at once, like the frame log.
void LogRawBytes(const uint8_t* bytes, size_t n)
{
    if (!gRaw || n == 0) return;
    fwrite(bytes, 1, n, gRaw);
    fflush(gRaw);
}

void CloseFrameLog()
{
    if (gLog) fclose(gLog);
    if (gRaw) fclose(gRaw);
    gLog = gRaw = nullptr;
}

// The serial line: a pseudo-terminal whose master side is the instrument.
// Output is paced at 9600 8N1 (960 bytes/s). Nothing is written while no
// client holds the slave open: a pty would keep those bytes and hand them
// to the next opener, while a real line simply loses them.
#include "em61sim.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

LineState Line;

namespace {

constexpr int64_t kByteNs = 1041667; // 10 bits at 9600 baud
constexpr size_t kMaxBacklog = 960;  // one second of line time
constexpr size_t kMaxQueued = 8192;  // hard limit, garbage included
constexpr int64_t kMaxLagNs = 10 * kNsPerMs;

struct PendingFrame {
    uint64_t endIndex; // index of its last byte
    uint8_t bytes[15];
};
std::deque<PendingFrame> gPending;

void PointLinkAtSlave()
{
    if (Opt.linkPath.empty()) return;
    // Replace atomically so a client never sees the link missing.
    std::string tmp = Opt.linkPath + ".tmp" + std::to_string(getpid());
    unlink(tmp.c_str());
    if (symlink(Line.slavePath.c_str(), tmp.c_str()) != 0 ||
        rename(tmp.c_str(), Opt.linkPath.c_str()) != 0) {
        fprintf(stderr, "em61sim: cannot link %s to %s: %s\n", Opt.linkPath.c_str(),
                Line.slavePath.c_str(), strerror(errno));
        unlink(tmp.c_str());
    }
}

void HangUp()
{
    if (Line.clientOpen) {
        Note("client closed %s", Line.slavePath.c_str());
        // Bytes the client left unread would survive in the pty and greet
        // the next opener; a real port loses them on close.
        int fd = open(Line.slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            tcflush(fd, TCIFLUSH);
            close(fd);
        }
    }
    Line.clientOpen = false;
    DropQueuedOutput();
}

} // namespace

int OpenLine()
{
    if (Line.master >= 0) CloseLine();
    int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
        fprintf(stderr, "em61sim: cannot create a pseudo-terminal: %s\n", strerror(errno));
        if (fd >= 0) close(fd);
        return 0;
    }
    const char* name = ptsname(fd);
    if (!name) {
        fprintf(stderr, "em61sim: ptsname failed: %s\n", strerror(errno));
        close(fd);
        return 0;
    }
    // Raw on the master sets the slave's line discipline: no echo of what
    // we send, no CR/LF translation of binary frames.
    termios tio;
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tcsetattr(fd, TCSANOW, &tio);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    Line.master = fd;
    Line.slavePath = name;
    Line.clientOpen = false;
    Line.lineFreeNs = NowNs();
    PointLinkAtSlave();
    printf("PTY %s\n", Line.slavePath.c_str());
    fflush(stdout);
    RefreshClientState();
    return 1;
}

void CloseLine()
{
    if (Line.master < 0) return;
    HangUp();
    close(Line.master);
    Line.master = -1;
    Note("line closed");
}

void RemoveLink()
{
    struct stat st;
    if (!Opt.linkPath.empty() && lstat(Opt.linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        unlink(Opt.linkPath.c_str());
}

// POLLHUP on the master means no descriptor of the slave is open.
void RefreshClientState()
{
    if (Line.master < 0) return;
    pollfd p = {Line.master, 0, 0};
    if (poll(&p, 1, 0) < 0) return;
    bool open = !(p.revents & (POLLHUP | POLLERR | POLLNVAL));
    if (open && !Line.clientOpen) {
        Note("client opened %s", Line.slavePath.c_str());
        Line.clientOpen = true;
        Line.lineFreeNs = NowNs();
    } else if (!open && Line.clientOpen) {
        HangUp();
    }
}

int LineCanTakeFrame()
{
    return Line.master >= 0 && Line.clientOpen && Line.out.size() + 15 <= kMaxBacklog;
}

void QueueBytes(const uint8_t* bytes, size_t n)
{
    if (Line.master < 0 || !Line.clientOpen || Line.out.size() + n > kMaxQueued) {
        Line.bytesLost += n;
        return;
    }
    if (Line.out.empty()) {
        int64_t now = NowNs(); // an idle line starts now
        if (Line.lineFreeNs < now) Line.lineFreeNs = now;
    }
    Line.out.insert(Line.out.end(), bytes, bytes + n);
    Line.queuedTotal += n;
}

void QueueFrame(const uint8_t frame[15])
{
    if (!LineCanTakeFrame()) {
        Line.bytesLost += 15;
        return;
    }
    PendingFrame p;
    p.endIndex = Line.queuedTotal + 14;
    memcpy(p.bytes, frame, 15);
    gPending.push_back(p);
    QueueBytes(frame, 15);
}

void DropQueuedOutput()
{
    Line.bytesLost += Line.out.size();
    Line.queuedTotal -= Line.out.size();
    Line.out.clear();
    Line.framesUnheard += gPending.size();
    gPending.clear();
}

void FlushLine(int64_t now)
{
    if (Line.master < 0 || !Line.clientOpen || Line.out.empty()) return;
    size_t n = Line.out.size();
    if (Opt.pace) {
        // A late wake-up may catch up a few bytes (a UART's FIFO would), but
        // never a long burst.
        if (Line.lineFreeNs < now - kMaxLagNs) Line.lineFreeNs = now - kMaxLagNs;
        n = 0;
        while (n < Line.out.size() && Line.lineFreeNs <= now) {
            n++;
            Line.lineFreeNs += kByteNs;
        }
        if (n == 0) return;
    } else if (Line.lineFreeNs > now) {
        return;
    }
    uint8_t buf[4096];
    if (n > sizeof buf) n = sizeof buf;
    std::copy(Line.out.begin(), Line.out.begin() + n, buf);
    ssize_t k = write(Line.master, buf, n);
    if (k < 0) {
        if (errno == EIO) {
            HangUp();
            return;
        }
        k = 0; // EAGAIN: the client is not reading
    }
    if ((size_t)k < n) {
        // The client's input queue is full: retry a little later.
        if (Opt.pace) Line.lineFreeNs -= (int64_t)(n - k) * kByteNs;
        if (Line.lineFreeNs < now + 2 * kNsPerMs) Line.lineFreeNs = now + 2 * kNsPerMs;
    }
    LogRawBytes(buf, (size_t)k);
    Line.out.erase(Line.out.begin(), Line.out.begin() + k);
    Line.writtenTotal += k;
    int64_t written = NowNs();
    while (!gPending.empty() && gPending.front().endIndex < Line.writtenTotal) {
        Line.framesSent++;
        LogFrame(Line.framesSent, written, gPending.front().bytes);
        gPending.pop_front();
    }
}

int64_t NextLineWakeNs()
{
    if (Line.master < 0 || !Line.clientOpen || Line.out.empty()) return 0;
    return Line.lineFreeNs > 0 ? Line.lineFreeNs : 1;
}

int ReadLine(uint8_t* buf, size_t cap)
{
    if (Line.master < 0) return 0;
    ssize_t n = read(Line.master, buf, cap);
    if (n > 0) return (int)n;
    if (n == 0 || errno == EIO) {
        HangUp();
        return -1;
    }
    return 0;
}

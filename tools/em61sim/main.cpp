// em61sim: one event loop over the pty master, the control channel and the
// instrument's timers. Single-threaded, so no state needs a lock.
#include "em61sim.h"

#include <csignal>
#include <cstdlib>
#include <ctime>

namespace {

volatile sig_atomic_t gStopSignal = 0;

void OnStopSignal(int sig) { gStopSignal = sig; }

// SIGTERM/SIGINT are blocked except inside ppoll, so they cannot slip in
// between the check and the wait.
void SetUpSignals(sigset_t* waitMask)
{
    struct sigaction sa = {};
    sa.sa_handler = OnStopSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGHUP);
    sigprocmask(SIG_BLOCK, &block, waitMask);
    sigdelset(waitMask, SIGTERM);
    sigdelset(waitMask, SIGINT);
    sigdelset(waitMask, SIGHUP);
}

// How long poll may sleep: until the next byte slot, frame or timer.
timespec WaitUntil(int64_t now)
{
    int64_t wake = now + 200 * kNsPerMs;
    int64_t t = NextLineWakeNs();
    if (t && t < wake) wake = t;
    t = NextInstrumentWakeNs(now);
    if (t && t < wake) wake = t;
    // Without a client the master reports POLLHUP at once; look again soon.
    if (Line.master >= 0 && !Line.clientOpen && wake > now + 10 * kNsPerMs)
        wake = now + 10 * kNsPerMs;
    int64_t d = wake - now;
    if (d < 0) d = 0;
    return timespec{(time_t)(d / kNsPerSec), (long)(d % kNsPerSec)};
}

void ServiceLine(const pollfd& p, int64_t now)
{
    if (p.revents & (POLLHUP | POLLERR)) {
        RefreshClientState();
        return;
    }
    if (!(p.revents & POLLIN)) return;
    uint8_t buf[512];
    int n = ReadLine(buf, sizeof buf);
    if (n > 0) OnClientBytes(buf, n, now);
}

int RunLoop()
{
    sigset_t waitMask;
    SetUpSignals(&waitMask);
    std::vector<pollfd> fds;
    for (;;) {
        int64_t now = NowNs();
        RefreshClientState();
        InstrumentTick(now);
        FlushLine(NowNs());

        fds.clear();
        int lineSlot = -1;
        if (Line.master >= 0 && Line.clientOpen) {
            lineSlot = 0;
            fds.push_back({Line.master, POLLIN, 0});
        }
        AddControlFds(fds);
        timespec wait = WaitUntil(NowNs());
        int r = ppoll(fds.data(), fds.size(), &wait, &waitMask);
        if (gStopSignal) {
            Note("signal %d, stopping", (int)gStopSignal);
            return 0;
        }
        if (r <= 0) continue;
        now = NowNs();
        if (lineSlot >= 0) ServiceLine(fds[lineSlot], now);
        if (ServiceControl(fds)) return 0;
    }
}

} // namespace

int main(int argc, char** argv)
{
    int exitCode = 0;
    if (!ParseOptions(argc, argv, &exitCode)) return exitCode;
    if (!OpenFrameLog(Opt.frameLogPath, Opt.rawLogPath)) return 1;
    InitSurvey();
    InitInstrument();
    if (!OpenControl() || !OpenLine()) {
        CloseControl();
        return 1;
    }
    int rc = RunLoop();
    CloseLine();
    RemoveLink();
    CloseControl();
    CloseFrameLog();
    return rc;
}

// gpssim: one loop over the pty master and standard input. Bytes go out
// at the baud rate's pace and only while the logger holds the port open
// (a real line loses what nobody listens to); each is kept in the raw log.
#include "gpssim.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

GpsSimOptions Opt;

namespace {

volatile sig_atomic_t gStop = 0;
int gMaster = -1;
std::string gSlave;
bool gClient = false;
std::string gOut;     // bytes not yet on the line
double gLineFree = 0; // when the next byte may go
FILE *gRaw, *gLines, *gRx;
std::vector<std::string> gOnce;   // faults of the next epoch only
std::vector<std::string> gAlways; // faults of every epoch until switched off
double gSilentUntil = 0;
std::vector<std::string> gReplay;
size_t gReplayNext = 0;
uint64_t gSent = 0, gLinesSent = 0, gEpochsDropped = 0;

double Now()
{
    static timespec start;
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    if (start.tv_sec == 0 && start.tv_nsec == 0) start = t;
    return (double)(t.tv_sec - start.tv_sec) + (t.tv_nsec - start.tv_nsec) * 1e-9;
}

int Usage(int code)
{
    std::fprintf(
        code ? stderr : stdout,
        "usage: gpssim [options]\n"
        "  --type N            GPS type of the logger, 0..8 (0 GGA+GSA, 1 GGA, 2 POS, 3 LLK,\n"
        "                      4 LLQ, 5 GLL, 6 GGK, 7 total station GGA, 8 label records)\n"
        "  --rate HZ           epochs (replayed lines) per second, up to 100; --baud N line speed "
        "(0: no "
        "pacing)\n"
        "  --origin LAT,LON    start of the walk                 --grid N,E  total station origin\n"
        "  --feet              the total station sends feet ('F')\n"
        "  --heading DEG --spacing M --line-length M --speed M/S   the walk\n"
        "  --satellites N --dop X --quality Q                      the fix\n"
        "  --fault NAME        every --fault-every K epochs: badsum lower nodollar nostar long\n"
        "                      nofix fewsats highdop jump (1500 m) hop (40 m NE) random\n"
        "  --replay FILE       send a capture's lines instead ('#' lines skipped) at --rate\n"
        "  --loop              replay again and again\n"
        "  --hold              send nothing until the \"go\" command\n"
        "  --raw-log F --line-log F --rx-log F   bytes sent, lines with times, bytes received\n"
        "  --link PATH         a symbolic link to the terminal\n"
        "stdin commands: go | fault NAME [on|off] | silence SECONDS | speed M/S | xoff | xon | "
        "stats |\n"
        "                quit\n");
    return code;
}

bool Pair(const char* text, double* a, double* b)
{
    return std::sscanf(text, "%lf,%lf", a, b) == 2;
}

int ParseOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        auto next = [&]() {
            ++i;
            return v;
        };
        if (a == "--help") std::exit(Usage(0));
        if (a == "--feet") {
            Opt.unitsLetter = 'F';
            continue;
        }
        if (a == "--hold") {
            Opt.hold = true;
            continue;
        }
        if (a == "--loop") {
            Opt.loop = true;
            continue;
        }
        if (!v) return Usage(2);
        if (a == "--type")
            Opt.type = std::atoi(next());
        else if (a == "--rate")
            Opt.rate = std::atof(next());
        else if (a == "--baud")
            Opt.baud = std::atoi(next());
        else if (a == "--origin") {
            if (!Pair(next(), &Opt.lat0, &Opt.lon0)) return Usage(2);
        } else if (a == "--grid") {
            if (!Pair(next(), &Opt.north0, &Opt.east0)) return Usage(2);
        } else if (a == "--heading")
            Opt.heading = std::atof(next());
        else if (a == "--spacing")
            Opt.spacing = std::atof(next());
        else if (a == "--line-length")
            Opt.lineLength = std::atof(next());
        else if (a == "--speed")
            Opt.speed = std::atof(next());
        else if (a == "--satellites")
            Opt.satellites = std::atoi(next());
        else if (a == "--dop")
            Opt.dop = std::atof(next());
        else if (a == "--quality")
            Opt.quality = std::atoi(next());
        else if (a == "--fault") {
            Opt.faults.push_back(next());
            if (!IsFault(Opt.faults.back())) return Usage(2);
        } else if (a == "--fault-every")
            Opt.faultEvery = std::max(1, std::atoi(next()));
        else if (a == "--replay")
            Opt.replayPath = next();
        else if (a == "--raw-log")
            Opt.rawLog = next();
        else if (a == "--line-log")
            Opt.lineLog = next();
        else if (a == "--rx-log")
            Opt.rxLog = next();
        else if (a == "--link")
            Opt.linkPath = next();
        else
            return Usage(2);
    }
    if (Opt.type < 0 || Opt.type > 8 || !(Opt.rate > 0 && Opt.rate <= 100) || Opt.baud < 0)
        return Usage(2);
    return 0;
}

FILE* OpenLog(const std::string& path)
{
    if (path.empty()) return nullptr;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::fprintf(stderr, "gpssim: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return f;
}

int OpenPty()
{
    gMaster = posix_openpt(O_RDWR | O_NOCTTY);
    if (gMaster < 0 || grantpt(gMaster) || unlockpt(gMaster) || !ptsname(gMaster)) {
        std::fprintf(stderr, "gpssim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 0;
    }
    gSlave = ptsname(gMaster);
    termios tio;
    if (tcgetattr(gMaster, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(gMaster, TCSANOW, &tio);
    }
    fcntl(gMaster, F_SETFL, fcntl(gMaster, F_GETFL) | O_NONBLOCK);
    if (!Opt.linkPath.empty()) {
        unlink(Opt.linkPath.c_str());
        if (symlink(gSlave.c_str(), Opt.linkPath.c_str()) != 0)
            std::fprintf(stderr, "gpssim: cannot link %s\n", Opt.linkPath.c_str());
    }
    std::printf("PTY %s\n", gSlave.c_str());
    std::fflush(stdout);
    return 1;
}

// POLLHUP on the master: nobody holds the port. What was queued is lost,
// and what the last client left unread must not greet the next one.
void RefreshClient()
{
    pollfd p = {gMaster, 0, 0};
    poll(&p, 1, 0);
    const bool listening = !(p.revents & (POLLHUP | POLLERR));
    if (!listening && gClient) {
        gOut.clear();
        int fd = open(gSlave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            tcflush(fd, TCIFLUSH);
            close(fd);
        }
    }
    if (listening && !gClient) gLineFree = Now();
    gClient = listening;
}

void Queue(const std::string& line)
{
    if (!gClient) return;
    gOut += line;
    if (gLines) {
        // A label record's lines joined by ',', as the logger records them.
        std::string text = line.substr(0, line.find_last_not_of("\r\n") + 1);
        for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, ",");
        std::fprintf(gLines, "%.3f\t%s\n", Now(), text.c_str());
        std::fflush(gLines);
    }
    ++gLinesSent;
}

void Flush()
{
    if (!gClient || gOut.empty()) return;
    const double now = Now();
    size_t n = gOut.size();
    if (Opt.baud > 0) {
        const double byteTime = 10.0 / Opt.baud;
        if (gLineFree < now - 0.01) gLineFree = now - 0.01;
        n = 0;
        while (n < gOut.size() && gLineFree <= now) ++n, gLineFree += byteTime;
    }
    if (n == 0) return;
    const ssize_t k = write(gMaster, gOut.data(), n);
    if (k <= 0) return; // the logger is not reading: try again later
    if (gRaw) {
        std::fwrite(gOut.data(), 1, (size_t)k, gRaw);
        std::fflush(gRaw);
    }
    gSent += (uint64_t)k;
    gOut.erase(0, (size_t)k);
}

void ReadClient()
{
    char buf[512];
    const ssize_t n = read(gMaster, buf, sizeof buf);
    if (n > 0 && gRx) {
        std::fwrite(buf, 1, (size_t)n, gRx);
        std::fflush(gRx);
    }
}

void Command(const std::string& line)
{
    std::istringstream in(line);
    std::string verb, name, state;
    in >> verb >> name >> state;
    if (verb == "quit" || verb == "go" || verb == "silence" || verb == "xoff" || verb == "xon" ||
        verb == "speed") {
        if (verb == "quit") gStop = 1;
        if (verb == "speed") Opt.speed = std::atof(name.c_str());
        if (verb == "go") Opt.hold = false;
        if (verb == "silence") gSilentUntil = Now() + std::atof(name.c_str());
        // The flow-control bytes of a receiver at a wrong baud rate.
        if (verb == "xoff" || verb == "xon") gOut.insert(0, 1, verb == "xoff" ? '\x13' : '\x11');
        std::printf("ok\n");
    } else if (verb == "stats")
        std::printf("stats lines=%llu bytes=%llu dropped_epochs=%llu client=%d\n",
                    (unsigned long long)gLinesSent, (unsigned long long)gSent,
                    (unsigned long long)gEpochsDropped, gClient ? 1 : 0);
    else if (verb == "fault" && IsFault(name)) {
        auto drop = [&](std::vector<std::string>& v) {
            v.erase(std::remove(v.begin(), v.end(), name), v.end());
        };
        if (state == "on")
            gAlways.push_back(name);
        else if (state == "off")
            drop(gAlways), drop(Opt.faults);
        else
            gOnce.push_back(name);
        std::printf("ok\n");
    } else
        std::printf("? %s\n", line.c_str());
    std::fflush(stdout);
}

void LoadReplay()
{
    std::ifstream in(Opt.replayPath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "gpssim: cannot read %s\n", Opt.replayPath.c_str());
        std::exit(1);
    }
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (!line.empty() && line[0] != '#') gReplay.push_back(line + "\r\n");
    }
}

// The lines of the next epoch (or the next replayed line); false when a
// replay has ended.
bool NextEpoch(uint64_t epoch, double t)
{
    if (!gReplay.empty()) {
        if (gReplayNext >= gReplay.size()) {
            if (!Opt.loop) return false;
            gReplayNext = 0;
        }
        Queue(gReplay[gReplayNext++]);
        return true;
    }
    // A receiver whose line is too slow for its output drops epochs rather
    // than falling ever further behind.
    if (gOut.size() > 512) {
        ++gEpochsDropped;
        return true;
    }
    std::vector<std::string> faults = gOnce;
    gOnce.clear();
    faults.insert(faults.end(), gAlways.begin(), gAlways.end());
    if (epoch % (uint64_t)Opt.faultEvery == (uint64_t)Opt.faultEvery - 1)
        faults.insert(faults.end(), Opt.faults.begin(), Opt.faults.end());
    // The distance walked grows at the speed of the moment (the "speed"
    // command changes it on the way).
    static double walked = 0, lastT = t;
    walked += Opt.speed * (t - lastT);
    lastT = t;
    for (const std::string& l : BuildEpoch(WalkAt(t, walked), faults)) Queue(l);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (int code = ParseOptions(argc, argv)) return code;
    signal(SIGTERM, [](int) { gStop = 1; });
    signal(SIGINT, [](int) { gStop = 1; });
    signal(SIGPIPE, SIG_IGN);
    if (!Opt.replayPath.empty()) LoadReplay();
    gRaw = OpenLog(Opt.rawLog);
    gLines = OpenLog(Opt.lineLog);
    gRx = OpenLog(Opt.rxLog);
    if (!OpenPty()) return 1;
    const double period = 1.0 / Opt.rate;
    double nextEpoch = Now();
    uint64_t epoch = 0;
    bool stdinOpen = true;
    std::string command;
    while (!gStop) {
        RefreshClient();
        const double now = Now();
        if (Opt.hold) nextEpoch = now;
        if (now >= nextEpoch && !Opt.hold) {
            if (now >= gSilentUntil && !NextEpoch(epoch, now) && gOut.empty()) break;
            ++epoch;
            nextEpoch += period;
            if (nextEpoch < now) nextEpoch = now + period; // never a burst to catch up
        }
        Flush();
        pollfd fds[2] = {{gMaster, POLLIN, 0}, {0, POLLIN, 0}};
        poll(fds, stdinOpen ? 2 : 1, 2);
        if (fds[0].revents & POLLIN) ReadClient();
        if (stdinOpen && (fds[1].revents & (POLLIN | POLLHUP))) {
            char c;
            const ssize_t n = read(0, &c, 1);
            if (n <= 0)
                stdinOpen = false;
            else if (c == '\n')
                Command(command), command.clear();
            else
                command += c;
        }
    }
    for (FILE* f : {gRaw, gLines, gRx})
        if (f) std::fclose(f);
    if (!Opt.linkPath.empty()) unlink(Opt.linkPath.c_str());
    return 0;
}

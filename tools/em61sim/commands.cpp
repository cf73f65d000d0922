// Control commands: one table row per command word.
#include "em61sim.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

using Args = std::vector<std::string>;

struct CommandRow {
    const char* name;
    const char* args; // for "help"
    int minArgs, maxArgs;
    std::string (*run)(const Args& a, int64_t now, bool* quit);
};

// Parses a number in [lo, hi]; 0 when the text is not one.
int Number(const std::string& text, double lo, double hi, double* out)
{
    char* end = nullptr;
    errno = 0;
    double v = strtod(text.c_str(), &end);
    if (errno || end == text.c_str() || *end || v < lo || v > hi) return 0;
    *out = v;
    return 1;
}

std::string RangeError(const char* what, double lo, double hi)
{
    std::ostringstream s;
    s << "error " << what << " must be a number from " << lo << " to " << hi;
    return s.str();
}

std::string Garbage(const Args& a, int64_t, bool*)
{
    double n;
    if (!Number(a[1], 1, 4096, &n)) return RangeError("byte count", 1, 4096);
    if (Line.master < 0) return "error line is closed";
    QueueGarbage((int)n);
    return "ok";
}

std::string Embedded7f(const Args&, int64_t, bool*)
{
    Inst.nextEmbedded7f = true;
    return "ok";
}

std::string UnknownLetter(const Args&, int64_t, bool*)
{
    Inst.nextUnknownLetter = true;
    return "ok";
}

std::string SilentFor(const Args& a, int64_t now, bool*)
{
    double ms;
    if (!Number(a[1], 0, 86400000, &ms)) return RangeError("milliseconds", 0, 86400000);
    StartSilence((int64_t)ms, false, now);
    return "ok";
}

std::string SilentForever(const Args&, int64_t now, bool*)
{
    StartSilence(0, true, now);
    return "ok";
}

std::string Resume(const Args&, int64_t, bool*)
{
    EndSilence();
    return "ok";
}

std::string CloseCmd(const Args&, int64_t, bool*)
{
    if (Line.master < 0) return "error line already closed";
    CloseLine();
    return "ok";
}

std::string Reopen(const Args&, int64_t, bool*)
{
    if (!OpenLine()) return "error cannot create a pseudo-terminal";
    return "ok " + Line.slavePath;
}

std::string NoAnswer(const Args&, int64_t, bool*)
{
    Inst.answering = false;
    return "ok";
}

std::string AnswerCmd(const Args&, int64_t, bool*)
{
    Inst.answering = true;
    return "ok";
}

std::string Mode(const Args& a, int64_t, bool*)
{
    if (a[1] != "polled" && a[1] != "stream") return "error mode is polled or stream";
    Inst.polledAnswer = a[1] == "polled";
    return "ok";
}

std::string SetRate(char which, const std::string& text, int64_t now)
{
    double hz;
    if (!Number(text, 0.1, MaxFrameRate(), &hz)) return RangeError("rate", 0.1, MaxFrameRate());
    SetStreamRate(which, hz, now);
    return "ok";
}

std::string Rate(const Args& a, int64_t now, bool*) { return SetRate(Inst.rateChar, a[1], now); }
std::string RateH(const Args& a, int64_t now, bool*) { return SetRate('H', a[1], now); }
std::string RateL(const Args& a, int64_t now, bool*) { return SetRate('L', a[1], now); }

std::string Letters(const Args& a, int64_t, bool*)
{
    if (a[1].size() != 1 || !IsGroupLetter(a[1][0])) return "error letters is one of T D E F J j";
    Inst.letter = a[1][0];
    return "ok";
}

std::string TriggerPress(const Args&, int64_t, bool*)
{
    Inst.triggerHeld = true;
    return "ok";
}

std::string TriggerRelease(const Args&, int64_t, bool*)
{
    Inst.triggerHeld = false;
    return "ok";
}

std::string Trigger(const Args& a, int64_t, bool*)
{
    double n = 1;
    if (a.size() > 1 && !Number(a[1], 1, 1000000, &n)) return RangeError("frame count", 1, 1000000);
    Inst.markCount += (int)n;
    return "ok";
}

std::string Walk(const Args&, int64_t now, bool*)
{
    SetWalking(true, now);
    return "ok";
}

std::string Halt(const Args&, int64_t now, bool*)
{
    SetWalking(false, now);
    return "ok";
}

std::string Speed(const Args& a, int64_t now, bool*)
{
    double v;
    if (!Number(a[1], 0, 20, &v)) return RangeError("speed", 0, 20);
    AdvanceWalk(now);
    Opt.speed = v;
    return "ok";
}

std::string WheelRate(const Args& a, int64_t, bool*)
{
    double hz;
    if (!Number(a[1], 0.1, MaxFrameRate(), &hz))
        return RangeError("wheel rate", 0.1, MaxFrameRate());
    Opt.wheelRate = hz;
    return "ok";
}

std::string Wheel(const Args& a, int64_t now, bool*)
{
    double n = 1;
    if (a.size() > 1 && !Number(a[1], 1, 1000, &n)) return RangeError("trigger count", 1, 1000);
    WheelTriggers((int)n, now);
    return "ok";
}

std::string Stats(const Args&, int64_t now, bool*)
{
    std::ostringstream s;
    s << "ok frames=" << Line.framesSent << " probes=" << Inst.probesAnswered
      << " requests=" << Inst.requests << " probes_received=" << Inst.probesReceived
      << " requests_ignored=" << Inst.requestsIgnored << " frames_unheard=" << Line.framesUnheard
      << " garbage_bytes=" << Inst.garbageBytes << " bytes_written=" << Line.writtenTotal
      << " bytes_lost=" << Line.bytesLost << " state=" << StateName(Inst.state)
      << " answer=" << (Inst.polledAnswer ? "OK" : "OV") << " rate_char=" << Inst.rateChar
      << " rate=" << CurrentStreamRate() << " letter=" << Inst.letter << " line="
      << (Line.master < 0   ? "closed"
          : Line.clientOpen ? "client"
                            : "open")
      << " silent=" << (Silent(now) ? 1 : 0) << " answering=" << (Inst.answering ? 1 : 0)
      << " distance=" << SurveyDistance();
    return s.str();
}

std::string Quit(const Args&, int64_t, bool* quit)
{
    *quit = true;
    return "ok";
}

std::string Help(const Args&, int64_t, bool*);

const CommandRow kCommands[] = {
    {"garbage", "N", 1, 1, Garbage},
    {"embedded7f", "", 0, 0, Embedded7f},
    {"unknown-letter", "", 0, 0, UnknownLetter},
    {"silent", "MS", 1, 1, SilentFor},
    {"silent-forever", "", 0, 0, SilentForever},
    {"resume", "", 0, 0, Resume},
    {"close", "", 0, 0, CloseCmd},
    {"reopen", "", 0, 0, Reopen},
    {"no-answer", "", 0, 0, NoAnswer},
    {"answer", "", 0, 0, AnswerCmd},
    {"mode", "polled|stream", 1, 1, Mode},
    {"rate", "HZ", 1, 1, Rate},
    {"rate-h", "HZ", 1, 1, RateH},
    {"rate-l", "HZ", 1, 1, RateL},
    {"letters", "T|D|E|F|J|j", 1, 1, Letters},
    {"trigger-press", "", 0, 0, TriggerPress},
    {"trigger-release", "", 0, 0, TriggerRelease},
    {"trigger", "[N]", 0, 1, Trigger},
    {"walk", "", 0, 0, Walk},
    {"halt", "", 0, 0, Halt},
    {"speed", "M/S", 1, 1, Speed},
    {"wheel-rate", "HZ", 1, 1, WheelRate},
    {"wheel", "[N]", 0, 1, Wheel},
    {"stats", "", 0, 0, Stats},
    {"help", "", 0, 0, Help},
    {"quit", "", 0, 0, Quit},
};

std::string Help(const Args&, int64_t, bool*)
{
    std::string s = "ok";
    for (const CommandRow& c : kCommands) {
        s += std::string(" | ") + c.name;
        if (*c.args) s += std::string(" ") + c.args;
    }
    return s;
}

} // namespace

std::string RunCommand(const std::string& line, bool* quit)
{
    Args a;
    std::istringstream in(line);
    for (std::string w; in >> w;) a.push_back(w);
    if (a.empty()) return "error empty command";
    for (const CommandRow& c : kCommands) {
        if (a[0] != c.name) continue;
        int n = (int)a.size() - 1;
        if (n < c.minArgs || n > c.maxArgs)
            return std::string("error usage: ") + c.name + (*c.args ? " " : "") + c.args;
        std::string answer = c.run(a, NowNs(), quit);
        Note("command \"%s\": %s", line.c_str(), answer.c_str());
        return answer;
    }
    return "error unknown command \"" + a[0] + "\" (try help)";
}

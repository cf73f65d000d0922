// Command-line options: one table row per option.
#include "em61sim.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

SimOptions Opt;

double MaxFrameRate() { return 960.0 / 15.0; }

namespace {

enum class Kind { Flag, Text, Real, Int };

struct OptionRow {
    const char* name;
    const char* arg; // shown in the help; nullptr for flags
    Kind kind;
    void* target;
    double lo, hi; // accepted range for numbers
    const char* help;
};

std::string gModeText;
std::string gLetterText;
bool gNoPace = false, gNoTargets = false, gNoAnswer = false;
double gSeed = 1;
double gReference = -1;
bool gHelp = false;

const OptionRow kOptions[] = {
    {"--mode", "polled|stream", Kind::Text, &gModeText, 0, 0,
     "probe answer: \"OK\" (one frame per 'A') or \"OV\" (streams); default polled"},
    {"--rate-h", "HZ", Kind::Real, &Opt.rateH, 0.1, 64,
     "frames/s streamed after an 'H' probe (default 10)"},
    {"--rate-l", "HZ", Kind::Real, &Opt.rateL, 0.1, 64,
     "frames/s streamed after an 'L' probe (default 5)"},
    {"--letters", "T|D|E|F|J|j", Kind::Text, &gLetterText, 0, 0,
     "frame group letter (default T); marked twins M N P Q K"},
    {"--reference", "N", Kind::Real, &gReference, 0, 32767,
     "reference level (default 3000, 1800 for groups E and F)"},
    {"--battery", "VOLTS", Kind::Real, &Opt.batteryVolts, 0, 38, "battery voltage (default 12.4)"},
    {"--seed", "N", Kind::Real, &gSeed, 0, 1e15,
     "random seed: targets, noise and garbage (default 1)"},
    {"--speed", "M/S", Kind::Real, &Opt.speed, 0, 20, "walking speed (default 1.0)"},
    {"--wheel-rate", "HZ", Kind::Real, &Opt.wheelRate, 0.1, 64,
     "wheel triggers per second while walking (default 5)"},
    {"--wheel-increment", "M", Kind::Real, &Opt.wheelIncrement, 0.001, 100,
     "distance per wheel trigger (default 0.2)"},
    {"--no-targets", nullptr, Kind::Flag, &gNoTargets, 0, 0, "background only, no buried targets"},
    {"--noise", "F", Kind::Real, &Opt.noise, 0, 100,
     "scale of noise and drift (default 1, 0 = none)"},
    {"--no-pace", nullptr, Kind::Flag, &gNoPace, 0, 0,
     "write as fast as possible instead of 960 bytes/s"},
    {"--link", "PATH", Kind::Text, &Opt.linkPath, 0, 0,
     "symlink to the pty slave (removed at exit)"},
    {"--control", "PATH", Kind::Text, &Opt.controlPath, 0, 0,
     "AF_UNIX stream socket for control commands"},
    {"--frame-log", "FILE", Kind::Text, &Opt.frameLogPath, 0, 0,
     "one line per frame written: seq, monotonic us of its last byte, hex bytes"},
    {"--raw-log", "FILE", Kind::Text, &Opt.rawLogPath, 0, 0,
     "every byte written to the line, garbage and answers included, as written"},
    {"--trigger-every", "SEC", Kind::Real, &Opt.triggerEverySec, 0, 3600,
     "press the trigger for 0.3 s every SEC seconds"},
    {"--no-answer", nullptr, Kind::Flag, &gNoAnswer, 0, 0,
     "do not answer probes (until \"answer\")"},
    {"--garbage-every", "K", Kind::Int, &Opt.garbageEvery, 0, 1e9,
     "1..20 random bytes before every K-th frame"},
    {"--unknown-every", "K", Kind::Int, &Opt.unknownEvery, 0, 1e9,
     "letter 'Z' in every K-th frame"},
    {"--embedded7f-every", "K", Kind::Int, &Opt.embedded7fEvery, 0, 1e9,
     "0x7F 0x7F inside the data of every K-th frame"},
    {"--drop-every", "K", Kind::Int, &Opt.dropEvery, 0, 1e9,
     "leave every K-th 'A' request unanswered"},
    {"--exit-on-eof", nullptr, Kind::Flag, &Opt.exitOnEof, 0, 0,
     "quit when stdin reaches end of file"},
    {"--verbose", nullptr, Kind::Flag, &Opt.verbose, 0, 0, "notes on stderr"},
    {"--help", nullptr, Kind::Flag, &gHelp, 0, 0, "this text"},
};

const OptionRow* FindOption(const char* name)
{
    for (const OptionRow& row : kOptions)
        if (strcmp(row.name, name) == 0) return &row;
    return nullptr;
}

int StoreValue(const OptionRow& row, const char* text)
{
    if (row.kind == Kind::Text) {
        *(std::string*)row.target = text;
        return 1;
    }
    char* end = nullptr;
    errno = 0;
    double v = strtod(text, &end);
    if (errno || end == text || *end || v < row.lo || v > row.hi) {
        fprintf(stderr, "em61sim: %s needs a number from %g to %g, got \"%s\"\n", row.name, row.lo,
                row.hi, text);
        return 0;
    }
    if (row.kind == Kind::Int)
        *(int*)row.target = (int)v;
    else
        *(double*)row.target = v;
    return 1;
}

} // namespace

void PrintUsage(FILE* to)
{
    fprintf(to, "usage: em61sim [options]\n"
                "Simulates an EM61-MK2 on a pseudo-terminal (9600 8N1). The first line on\n"
                "stdout is \"PTY /dev/pts/N\". Commands are read one per line from stdin and\n"
                "from the --control socket; \"help\" lists them.\n\noptions:\n");
    for (const OptionRow& row : kOptions) {
        std::string left = std::string(row.name) + (row.arg ? std::string(" ") + row.arg : "");
        fprintf(to, "  %-30s %s\n", left.c_str(), row.help);
    }
}

int ParseOptions(int argc, char** argv, int* exitCode)
{
    for (int i = 1; i < argc; i++) {
        const OptionRow* row = FindOption(argv[i]);
        if (!row) {
            fprintf(stderr, "em61sim: unknown option \"%s\" (try --help)\n", argv[i]);
            *exitCode = 2;
            return 0;
        }
        if (row->kind == Kind::Flag) {
            *(bool*)row->target = true;
            continue;
        }
        if (i + 1 >= argc) {
            fprintf(stderr, "em61sim: %s needs a value\n", row->name);
            *exitCode = 2;
            return 0;
        }
        if (!StoreValue(*row, argv[++i])) {
            *exitCode = 2;
            return 0;
        }
    }
    if (gHelp) {
        PrintUsage(stdout);
        *exitCode = 0;
        return 0;
    }
    if (!gModeText.empty()) {
        if (gModeText != "polled" && gModeText != "stream") {
            fprintf(stderr, "em61sim: --mode is polled or stream\n");
            *exitCode = 2;
            return 0;
        }
        Opt.polled = gModeText == "polled";
    }
    if (!gLetterText.empty()) {
        if (gLetterText.size() != 1 || !IsGroupLetter(gLetterText[0])) {
            fprintf(stderr, "em61sim: --letters is one of T D E F J j\n");
            *exitCode = 2;
            return 0;
        }
        Opt.letter = gLetterText[0];
    }
    Opt.pace = !gNoPace;
    Opt.targets = !gNoTargets;
    Opt.answer = !gNoAnswer;
    Opt.seed = (uint64_t)gSeed;
    Opt.reference = (int)gReference;
    return 1;
}

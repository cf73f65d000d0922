// EM61-MK2 simulator: a pseudo-terminal that behaves like the instrument
// on its serial line (9600 8N1), driven by a control channel.
#pragma once

#include <poll.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <random>
#include <string>
#include <vector>

// ---- clock (clock.cpp) ----
int64_t NowNs(); // CLOCK_MONOTONIC in nanoseconds
constexpr int64_t kNsPerMs = 1000000;
constexpr int64_t kNsPerSec = 1000000000;

// ---- options (options.cpp) ----
struct SimOptions {
    bool polled = true;  // answer "OK" (true) or "OV"
    double rateH = 10.0; // frames/s streamed after an 'H' probe
    double rateL = 5.0;  // frames/s streamed after an 'L' probe
    char letter = 'T';   // unmarked letter of the frame group
    int reference = -1;  // -1: nominal level of the letter group
    double batteryVolts = 12.4;
    uint64_t seed = 1;
    double speed = 1.0;          // walking speed, m/s
    double wheelRate = 5.0;      // wheel triggers per second while walking
    double wheelIncrement = 0.2; // metres per wheel trigger
    bool targets = true;
    double noise = 1.0; // scale of noise and drift
    bool pace = true;   // 960 bytes/s like the real line
    std::string linkPath;
    std::string controlPath;
    std::string frameLogPath;
    std::string rawLogPath;
    double triggerEverySec = 0; // automatic trigger presses (Manual mode demos)
    bool answer = true;
    int garbageEvery = 0; // fault injection every K-th frame (0: never)
    int unknownEvery = 0;
    int embedded7fEvery = 0;
    int dropEvery = 0;      // ignore every K-th 'A' request
    bool exitOnEof = false; // stdin closed: the harness is gone
    bool verbose = false;
};
extern SimOptions Opt;

// Returns 1 to run, 0 to exit with status *exitCode (help or bad option).
int ParseOptions(int argc, char** argv, int* exitCode);
void PrintUsage(FILE* to);
double MaxFrameRate(); // 960 bytes/s ÷ 15 bytes

// ---- serial line: pty, pacing, hangups (line.cpp) ----
struct LineState {
    int master = -1;
    std::string slavePath;
    bool clientOpen = false;    // someone holds the slave open
    std::deque<uint8_t> out;    // bytes not yet on the wire
    uint64_t queuedTotal = 0;   // bytes ever queued (index of the next one)
    uint64_t writtenTotal = 0;  // bytes ever written to the master
    int64_t lineFreeNs = 0;     // when the next byte may start
    uint64_t bytesLost = 0;     // queued or generated while nobody listened
    uint64_t framesSent = 0;    // whole frames on the wire, each logged
    uint64_t framesUnheard = 0; // produced while the line was closed or clogged
};
extern LineState Line;

int OpenLine();   // new pty, raw mode, link updated; 1 = ok
void CloseLine(); // the cable is pulled
void RemoveLink();
void RefreshClientState(); // polls for a hangup on the master
int LineCanTakeFrame();    // open, client listening, queue not clogged
void QueueBytes(const uint8_t* bytes, size_t n);
void QueueFrame(const uint8_t frame[15]);
void DropQueuedOutput();
void FlushLine(int64_t now);            // writes what the byte clock allows
int64_t NextLineWakeNs();               // 0 when nothing waits
int ReadLine(uint8_t* buf, size_t cap); // bytes from the client, -1 on hangup

// ---- frame and raw byte logs (frame_log.cpp) ----
int OpenFrameLog(const std::string& path, const std::string& rawPath);
void LogFrame(uint64_t seq, int64_t tNs, const uint8_t frame[15]);
void LogRawBytes(const uint8_t* bytes, size_t n);
void CloseFrameLog();

// ---- survey model: what the coils see (survey.cpp) ----
struct Reading {
    double ch[4]; // mV as the logger will show them
    double reference;
    double batteryVolts;
};
void InitSurvey();
void AdvanceWalk(int64_t now); // distance by time unless the wheel drives it
void WheelStep();              // one wheel trigger's distance
Reading SampleSurvey(int64_t now);
double SurveyDistance();
void SetWalking(bool on, int64_t now);
bool Walking();
uint32_t RandomGarbageByte();

// ---- frames (frame.cpp) ----
int IsGroupLetter(char c); // T D E F J j
char MarkedTwin(char c);
int NominalReference(char letter);
void EncodeFrame(const Reading& r, char letter, uint8_t frame[15]);

// ---- instrument protocol (instrument.cpp) ----
enum class InstState { Idle, Polled, Stream, Wheel };
struct InstrumentState {
    InstState state = InstState::Idle;
    bool polledAnswer = true; // what the next probe answers
    char rateChar = 'H';
    char pendingRate = 0; // 'H'/'L' waiting for its 'X'/'W'
    char letter = 'T';
    bool answering = true;
    bool silentForever = false;
    int64_t silentUntilNs = 0;
    int64_t nextStreamNs = 0;
    int64_t nextWheelNs = 0;
    int64_t nextAutoTriggerNs = 0;
    bool triggerHeld = false;
    int64_t triggerUntilNs = 0;
    int markCount = 0;
    bool nextEmbedded7f = false;
    bool nextUnknownLetter = false;
    uint64_t framesQueued = 0;
    uint64_t probesReceived = 0;
    uint64_t probesAnswered = 0;
    uint64_t requests = 0;
    uint64_t requestsIgnored = 0;
    uint64_t garbageBytes = 0;
};
extern InstrumentState Inst;

void InitInstrument();
void OnClientBytes(const uint8_t* bytes, int n, int64_t now);
void InstrumentTick(int64_t now);
int64_t NextInstrumentWakeNs(int64_t now);
bool Silent(int64_t now);
void StartSilence(int64_t ms, bool forever, int64_t now);
void EndSilence();
double CurrentStreamRate();
void SetStreamRate(char which, double hz, int64_t now);
void QueueGarbage(int n);
void WheelTriggers(int n, int64_t now); // distance steps; frames in wheel mode
const char* StateName(InstState s);

// ---- commands (commands.cpp) ----
// Runs one control line; returns the answer without newline ("ok ...",
// "error ..."). *quit is set by "quit".
std::string RunCommand(const std::string& line, bool* quit);

// ---- control channel: stdin and the socket (control.cpp) ----
int OpenControl(); // 1 = ok
void CloseControl();
// Adds the control descriptors to a poll set; remembers their slots.
void AddControlFds(std::vector<pollfd>& fds);
// Handles what poll reported; returns 1 if "quit" was received.
int ServiceControl(const std::vector<pollfd>& fds);

void Note(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

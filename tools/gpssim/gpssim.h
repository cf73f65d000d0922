// gpssim: a GPS receiver or robotic total station on a pseudo-terminal.
// It walks a survey of parallel lines and sends the sentences of the chosen
// GPS type, or replays a receiver's capture; faults are switched on the
// command line or, while it runs, by commands on standard input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GpsSimOptions {
    int type = 0;      // GPS type 0..8 of the logger
    double rate = 1.0; // epochs per second
    int baud = 9600;   // paces the bytes; 0 sends at once
    double lat0 = 48.1173, lon0 = 11.516667;
    double north0 = 5000.0, east0 = 1000.0; // grid origin of the total station
    char unitsLetter = 'M';                 // 'F': the total station sends feet
    double heading = 90.0;                  // degrees from north, of the first line
    double spacing = 2.0, lineLength = 30.0, speed = 1.0;
    int satellites = 9;
    double dop = 1.2;
    int quality = 1;
    std::string replayPath;
    bool loop = false;
    bool hold = false; // nothing is sent before the "go" command
    std::vector<std::string> faults; // on from the start
    int faultEvery = 5;              // ... on every K-th epoch
    std::string rawLog, lineLog, rxLog, linkPath;
    uint64_t seed = 1;
};
extern GpsSimOptions Opt;

// ---- the walk and the sentences (sentences.cpp) ----
struct Epoch {
    double t;           // seconds since the start
    double east, north; // metres from the origin
    double secondOfDay; // UTC
};
// Where the walk is after `walked` metres, at t seconds.
Epoch WalkAt(double t, double walked);
// Fault names understood by BuildEpoch and MangleLine.
bool IsFault(const std::string& name);
// The lines of one epoch of the type, with the given faults, CR LF included.
std::vector<std::string> BuildEpoch(const Epoch& e, const std::vector<std::string>& faults);
std::string WithChecksum(const std::string& body); // "$" + body + "*HH"

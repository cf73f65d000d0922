// The text of the positional configuration file: its lines in order, how
// each is read and checked into the settings record, and the whole file as
// it is written.
#pragma once
#include <cstddef>
#include <string>

enum { CONFIG_LINE_CHARS = 264 };
extern const char ConfigVersion[];

// The derived values that follow once their sources have been read.
enum ConfigDerivedStep {
    DERIVE_NOTHING,
    DERIVE_PROFILE_SCALE,
    DERIVE_GPS_DISPLAY,
    DERIVE_SPEED_SCALE,
    DERIVE_READING_INTERVAL,
    DERIVE_STATION,
    DERIVE_MAP_MARKER,
    DERIVE_MAP_EDGE,
};

// Reads the next line into buffer (CONFIG_LINE_CHARS); returns its length.
typedef int (*ConfigLineSource)(void* source, char* buffer);
typedef void (*ConfigDeriveFunction)(int step);

// Reads lines 2 to 79 into the settings, in file order, running derive()
// as each group's sources are in. Returns 0 at the first value that fails
// its check; the fields read so far stay.
int ReadConfigLines(ConfigLineSource next, void* source, ConfigDeriveFunction derive);

// One line from the bytes of the file: up to its line feed, the byte
// before the line feed dropped, longer lines cut to CONFIG_LINE_CHARS - 1.
// Without a line feed (the end of the file) the line is empty. *used is
// the number of bytes taken.
int TakeConfigLine(const char* bytes, size_t size, size_t* used, char* buffer);

// The whole file as it is written: the version line and lines 2 to 79.
std::string ConfigFileText();

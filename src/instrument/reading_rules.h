// Decisions of the EM61-MK2 reading handler that depend only on plain
// values: whether a frame is recorded, how the station advances, when to
// beep and what the letter read-outs show. Free of Win32 and of globals.
#pragma once
#include <cstdint>

enum { LOGGING_AUTO = 0, LOGGING_WHEEL = 1, LOGGING_MANUAL = 2 };

// 'T', 'D', 'E', 'F': frames taken without the trigger pressed.
int IsUnmarkedLetter(int letter);

// Station step of the current frame: 1 record, 0 do not record, -1 do not
// record (the trigger is still held in Manual mode). previousStep is the
// step of the frame before.
int32_t NextStationStep(int letter, int loggingMode, int32_t previousStep);

// Station of a recorded reading: the first reading of a line keeps the
// start station, every later one adds the increment.
void AdvanceStation(double* station, int32_t* started, double increment);

// Counts one recorded reading; returns 1 when a beep is due (every
// readingsPerSecond-th reading) and restarts the count.
int CountReadingForBeep(int32_t* counter, int32_t readingsPerSecond);

// Channel 4 label letter: '4' for the 'T', 'E', 'M' and 'P' frames, else 'T'.
wchar_t Channel4LabelChar(int letter);

// Marker read-out: 'M' for a marked frame ('M', 'N', 'P', 'Q'), blank
// otherwise and always blank in Manual mode (every recorded reading there
// is a trigger press).
wchar_t MarkerChar(int letter, int loggingMode);

// Compressed profile value: sign(a) * sqrt(|a|) when compressed is 1.
float CompressValue(float a, int compressed);

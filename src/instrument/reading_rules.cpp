#include "instrument/reading_rules.h"
#include <cmath>

int IsUnmarkedLetter(int letter)
{
    return letter == 'T' || letter == 'D' || letter == 'E' || letter == 'F';
}

int32_t NextStationStep(int letter, int loggingMode, int32_t previousStep)
{
    if (IsUnmarkedLetter(letter)) return loggingMode == LOGGING_MANUAL ? 0 : 1;
    if (loggingMode != LOGGING_MANUAL) return 1;
    // Manual: only the first marked frame of a trigger press records.
    return previousStep == 0 ? 1 : -1;
}

void AdvanceStation(double* station, int32_t* started, double increment)
{
    if (*started == 1) *station += increment;
    *started = 1;
}

int CountReadingForBeep(int32_t* counter, int32_t readingsPerSecond)
{
    *counter += 1;
    if (*counter == readingsPerSecond) {
        *counter = 0;
        return 1;
    }
    return 0;
}

wchar_t Channel4LabelChar(int letter)
{
    return (letter == 'T' || letter == 'E' || letter == 'M' || letter == 'P') ? L'4' : L'T';
}

wchar_t MarkerChar(int letter, int loggingMode)
{
    if (loggingMode == LOGGING_MANUAL) return L' ';
    return (letter == 'M' || letter == 'N' || letter == 'P' || letter == 'Q') ? L'M' : L' ';
}

float CompressValue(float a, int compressed)
{
    if (compressed != 1) return a;
    float root = std::sqrt(std::fabs(a));
    return a < 0.0f ? -root : root;
}

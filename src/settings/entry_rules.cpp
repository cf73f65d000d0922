// Value rules of the entry dialogs (see entry_rules.h).
#include "settings/entry_rules.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

NewLineValues ProposeNextLine(int sequence, int direction, double startStation,
                              double stationIncrement, double lastStation)
{
    NewLineValues v = {direction, startStation, stationIncrement};
    if (sequence == LINE_SEQUENCE_ALTERNATE) {
        v.Direction = 3 - direction;
        v.StartStation = lastStation;
        v.StationIncrement = -stationIncrement;
    }
    return v;
}

double ProposedLineNumber(const wchar_t* surveyLine, double lineIncrement)
{
    return std::wcstod(surveyLine, nullptr) + lineIncrement;
}

int CorrectMapScale(int* scale, float* interval)
{
    int changed = 0;
    if (*scale < 1) {
        *scale = 1;
        changed |= 1;
    }
    if (*interval < 0.0f) {
        *interval = 0.0f;
        changed |= 2;
    }
    if (*interval > 0.0f && *scale / *interval > 20.0f) {
        *interval = *scale / 20.0f;
        changed |= 2;
    }
    return changed;
}

float CorrectProfileMaximum(float minimum, float maximum)
{
    return maximum > minimum ? maximum : minimum + 100.0f;
}

// The value a float setting has after the configuration file has written it
// as "%f" and read it back.
static double AsSavedAndLoaded(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", (double)value);
    return (double)(float)std::strtod(text, nullptr);
}

int ProfileScaleStorable(float minimum, float maximum)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || !std::isfinite(maximum - minimum))
        return 0;
    return AsSavedAndLoaded(maximum) > AsSavedAndLoaded(minimum);
}

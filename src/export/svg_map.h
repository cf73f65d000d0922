// The quick-look map as SVG text.
#pragma once
#include <string>

#include "export/survey_file.h"

struct MapOptions {
    int Channel = 1;         // 1..4
    double LowPercent = 2.0; // colour scale clipped here
    double HighPercent = 98.0;
};
// 0 with why set when the file has nothing to draw.
int SvgMapText(const Survey& s, const MapOptions& options, std::string& out, std::string& why);

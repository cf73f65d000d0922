// The texts the export writes: the integrity report, CSV, GeoJSON and KML.
// Numbers are formatted by our own code, so that the Linux and the Windows
// build write the same bytes.
#pragma once
#include <string>

#include "export/survey_file.h"

// value with a fixed number of decimals, a dot as the decimal point.
void AppendFixed(std::string& out, double value, int decimals);

// The report of check; 1 when the file is whole (every record whole and
// known, the run totals, when written, matching what the file holds).
int CheckReport(const Survey& s, std::string& out);

void CsvText(const Survey& s, std::string& out);
void GeoJsonText(const Survey& s, std::string& out);
void KmlText(const Survey& s, std::string& out);

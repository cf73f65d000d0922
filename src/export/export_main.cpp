// qor-export: a survey data file in the formats other tools read. Output
// goes to a temporary name beside its destination and is renamed only when
// written whole, so that a failed export never leaves a file that looks done.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "export/export_formats.h"
#include "export/svg_map.h"
#include "export/survey_file.h"

// The export decodes stored readings only; it never nulls.
void OnNullingFinished(const float[4], const float[4]) {}

namespace {

enum { EXIT_OK = 0, EXIT_BAD_FILE = 1, EXIT_USAGE = 2, EXIT_OUTPUT = 3 };

int Usage()
{
    std::fputs("usage: qor-export COMMAND FILE [options]\n"
               "  check FILE          integrity report; exit status 0 only for a whole file\n"
               "  csv FILE            one row per reading            (FILE.csv)\n"
               "  geojson FILE        tracks and readings, WGS 84    (FILE.geojson)\n"
               "  kml FILE            tracks, comments and stations  (FILE.kml)\n"
               "  map FILE            quick-look picture             (FILE.svg)\n"
               "options:\n"
               "  -o OUT              write OUT instead ('-' for standard output)\n"
               "  --gap SECONDS       longest span between two fixes a reading is placed in (5)\n"
               "  --channel N         map: the channel 1..4 that colours the dots (1)\n"
               "  --clip LOW,HIGH     map: percentiles the colour scale is clipped at (2,98)\n"
               "  --em61-type N       0 Standard, 1 High Power, 2/3 NCC (from the file's header)\n",
               stderr);
    return EXIT_USAGE;
}

int WriteOutput(const std::string& path, const std::string& text)
{
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY); // the bytes as on Linux, CR LF only where written
#endif
        const bool ok = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                        std::fflush(stdout) == 0;
        if (!ok) std::fprintf(stderr, "qor-export: cannot write standard output\n");
        return ok ? EXIT_OK : EXIT_OUTPUT;
    }
    const std::string part = path + ".part";
    FILE* file = std::fopen(part.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "qor-export: cannot create %s: %s\n", part.c_str(),
                     std::strerror(errno));
        return EXIT_OUTPUT;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = (std::fclose(file) == 0) && ok;
    if (ok) {
        std::remove(path.c_str()); // rename does not replace a file on Windows
        ok = std::rename(part.c_str(), path.c_str()) == 0;
    }
    if (!ok) {
        std::fprintf(stderr, "qor-export: cannot write %s: %s\n", path.c_str(),
                     std::strerror(errno));
        std::remove(part.c_str());
        return EXIT_OUTPUT;
    }
    return EXIT_OK;
}

std::string DefaultOutput(const std::string& input, const char* extension)
{
    const size_t slash = input.find_last_of("/\\");
    const size_t dot = input.find_last_of('.');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? input.substr(0, dot)
                                 : input;
    return stem + extension;
}

bool NumberArg(const char* text, double* value)
{
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == 0 && std::isfinite(*value);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return Usage();
    const std::string command = argv[1], input = argv[2];
    const char* extension = command == "csv"       ? ".csv"
                            : command == "geojson" ? ".geojson"
                            : command == "kml"     ? ".kml"
                            : command == "map"     ? ".svg"
                                                   : nullptr;
    if (!extension && command != "check") return Usage();
    ExportOptions options;
    MapOptions map;
    std::string output = extension ? DefaultOutput(input, extension) : "";
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        double v = 0, w = 0;
        if (!value) return Usage();
        ++i;
        if (arg == "-o" && extension) {
            output = value;
        } else if (arg == "--gap" && NumberArg(value, &v) && v >= 0) {
            options.GapSeconds = v;
        } else if (arg == "--channel" && NumberArg(value, &v) && v >= 1 && v <= 4 && v == (int)v) {
            map.Channel = (int)v;
        } else if (arg == "--em61-type" && NumberArg(value, &v) && v >= 0 && v <= 3 &&
                   v == (int)v) {
            options.Em61Mk2Type = (int)v;
        } else if (arg == "--clip" && std::sscanf(value, "%lf,%lf", &v, &w) == 2 && v >= 0 &&
                   w <= 100 && v < w) {
            map.LowPercent = v, map.HighPercent = w;
        } else {
            std::fprintf(stderr, "qor-export: bad option %s %s\n", arg.c_str(), value);
            return Usage();
        }
    }

    Survey survey;
    ReadSurveyFile(input, options, &survey);
    if (!survey.Fatal.empty()) {
        std::fprintf(stderr, "qor-export: %s: %s\n", input.c_str(), survey.Fatal.c_str());
        return EXIT_BAD_FILE;
    }
    std::string text;
    if (command == "check") {
        const int whole = CheckReport(survey, text);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return whole ? EXIT_OK : EXIT_BAD_FILE;
    }
    if (survey.ProblemCount) {
        // Exporting around damage would pass a part off as the survey.
        const SurveyProblem& p = survey.Problems[0];
        std::fprintf(stderr,
                     "qor-export: %s: %s at offset %lld%s; nothing written "
                     "('qor-export check' lists every problem)\n",
                     input.c_str(), p.What.c_str(), p.Offset,
                     survey.ProblemCount > 1 ? " and more problems" : "");
        return EXIT_BAD_FILE;
    }
    if (command == "csv")
        CsvText(survey, text);
    else if (command == "geojson")
        GeoJsonText(survey, text);
    else if (command == "kml")
        KmlText(survey, text);
    else {
        std::string why;
        if (!SvgMapText(survey, map, text, why)) {
            std::fprintf(stderr, "qor-export: %s: nothing to draw: %s\n", input.c_str(),
                         why.c_str());
            return EXIT_BAD_FILE;
        }
    }
    return WriteOutput(output, text);
}

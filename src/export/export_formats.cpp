// The integrity report, CSV (RFC 4180), GeoJSON (RFC 7946) and KML.
#include "export/export_formats.h"

#include <cmath>
#include <cstdio>
#include <cstdint>

#include "instrument/reading_rules.h"

namespace {

void AppendInt(std::string& out, long long v)
{
    char text[24];
    int n = 0;
    unsigned long long u = v < 0 ? 0ULL - (unsigned long long)v : (unsigned long long)v;
    do {
        text[n++] = (char)('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0) out += '-';
    while (n) out += text[--n];
}

void AppendTwo(std::string& out, int v)
{
    out += (char)('0' + v / 10 % 10);
    out += (char)('0' + v % 10);
}

// Local time (ms since 1970-01-01) as 2026-06-07T12:00:01.250.
void AppendIsoTime(std::string& out, int64_t ms)
{
    int64_t days = ms >= 0 ? ms / 86400000 : (ms - 86399999) / 86400000;
    int64_t inDay = ms - days * 86400000;
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = (unsigned)(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = (int64_t)yoe + era * 400 + (m <= 2);
    AppendInt(out, y);
    out += '-';
    AppendTwo(out, (int)m);
    out += '-';
    AppendTwo(out, (int)d);
    out += 'T';
    AppendTwo(out, (int)(inDay / 3600000));
    out += ':';
    AppendTwo(out, (int)(inDay / 60000 % 60));
    out += ':';
    AppendTwo(out, (int)(inDay / 1000 % 60));
    out += '.';
    out += (char)('0' + inDay / 100 % 10);
    AppendTwo(out, (int)(inDay % 100));
}

void AppendCsvText(std::string& out, const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendJsonText(std::string& out, const std::string& text)
{
    out += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20 || c >= 0x7F) {
            // The file's text is 8-bit; anything outside ASCII is escaped as Latin-1.
            static const char Hex[] = "0123456789abcdef";
            out += "\\u00";
            out += Hex[c >> 4];
            out += Hex[c & 15];
        } else {
            out += (char)c;
        }
    }
    out += '"';
}

void AppendXmlText(std::string& out, const std::string& text)
{
    for (unsigned char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (c >= 0x80) { // Latin-1 to UTF-8
                out += (char)(0xC0 | (c >> 6));
                out += (char)(0x80 | (c & 0x3F));
            } else if (c >= 0x20) {
                out += (char)c;
            }
        }
    }
}

bool Marked(unsigned char letter)
{
    return letter == 'M' || letter == 'N' || letter == 'P' || letter == 'Q' || letter == 'K';
}

const char* SourceName(int source)
{
    return source == POSITION_INTERPOLATED ? "interpolated"
           : source == POSITION_GRID       ? "grid"
                                           : "none";
}

std::string LineName(const Survey& s, int line)
{
    return line >= 0 ? s.Lines[line].Name : std::string();
}

// [lon,lat] of GeoJSON and lon,lat of KML.
void AppendLonLat(std::string& out, double lat, double lon, char separator)
{
    AppendFixed(out, lon, 8);
    out += separator;
    AppendFixed(out, lat, 8);
}

} // namespace

void AppendFixed(std::string& out, double value, int decimals)
{
    static const double Scale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (!std::isfinite(value)) return;
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    const double scaled = std::fabs(value) * Scale[decimals];
    if (scaled >= 9e18) {
        char text[400];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        out += text;
        return;
    }
    const unsigned long long units = (unsigned long long)std::llround(scaled);
    if (value < 0 && units != 0) out += '-';
    const unsigned long long factor = (unsigned long long)Scale[decimals];
    AppendInt(out, (long long)(units / factor));
    if (decimals == 0) return;
    out += '.';
    unsigned long long rest = units % factor;
    char digits[10];
    for (int i = decimals - 1; i >= 0; --i) {
        digits[i] = (char)('0' + rest % 10);
        rest /= 10;
    }
    out.append(digits, (size_t)decimals);
}

int CheckReport(const Survey& s, std::string& out)
{
    char text[256];
    auto line = [&](const char* format, auto... values) {
        std::snprintf(text, sizeof text, format, values...);
        out += text;
        out += '\n';
    };
    static const char* const GpsTypes[9] = {"GGA/GSA", "GGA", "POS",      "LLK",        "LLQ",
                                            "GLL",     "GGK", "RTS pGGA", "RTS Trimble"};
    static const char* const Units[3] = {"m", "ft", "US ft"};
    const SurveyHeader& h = s.Header;
    line("file: %s (%lld bytes)", s.Name.c_str(), s.Bytes);
    line("records: %ld", s.Records);
    line("survey: %s, %s, units %s, sensor size %d, logging mode %d",
         h.Em61Mk2Type ? "High Power" : "Standard", h.GpsEnabled ? "GPS" : "grid (no GPS)",
         Units[h.Units], h.SensorSize, h.LoggingMode);
    if (h.GpsEnabled)
        line("GPS type: %d (%s), antenna offsets x %.2f y %.2f", h.GpsType,
             h.GpsType >= 0 && h.GpsType < 9 ? GpsTypes[h.GpsType] : "?", h.OffsetX, h.OffsetY);
    line("recordings: %d", s.Recordings);
    line("lines: %zu", s.Lines.size());
    long located = 0;
    for (const SurveyReading& r : s.Readings) located += r.Source != POSITION_NONE;
    line("readings: %zu (%ld with a position)", s.Readings.size(), located);
    line("GPS groups: %d (position sentences %d, accepted positions %d)", s.GpsGroups,
         s.PositionSentences, s.AcceptedPositions);
    int whole = s.ProblemCount == 0;
    if (s.HasFixTotal) {
        const bool ok = s.FixTotal == s.PositionSentences;
        line("$F %ld: the file holds %d position sentences%s", s.FixTotal, s.PositionSentences,
             ok ? "" : "  MISMATCH");
        whole &= ok;
    }
    if (s.HasPositionTotal) {
        const bool ok = s.PositionTotal == s.AcceptedPositions;
        line("$P %ld: the file gives %d positions%s", s.PositionTotal, s.AcceptedPositions,
             ok ? "" : "  MISMATCH");
        whole &= ok;
    }
    if (!s.HasFixTotal && !s.HasPositionTotal)
        line("run totals: not written (the run did not end with Exit)");
    for (const SurveyProblem& p : s.Problems) line("offset %lld: %s", p.Offset, p.What.c_str());
    if (s.ProblemCount > (long)s.Problems.size())
        line("... and %ld more problems", s.ProblemCount - (long)s.Problems.size());
    line("%s", whole ? "whole file: yes" : "whole file: NO");
    return whole;
}

void CsvText(const Survey& s, std::string& out)
{
    out.reserve(out.size() + s.Readings.size() * 200);
    out += "file,line,station,time,tick,type,marker,ch1,ch2,ch3,ch4,ch4_label,battery,latitude,"
           "longitude,easting,northing,zone,altitude,quality,satellites,dop,position_source,x,y,"
           "comment\r\n";
    std::string file;
    AppendCsvText(file, s.Name);
    std::vector<std::string> lines(s.Lines.size());
    for (size_t i = 0; i < s.Lines.size(); ++i) AppendCsvText(lines[i], s.Lines[i].Name);
    for (const SurveyReading& r : s.Readings) {
        out += file;
        out += ',';
        if (r.Line >= 0) out += lines[r.Line];
        out += ',';
        AppendFixed(out, r.Station, 2);
        out += ',';
        if (r.ClockMs >= 0) AppendIsoTime(out, r.ClockMs);
        out += ',';
        AppendInt(out, r.Tick);
        out += ',';
        out += (char)r.Letter;
        out += Marked(r.Letter) ? ",1," : ",0,";
        for (int i = 0; i < 4; ++i) {
            if (r.Decoded) AppendFixed(out, r.Ch[i], 3);
            out += ',';
        }
        out += (char)Channel4LabelChar(r.Letter);
        out += ',';
        AppendFixed(out, r.Battery, 2);
        out += ',';
        const bool placed = r.Source == POSITION_INTERPOLATED;
        const SurveyFix* fix = placed ? &s.Fixes[r.Fix] : nullptr;
        if (placed && fix->Zone) {
            AppendFixed(out, r.Lat, 8);
            out += ',';
            AppendFixed(out, r.Lon, 8);
        } else {
            out += ',';
        }
        out += ',';
        if (placed) {
            AppendFixed(out, r.E, 3);
            out += ',';
            AppendFixed(out, r.N, 3);
        } else {
            out += ',';
        }
        out += ',';
        if (placed && fix->Zone) AppendInt(out, fix->Zone);
        out += ',';
        if (placed && r.HasAltitude) AppendFixed(out, r.Altitude, 3);
        out += ',';
        if (placed && fix->Quality >= 0) AppendInt(out, fix->Quality);
        out += ',';
        if (placed && fix->Satellites >= 0) AppendInt(out, fix->Satellites);
        out += ',';
        if (placed && fix->Dop >= 0) AppendFixed(out, fix->Dop, 2);
        out += ',';
        out += SourceName(r.Source);
        out += ',';
        if (r.Source == POSITION_GRID) {
            AppendFixed(out, r.X, 3);
            out += ',';
            AppendFixed(out, r.Y, 3);
        } else {
            out += ',';
        }
        out += ',';
        if (r.Comment >= 0) AppendCsvText(out, s.Notes[r.Comment].Text);
        out += "\r\n";
    }
}

void GeoJsonText(const Survey& s, std::string& out)
{
    const bool geographic = s.Geographic();
    out += "{\"type\":\"FeatureCollection\",\"name\":";
    AppendJsonText(out, s.Name);
    out += ",\"features\":[\n";
    bool first = true;
    auto begin = [&]() {
        if (!first) out += ",\n";
        first = false;
        out += "{\"type\":\"Feature\",\"geometry\":";
    };
    // The antenna's track of each line.
    for (size_t line = 0; line < s.Lines.size(); ++line) {
        std::string coordinates;
        int count = 0;
        for (const SurveyFix& f : s.Fixes) {
            if (f.Line != (int)line || !f.Zone) continue;
            coordinates += count++ ? ",[" : "[";
            AppendLonLat(coordinates, f.AntennaLat, f.AntennaLon, ',');
            coordinates += ']';
        }
        begin();
        if (count >= 2 && geographic)
            out += "{\"type\":\"LineString\",\"coordinates\":[" + coordinates + "]}";
        else
            out += "null";
        out += ",\"properties\":{\"kind\":\"track\",\"line\":";
        AppendJsonText(out, s.Lines[line].Name);
        out += ",\"positions\":";
        AppendInt(out, count);
        out += "}}";
    }
    for (const SurveyReading& r : s.Readings) {
        begin();
        if (r.Source == POSITION_INTERPOLATED && geographic) {
            out += "{\"type\":\"Point\",\"coordinates\":[";
            AppendLonLat(out, r.Lat, r.Lon, ',');
            out += "]}";
        } else {
            out += "null";
        }
        out += ",\"properties\":{\"kind\":\"reading\",\"line\":";
        AppendJsonText(out, LineName(s, r.Line));
        out += ",\"station\":";
        AppendFixed(out, r.Station, 2);
        out += ",\"time\":";
        if (r.ClockMs >= 0) {
            out += '"';
            AppendIsoTime(out, r.ClockMs);
            out += '"';
        } else {
            out += "null";
        }
        out += ",\"marker\":";
        out += Marked(r.Letter) ? '1' : '0';
        for (int i = 0; i < 4; ++i) {
            out += ",\"ch";
            out += (char)('1' + i);
            out += "\":";
            if (r.Decoded)
                AppendFixed(out, r.Ch[i], 3);
            else
                out += "null";
        }
        if (r.Comment >= 0) {
            out += ",\"comment\":";
            AppendJsonText(out, s.Notes[r.Comment].Text);
        }
        out += "}}";
    }
    out += "\n]}\n";
}

void KmlText(const Survey& s, std::string& out)
{
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<name>";
    AppendXmlText(out, s.Name);
    out += "</name>\n<Style id=\"track\"><LineStyle><color>ff0000ff</color><width>2</width>"
           "</LineStyle></Style>\n<Folder><name>Lines</name>\n";
    for (size_t line = 0; line < s.Lines.size(); ++line) {
        std::string coordinates;
        int count = 0;
        for (const SurveyFix& f : s.Fixes) {
            if (f.Line != (int)line || !f.Zone) continue;
            if (count++) coordinates += ' ';
            AppendLonLat(coordinates, f.AntennaLat, f.AntennaLon, ',');
        }
        if (count < 2) continue;
        out += "<Placemark><name>Line ";
        AppendXmlText(out, s.Lines[line].Name);
        out += "</name><styleUrl>#track</styleUrl><LineString><tessellate>1</tessellate>"
               "<coordinates>" +
               coordinates + "</coordinates></LineString></Placemark>\n";
    }
    out += "</Folder>\n";
    static const char Tags[2] = {'C', 'S'};
    static const char* const Folders[2] = {"Comments", "Stations"};
    for (int k = 0; k < 2; ++k) {
        out += "<Folder><name>";
        out += Folders[k];
        out += "</name>\n";
        for (const SurveyNote& note : s.Notes) {
            const int at = note.Tag == Tags[k] ? PlacedReadingOf(s, note) : -1;
            if (at < 0 || s.Readings[at].Source != POSITION_INTERPOLATED) continue;
            const SurveyReading& r = s.Readings[at];
            if (!s.Fixes[r.Fix].Zone) continue;
            out += "<Placemark><name>";
            if (note.Tag == 'S') out += "Station ";
            AppendXmlText(out, note.Text);
            out += "</name><description>Line ";
            AppendXmlText(out, LineName(s, note.Line));
            out += "</description><Point><coordinates>";
            AppendLonLat(out, r.Lat, r.Lon, ',');
            out += "</coordinates></Point></Placemark>\n";
        }
        out += "</Folder>\n";
    }
    out += "</Document>\n</kml>\n";
}

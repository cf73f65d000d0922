// The walk (back and forth along parallel lines) and the sentences of each
// GPS type, built to the field layout the logger reads for that type.
#include "gpssim.h"

#include <algorithm>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

const double kPi = 3.14159265358979323846;
const double kMetresPerDegree = 111320.0;
std::mt19937_64 gRandom(1);

bool Has(const std::vector<std::string>& faults, const char* name)
{
    return std::find(faults.begin(), faults.end(), name) != faults.end();
}

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

std::string Clock(double secondOfDay)
{
    const double s = std::fmod(secondOfDay, 86400.0);
    const int h = (int)(s / 3600), m = (int)(std::fmod(s, 3600) / 60);
    return Format("%02d%02d%05.2f", h, m, std::fmod(s, 60.0));
}

// ddmm.mmmmmm / dddmm.mmmmmm and the hemisphere.
std::string Angle(double degrees, int degreeDigits, char positive, char negative)
{
    const double a = std::fabs(degrees);
    const int d = (int)a;
    const double minutes = (a - d) * 60.0;
    return Format("%0*d%09.6f,%c", degreeDigits, d, minutes, degrees < 0 ? negative : positive);
}

} // namespace

bool IsFault(const std::string& name)
{
    static const char* const names[] = {"badsum", "lower", "nodollar", "nostar",
                                        "long",   "nofix", "fewsats",  "highdop",
                                        "jump",   "hop",   "random"};
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

Epoch WalkAt(double t, double walked)
{
    // Line k runs along the heading (odd lines back), then a side step.
    const double leg = Opt.lineLength + Opt.spacing;
    const int k = (int)(walked / leg);
    const double along = std::fmod(walked, leg);
    const double inLine = std::min(along, Opt.lineLength);
    const double across = k * Opt.spacing + std::max(0.0, along - Opt.lineLength);
    const double a = (k % 2 == 0) ? inLine : Opt.lineLength - inLine;
    const double h = Opt.heading * kPi / 180.0;
    Epoch e;
    e.t = t;
    e.east = a * std::sin(h) + across * std::cos(h);
    e.north = a * std::cos(h) - across * std::sin(h);
    e.secondOfDay = 43200.0 + t; // noon
    return e;
}

std::string WithChecksum(const std::string& body)
{
    unsigned sum = 0;
    for (char c : body) sum ^= (unsigned char)c;
    return Format("$%s*%02X", body.c_str(), sum);
}

std::vector<std::string> BuildEpoch(const Epoch& e, const std::vector<std::string>& faults)
{
    if (Has(faults, "random")) {
        std::string junk;
        for (int i = 0; i < 60; ++i) junk += (char)(gRandom() & 0xFF);
        return {junk};
    }
    double east = e.east, north = e.north;
    if (Has(faults, "jump")) east += 1500.0;
    if (Has(faults, "hop")) east += 40.0, north += 40.0; // off the map, not a glitch
    const int sats = Has(faults, "fewsats") ? 2 : Opt.satellites;
    const int quality = Has(faults, "nofix") ? 0 : Opt.quality;
    const double dop = Has(faults, "highdop") ? 25.0 : Opt.dop;
    const double lat = Opt.lat0 + north / kMetresPerDegree;
    const double lon = Opt.lon0 + east / (kMetresPerDegree * std::cos(Opt.lat0 * kPi / 180.0));
    const std::string time = Clock(e.secondOfDay);
    const std::string latText = Angle(lat, 2, 'N', 'S'), lonText = Angle(lon, 3, 'E', 'W');
    double gridN = Opt.north0 + north, gridE = Opt.east0 + east;
    if (Opt.unitsLetter == 'F') gridN /= 0.3048, gridE /= 0.3048;

    std::vector<std::string> lines;
    switch (Opt.type) {
    case 0:
    case 1:
        lines.push_back(
            WithChecksum(Format("GPGGA,%s,%s,%s,%d,%02d,%.1f,512.3,M,47.0,M,,", time.c_str(),
                                latText.c_str(), lonText.c_str(), quality, sats, dop)));
        if (Opt.type == 0)
            lines.push_back(WithChecksum(
                Format("GPGSA,A,3,04,05,09,12,17,24,25,28,29,,,,%.1f,%.1f,1.5", dop + 0.6, dop)));
        lines.push_back(WithChecksum(Format("GPRMC,%s,A,%s,%s,%.2f,%.1f,061226,,,A", time.c_str(),
                                            latText.c_str(), lonText.c_str(), Opt.speed * 1.943844,
                                            Opt.heading)));
        break;
    case 2:
        lines.push_back(WithChecksum(Format("PASHR,POS,%d,%02d,%s,%s,%s,512.3,,90.0,1.9,0.0,%.1f,"
                                            "%.1f,1.5,0.9,UT00",
                                            quality > 0 ? quality - 1 : 0, sats, time.c_str(),
                                            latText.c_str(), lonText.c_str(), dop + 0.6, dop)));
        break;
    case 3:
    case 4:
        lines.push_back(
            WithChecksum(Format("PTNL,%s,%s,%.3f,M,%.3f,M,%d,%02d,%.1f,512.3,M",
                                Opt.type == 3 ? "LLK" : "LLQ", time.c_str(), Opt.east0 + east,
                                Opt.north0 + north, quality ? quality + 2 : 0, sats, dop)));
        break;
    case 5:
        lines.push_back(WithChecksum(Format("GPGLL,%s,%s,%s,%c", latText.c_str(), lonText.c_str(),
                                            time.c_str(), quality ? 'A' : 'V')));
        break;
    case 6:
        lines.push_back(WithChecksum(Format("PTNL,GGK,%s,120626,%s,%s,%d,%02d,%.1f,EHT512.3,M",
                                            time.c_str(), latText.c_str(), lonText.c_str(),
                                            quality ? quality + 2 : 0, sats, dop)));
        break;
    case 7: // the total station's GGA: grid values, units letter in field 11
        lines.push_back(WithChecksum(Format("GPGGA,%s,%.3f,N,%.3f,E,1,05,1.0,100.0,%c,0.0,M,,",
                                            time.c_str(), gridN, gridE, Opt.unitsLetter)));
        break;
    default: // 8: a label record
        lines.push_back(Format(">%d\r\n37=%.3f\r\n38=%.3f\r\n39=%.3f", (int)(e.t * Opt.rate), gridN,
                               gridE, 100.0));
        break;
    }
    for (std::string& l : lines) {
        if (Opt.type == 8) break;
        const size_t star = l.rfind('*');
        if (Has(faults, "badsum"))
            l.replace(star + 1, 2, l.substr(star + 1, 2) == "00" ? "01" : "00");
        if (Has(faults, "lower"))
            for (size_t i = star + 1; i < l.size(); ++i) l[i] = (char)std::tolower(l[i]);
        if (Has(faults, "nostar")) l.erase(star);
        if (Has(faults, "nodollar")) l.erase(0, 1);
        if (Has(faults, "long")) l.insert(7, std::string(300, 'X'));
    }
    for (std::string& l : lines) l += "\r\n";
    return lines;
}

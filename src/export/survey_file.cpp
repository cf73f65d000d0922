// One pass over the records in file order. The state the logger kept while
// writing (line, station, offsets in force, the last clock record, the
// track behind the antenna) is rebuilt as the records go by, so that each
// reading gets what the logging screen showed for it.
#include "export/survey_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display/stored_records.h"
#include "gps/fix_readouts.h"
#include "gps/label_exchange.h"
#include "gps/nmea_sentence.h"
#include "map/position_file.h"
#include "gps/sensor_offset.h"
#include "gps/utm.h"
#include "instrument/reading_rules.h"
#include "logging/record_format.h"
#include "settings/settings.h"

namespace {

enum { MOST_PROBLEMS_KEPT = 20, JUMP_LIMIT = 1000 };
const double BatteryVoltsPerCount = 1 / 6.66757;
const int64_t MsPerDay = 86400000;

bool IsReadingLetter(unsigned char c) { return c && std::strchr("TDEFMNPQJKjk", c); }

// Columns 16..25: the tick as "%10ld" of the hand-held's 32-bit long.
int64_t TickOf(const unsigned char* rec)
{
    char text[11];
    std::memcpy(text, rec + 16, 10);
    text[10] = 0;
    return std::strtol(text, nullptr, 10);
}

std::string Trimmed(const unsigned char* p, size_t n)
{
    std::string t((const char*)p, n);
    while (!t.empty() && (t.back() == ' ' || t.back() == 0)) t.pop_back();
    while (!t.empty() && t.front() == ' ') t.erase(0, 1);
    return t;
}

double NumberAt(const unsigned char* rec, size_t from, size_t n)
{
    char text[RecordBufferBytes] = {};
    std::memcpy(text, rec + from, n);
    return std::strtod(text, nullptr);
}

// Days since 1970-01-01 of a civil date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = (unsigned)(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + (int64_t)doe - 719468;
}

// The latitude and longitude whose projection is (e, n) in metres, near a
// known point: Newton steps on the logger's own projection.
void InverseNear(double e, double n, double lat0, double lon0, double* lat, double* lon)
{
    double la = lat0, lo = lon0;
    const double h = 1e-6;
    for (int step = 0; step < 4; ++step) {
        int32_t z;
        double n0, e0, n1, e1, n2, e2;
        LatLonToUtm(la, lo, &z, &n0, &e0);
        LatLonToUtm(la + h, lo, &z, &n1, &e1);
        LatLonToUtm(la, lo + h, &z, &n2, &e2);
        const double a = (e1 - e0) / h, b = (e2 - e0) / h, c = (n1 - n0) / h, d = (n2 - n0) / h;
        const double det = a * d - b * c;
        if (det == 0) break;
        const double de = e - e0, dn = n - n0;
        la += (d * de - b * dn) / det;
        lo += (a * dn - c * de) / det;
        if (std::fabs(de) + std::fabs(dn) < 1e-7) break;
    }
    *lat = la, *lon = lo;
}

// Where the altitude stands in each type's sentence (0: none).
const int AltitudeField[9] = {10, 10, 10, 11, 11, 0, 12, 10, 0};

struct Walker {
    const ExportOptions& Options;
    Survey* S;
    // Clock and ticks.
    uint32_t LastTick = 0;
    int64_t LastMs = 0;
    int HasTick = 0;
    int64_t DateDays = -1, DateSecond = 0;  // of the last Z record
    int64_t AnchorClock = -1, AnchorMs = 0; // the last * record
    // Line and station.
    int Line = -1;
    double Station = 0, Increment = 0;
    int32_t StationStarted = 0;
    float Offsets[4] = {};
    int OffsetRun = 0;
    int PendingComment = -1;
    size_t NotesWaiting = 0; // notes before this index have their reading
    // GPS.
    GpsFormatRecord Format = {};
    RecordGroupReader Group = {};
    char OpenGroup = 0; // '@', '?' or 0
    PositionFields Fields = {};
    SensorOffsetRecord Offset = {};
    int HasPrevious = 0, NewRecording = 1;
    double PrevE = 0, PrevN = 0, KeptE = 0, KeptN = 0;

    void Problem(long long offset, const std::string& what)
    {
        if (S->Problems.size() < MOST_PROBLEMS_KEPT) S->Problems.push_back({offset, what});
        S->ProblemCount += 1;
    }

    int64_t Unwrap(int64_t written)
    {
        const uint32_t tick = (uint32_t)written;
        if (HasTick)
            LastMs += (int32_t)(tick - LastTick);
        else
            LastMs = tick, HasTick = 1;
        LastTick = tick;
        return LastMs;
    }

    void Header(const unsigned char* rec, int index)
    {
        SurveyHeader& h = S->Header;
        if (index == 0) {
            h.Em61Mk2Type = Options.Em61Mk2Type >= 0 ? Options.Em61Mk2Type : rec[6] == 'H' ? 1 : 0;
            h.GpsEnabled = std::memcmp(rec + 12, "GPS", 3) == 0;
            h.Units = rec[15] - '0';
            h.SensorSize = rec[16] - '0';
            h.LoggingMode = rec[17] - '0';
            if (h.Units < 0 || h.Units > 2) h.Units = 0;
            Settings.Em61Mk2Type = h.Em61Mk2Type;
            Settings.SensorSize = h.SensorSize;
        } else if (index == 1) {
            h.BaseName = Trimmed(rec + 2, 9);
        } else if (index == 2) {
            h.OffsetX = NumberAt(rec, 1, 7);
            h.OffsetY = NumberAt(rec, 8, 7);
            h.GpsType = 1;
            h.RtsUnits = 0;
            RecordedGpsType((const char*)rec, &h.GpsType, &h.RtsUnits);
            LoadGpsFormat(h.GpsType, &Format);
            SetOffsetMode(&Offset, (float)h.OffsetY);
        }
    }

    void SetClock(const unsigned char* rec, int64_t ms)
    {
        if (DateDays < 0) return;
        const int hh = std::atoi(std::string((const char*)rec + 1, 2).c_str());
        const int mm = std::atoi(std::string((const char*)rec + 4, 2).c_str());
        const int ss = std::atoi(std::string((const char*)rec + 7, 2).c_str());
        const int ms3 = std::atoi(std::string((const char*)rec + 10, 3).c_str());
        const int64_t second = hh * 3600 + mm * 60 + ss;
        // A clock record after midnight belongs to the day after its line's date.
        const int64_t day = DateDays + (second + 43200 < DateSecond ? 1 : 0);
        AnchorClock = day * MsPerDay + second * 1000 + ms3;
        AnchorMs = ms;
    }

    void Date(const unsigned char* rec)
    {
        const char* t = (const char*)rec;
        const int d = std::atoi(std::string(t + 1, 2).c_str());
        const int m = std::atoi(std::string(t + 3, 2).c_str());
        const int y = std::atoi(std::string(t + 5, 4).c_str());
        if (d < 1 || d > 31 || m < 1 || m > 12) return;
        DateDays = DaysFromCivil(y, (unsigned)m, (unsigned)d);
        DateSecond = std::atoi(std::string(t + 10, 2).c_str()) * 3600 +
                     std::atoi(std::string(t + 13, 2).c_str()) * 60 +
                     std::atoi(std::string(t + 16, 2).c_str());
    }

    void NewLine(const unsigned char* rec)
    {
        SurveyLine line;
        line.Name = Trimmed(rec + 1, 8);
        char* end = nullptr;
        line.Number = std::strtod(line.Name.c_str(), &end);
        if (line.Name.empty() || *end) line.Number = (double)S->Lines.size() + 1;
        line.Direction = 'N';
        line.StartStation = line.Increment = 0;
        S->Lines.push_back(line);
        Line = (int)S->Lines.size() - 1;
        StationStarted = 0;
    }

    void Reading(const unsigned char* rec)
    {
        SurveyReading r = {};
        r.Tick = TickOf(rec);
        r.Ms = Unwrap(r.Tick);
        r.ClockMs = AnchorClock >= 0 ? AnchorClock + (r.Ms - AnchorMs) : -1;
        r.Line = Line;
        AdvanceStation(&Station, &StationStarted, Increment);
        r.Station = Station;
        r.Letter = rec[0];
        r.Decoded = DecodeStoredReading(rec, Offsets, r.Ch);
        r.Battery = (float)(rec[15] * BatteryVoltsPerCount);
        r.Comment = PendingComment;
        PendingComment = -1;
        r.Fix = -1;
        const int index = (int)S->Readings.size();
        for (; NotesWaiting < S->Notes.size(); ++NotesWaiting)
            S->Notes[NotesWaiting].Reading = index;
        S->Readings.push_back(r);
    }

    void Note(const unsigned char* rec, char tag)
    {
        SurveyNote note = {tag, Trimmed(rec + 1, 11), Line, -1};
        if (tag == 'S') {
            Station = NumberAt(rec, 1, 11);
            StationStarted = 0;
        } else if (PendingComment < 0) {
            PendingComment = (int)S->Notes.size();
        }
        Unwrap(TickOf(rec));
        S->Notes.push_back(note);
    }

    void Event(const unsigned char* rec)
    {
        const std::string text = Trimmed(rec + 1, 11);
        Unwrap(TickOf(rec));
        if (text.compare(0, 8, "$STARTED") == 0) {
            S->Recordings += 1;
            NewRecording = 1;
        } else if (text.compare(0, 3, "$F ") == 0) {
            S->HasFixTotal = 1;
            S->FixTotal = std::atol(text.c_str() + 3);
        } else if (text.compare(0, 3, "$P ") == 0) {
            S->HasPositionTotal = 1;
            S->PositionTotal = std::atol(text.c_str() + 3);
        }
    }

    // Antenna position of an accepted sentence in distance units, as the
    // logger decoded it; 0 when it gave none.
    int Decode(const char* sentence, SurveyFix* f, double* e, double* n)
    {
        const SurveyHeader& h = S->Header;
        f->Quality = f->Satellites = -1;
        f->Dop = -1;
        f->Zone = 0;
        f->HasAltitude = 0;
        if (h.GpsType == 8) {
            LabelExchange x = {};
            RestartLabels(&x);
            std::string text = std::string(sentence) + ",";
            // Each line of the record was searched as it came; the whole text finds both.
            ScanLabels(&x, text.c_str());
            if (!ScanLabels(&x, text.c_str())) return 0;
            f->AntennaN = DistanceUnitsToMetres(x.Northing, h.RtsUnits);
            f->AntennaE = DistanceUnitsToMetres(x.Easting, h.RtsUnits);
            *n = MetresToDistanceUnits(f->AntennaN, h.Units);
            *e = MetresToDistanceUnits(f->AntennaE, h.Units);
            return 1;
        }
        if (!std::strstr(sentence, Format.SentenceId)) return 0;
        Fields.HasPdop = 0;
        DecodePositionFields(sentence, Format, h.GpsType, h.Units, h.RtsUnits, &Fields);
        if (!Fields.PositionOk) return 0;
        for (uint32_t i = 0; i < Format.FieldCount; ++i) {
            if (Format.FieldKind[i] == FIELD_SATELLITES) f->Satellites = Fields.Satellites;
            if (Format.FieldKind[i] == FIELD_QUALITY && h.GpsType != GPS_TYPE_TOTAL_STATION)
                f->Quality = Fields.Quality;
        }
        if (Fields.HasPdop) f->Dop = Fields.Pdop;
        char field[GPS_FIELD_CHARS + 1];
        const int at = h.GpsType >= 0 && h.GpsType < 9 ? AltitudeField[h.GpsType] : 0;
        if (at && GetField(sentence, at, ',', field) && field[0]) {
            const char* p = field;
            while (*p && !std::strchr("+-.0123456789", *p)) ++p; // "EHT" before a GGK height
            char* end = nullptr;
            const double v = std::strtod(p, &end);
            if (end != p) {
                f->Altitude = v;
                f->HasAltitude = 1;
                if (h.GpsType == GPS_TYPE_TOTAL_STATION && GetField(sentence, 11, ',', field) &&
                    field[0] == 'F')
                    f->Altitude = DistanceUnitsToMetres(v, h.RtsUnits == 1 ? 2 : 1);
            }
        }
        if (Fields.Geographic) {
            f->AntennaLat = Fields.First;
            f->AntennaLon = Fields.Second;
            int32_t zone;
            LatLonToUtm(Fields.First, Fields.Second, &zone, &f->AntennaN, &f->AntennaE);
            f->Zone = zone;
            *n = MetresToDistanceUnits(f->AntennaN, h.Units);
            *e = MetresToDistanceUnits(f->AntennaE, h.Units);
        } else {
            f->AntennaN = Fields.FirstMetres;
            f->AntennaE = Fields.SecondMetres;
            *n = Fields.First;
            *e = Fields.Second;
        }
        return 1;
    }

    // An accepted position sentence: stored as the logger stored it, the
    // sensor placed by the antenna offsets along the track.
    void Position(const char* sentence, int64_t ms)
    {
        SurveyFix f = {};
        f.Ms = ms;
        f.Line = Line;
        double e, n;
        if (!Decode(sentence, &f, &e, &n)) return;
        double dE = 0, dN = 0, d = 1.0;
        if (NewRecording || !HasPrevious) KeptE = e, KeptN = n; // where the walked track starts
        if (HasPrevious) {
            dE = e - PrevE, dN = n - PrevN;
            d = std::sqrt(dE * dE + dN * dN);
            if (!(d <= JUMP_LIMIT)) return; // a receiver's glitch: not stored
        }
        HasPrevious = 1;
        NewRecording = 0;
        PrevE = e, PrevN = n;
        double sensorE, sensorN;
        const SurveyHeader& h = S->Header;
        LocateSensor(&Offset, h.OffsetX, h.OffsetY, e, n, dE, dN, d, KeptE, KeptN, &sensorE,
                     &sensorN);
        f.SensorE = DistanceUnitsToMetres(sensorE, h.Units);
        f.SensorN = DistanceUnitsToMetres(sensorN, h.Units);
        if (sensorE == e && sensorN == n) f.SensorE = f.AntennaE, f.SensorN = f.AntennaN;
        f.SensorLat = f.AntennaLat, f.SensorLon = f.AntennaLon;
        if (f.Zone && (f.SensorE != f.AntennaE || f.SensorN != f.AntennaN)) {
            InverseNear(f.SensorE, f.SensorN, f.AntennaLat, f.AntennaLon, &f.SensorLat,
                        &f.SensorLon);
        }
        S->AcceptedPositions += 1;
        S->Fixes.push_back(f);
    }

    // The GSA the logger paired with the position before it gives its DOP.
    void Gsa(const char* sentence)
    {
        char field[GPS_FIELD_CHARS + 1];
        if (S->Fixes.empty() || S->Fixes.back().Dop >= 0) return;
        if (GetField(sentence, 16, ',', field) && field[0])
            S->Fixes.back().Dop = (float)std::fabs(std::strtod(field, nullptr));
    }

    void Gps(const unsigned char* rec, long long offset)
    {
        const char tag = (char)rec[0];
        char sentence[512];
        const int closed = FeedDataRecord(&Group, (const char*)rec, sentence, sizeof sentence);
        if (tag == '@' || tag == '?') {
            OpenGroup = tag;
            return;
        }
        if ((tag == '#' && OpenGroup != '@') || (tag == '"' && OpenGroup != '?') ||
            (tag == '!' && !OpenGroup)) {
            Problem(offset, std::string("GPS record '") + tag + "' outside a group");
            return;
        }
        if (tag != '!') return;
        S->GpsGroups += 1;
        const int64_t ms = Unwrap(TickOf(rec));
        const char opened = OpenGroup;
        OpenGroup = 0;
        if (opened != '@' || !closed) return;
        // With a counter the flag stands after its six digits.
        const char flag = (char)rec[7];
        const int positionSentence =
            S->Header.GpsType == 8 || std::strstr(sentence, Format.SentenceId) != nullptr;
        if (positionSentence) S->PositionSentences += 1;
        if (flag == 'p' && positionSentence)
            Position(sentence, ms);
        else if (S->Header.GpsType == 0 && std::strstr(sentence, "GSA"))
            Gsa(sentence);
    }

    void Record(const unsigned char* rec, int index, long long offset)
    {
        const unsigned char tag = rec[0];
        if (tag != 'O') OffsetRun = 0;
        if (index < 3) {
            static const char* const Expected[3] = {"QORMK2", "Hg", "G"};
            if (std::memcmp(rec, Expected[index], std::strlen(Expected[index])) != 0) {
                if (index == 0)
                    S->Fatal = "not a data file of this logger (no QORMK2 header)";
                else
                    Problem(offset,
                            std::string("header record ") + std::to_string(index + 1) + " missing");
                return;
            }
            Header(rec, index);
            return;
        }
        if (!IsReadingLetter(tag) && !(tag && std::strchr("OLBAZ*SCX@#!?\"", tag))) {
            Problem(offset, std::string("unknown record tag 0x") + "0123456789abcdef"[tag >> 4] +
                                "0123456789abcdef"[tag & 15]);
            return;
        }
        if (OpenGroup && tag != '#' && tag != '"' && tag != '!') {
            Problem(offset, "GPS record group without its trailer");
            OpenGroup = 0;
        }
        if (IsReadingLetter(tag)) {
            Reading(rec);
            return;
        }
        switch (tag) {
        case 'O':
            Offsets[OffsetRun % 4] = (float)NumberAt(rec, 1, 9);
            OffsetRun += 1;
            break;
        case 'L': NewLine(rec); break;
        case 'B':
            if (Line >= 0) S->Lines[Line].StartStation = Station = NumberAt(rec, 1, 11);
            break;
        case 'A':
            if (Line >= 0) {
                S->Lines[Line].Direction = (char)rec[1];
                S->Lines[Line].Increment = Increment = NumberAt(rec, 8, 11);
            }
            break;
        case 'Z': Date(rec); break;
        case '*': SetClock(rec, Unwrap(TickOf(rec))); break;
        case 'S':
        case 'C': Note(rec, (char)tag); break;
        case 'X': Event(rec); break;
        case '@':
        case '#':
        case '!':
        case '?':
        case '"': Gps(rec, offset); break;
        default: break;
        }
    }

    // Each reading placed: between the fixes around its tick, or on the
    // local grid of its line and station.
    void Locate()
    {
        const bool grid = !S->Header.GpsEnabled;
        const int64_t gap = (int64_t)std::llround(Options.GapSeconds * 1000.0);
        size_t k = 0;
        const std::vector<SurveyFix>& fixes = S->Fixes;
        for (SurveyReading& r : S->Readings) {
            r.Source = POSITION_NONE;
            if (grid) {
                if (r.Line < 0) continue;
                const SurveyLine& line = S->Lines[r.Line];
                const bool northSouth = line.Direction == 'N' || line.Direction == 'S';
                r.X = northSouth ? line.Number : r.Station;
                r.Y = northSouth ? r.Station : line.Number;
                r.Source = POSITION_GRID;
                continue;
            }
            while (k + 1 < fixes.size() && fixes[k + 1].Ms <= r.Ms) ++k;
            if (k + 1 >= fixes.size() || fixes[k].Ms > r.Ms) continue;
            const SurveyFix& a = fixes[k];
            const SurveyFix& b = fixes[k + 1];
            if (b.Ms - a.Ms > gap || b.Ms < r.Ms) continue;
            const double f = b.Ms == a.Ms ? 0.0 : (double)(r.Ms - a.Ms) / (double)(b.Ms - a.Ms);
            InterpolateFix(a, b, f, &r);
            r.Fix = (int)k;
        }
    }
};

} // namespace

int PlacedReadingOf(const Survey& s, const SurveyNote& note)
{
    if (note.Reading < 0) return -1;
    for (size_t i = (size_t)note.Reading; i < s.Readings.size(); ++i) {
        if (s.Readings[i].Line != note.Line) break;
        if (s.Readings[i].Source != POSITION_NONE) return (int)i;
    }
    return -1;
}

void InterpolateFix(const SurveyFix& a, const SurveyFix& b, double f, SurveyReading* r)
{
    r->Source = POSITION_INTERPOLATED;
    r->E = a.SensorE + (b.SensorE - a.SensorE) * f;
    r->N = a.SensorN + (b.SensorN - a.SensorN) * f;
    r->Lat = a.SensorLat + (b.SensorLat - a.SensorLat) * f;
    r->Lon = a.SensorLon + (b.SensorLon - a.SensorLon) * f;
    r->HasAltitude = a.HasAltitude && b.HasAltitude;
    r->Altitude = a.Altitude + (b.Altitude - a.Altitude) * f;
}

void ParseSurvey(const unsigned char* data, size_t size, const std::string& name,
                 const ExportOptions& options, Survey* s)
{
    *s = Survey();
    s->Name = name;
    s->Bytes = (long long)size;
    if (size == 0) {
        s->Fatal = "empty file";
        return;
    }
    InitUtmConstants();
    Walker w{options, s};
    w.Fields.LatitudeSign = w.Fields.LongitudeSign = 1;
    const size_t whole = size / RecordBytes;
    s->Records = (long)whole;
    for (size_t i = 0; i < whole && s->Fatal.empty(); ++i) {
        const unsigned char* rec = data + i * RecordBytes;
        const long long offset = (long long)(i * RecordBytes);
        if (rec[RecordFeedColumn] != 0x0A) {
            if (i == 0)
                s->Fatal = "not a data file of this logger (no 27-byte records)";
            else
                w.Problem(offset, "torn record (no line feed in column 26)");
            continue;
        }
        w.Record(rec, (int)i, offset);
    }
    if (whole == 0) s->Fatal = "not a data file of this logger (shorter than one record)";
    if (!s->Fatal.empty()) return;
    if (size % RecordBytes)
        w.Problem((long long)(whole * RecordBytes),
                  "truncated last record (" + std::to_string(size % RecordBytes) + " of 27 bytes)");
    w.Locate();
}

int ReadSurveyFile(const std::string& path, const ExportOptions& options, Survey* s)
{
    size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *s = Survey();
        s->Fatal = std::string("cannot open: ") + std::strerror(errno);
        return 0;
    }
    std::vector<unsigned char> data;
    unsigned char chunk[1 << 16];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        data.insert(data.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *s = Survey();
        s->Fatal = "read error";
        return 0;
    }
    ParseSurvey(data.data(), data.size(), name, options, s);
    return s->Fatal.empty();
}

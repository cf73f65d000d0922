// External position files. A file is read in blocks and every row judged
// once; when its positions do not fit the memory budget, every k-th is
// kept (an ASCII file's lines are counted first, a data file is read a
// second time). The positions are sorted north to south once, so that
// each build of the map's pixel list (a new scale or origin) is one pass.
// A load can take seconds while a survey records, so between blocks the
// readers' hand-overs, the watchdog's timer and posted total-station
// positions are let through and the progress is shown. Nothing the run
// recorded is touched; a file that gives no position is refused as a whole.
#include "map/external_positions.h"

#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "app/app_state.h"
#include "app/window_handles.h"
#include "display/status_paint.h"
#include "gps/fix_readouts.h"
#include "gps/gps_reader.h"
#include "map/map_view.h"
#include "gps/nmea_sentence.h"
#include "instrument/acq.h"
#include "platform/ce_compat.h"
#include "resource_ids.h"
#include "settings/settings.h"

namespace {

enum {
    BLOCK_BYTES = 16384, // some 600 rows: the run waits no longer than that
    LINE_CHARS = 1024,
    RECORD_BYTES = 27,
    PUMP_MS = 20, // longest the readers wait for the window's thread
    PROGRESS_AFTER_MS = 300,
    // Kept per position: two doubles, two pixel words, a sort key. Counted
    // whole, a tenth of 240 MB free holds 600,000, so a desktop too thins
    // a million rows.
    POSITION_BYTES = 40,
};

struct ExternalRecord {
    std::vector<double> Northing, Easting; // distance units
    std::vector<int32_t> PixelX, PixelY;
};
ExternalRecord Ext;
// Counts removals: a load that sees it change (the run ended while it
// let the messages through) throws its positions away.
unsigned Removals = 0;

struct Progress {
    DWORD Start, LastPump;
    const wchar_t* Verb;
    int Shown; // percent last drawn, -1 none
};

void DrawProgress(const wchar_t* text)
{
    HDC hdc = GetDC(hLoggingWnd);
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ old = SelectObject(hdc, Font.Normal);
    DrawReadout(hdc, Layout.FileRect, text);
    SelectObject(hdc, old);
    ReleaseDC(hLoggingWnd, hdc);
}

// The readers hand each reading over with SendMessageW, which the window's
// thread takes only when it looks at its queue; the watchdog and a polled
// instrument's requests run on the timer; a total station posts.
void KeepRunFlowing(Progress* p, unsigned long long done, unsigned long long size)
{
    const DWORD now = CeGetTickCount();
    if (now - p->LastPump < PUMP_MS || !hLoggingWnd) return;
    p->LastPump = now;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    while (PeekMessageW(&msg, hLoggingWnd, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageW(&msg);
    while (PeekMessageW(&msg, hLoggingWnd, WM_QOR_RTS_POSITION, WM_QOR_RTS_POSITION, PM_REMOVE))
        DispatchMessageW(&msg);
    const int percent = size ? (int)(done * 100 / size) : 0;
    if (now - p->Start >= PROGRESS_AFTER_MS && percent != p->Shown) {
        wchar_t text[40];
        swprintf(text, 40, L"%ls %d%%", p->Verb, percent);
        DrawProgress(text);
        p->Shown = percent;
    }
}

// Calls block(bytes, n) for each block of the file, letting the run go on
// between them; 0 when the file cannot be opened. The survey being
// recorded is open for writing: it is shared.
template <typename F>
int ForEachBlock(const wchar_t* path, Progress* p, F block)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    const unsigned long long size = ((unsigned long long)high << 32) | low;
    std::vector<char> buffer(BLOCK_BYTES);
    unsigned long long done = 0;
    DWORD got = 0;
    bool more = true;
    while (more && ReadFile(file, buffer.data(), BLOCK_BYTES, &got, nullptr) && got > 0) {
        more = block(buffer.data(), (size_t)got);
        done += got;
        KeepRunFlowing(p, done, size);
    }
    CloseHandle(file);
    return 1;
}

// Calls line(text, number) for each line (CR LF or LF, cut at LINE_CHARS;
// a UTF-8 mark at the start dropped). The first block decides whether the
// file is text at all: textKind.
template <typename F>
int ForEachLine(const wchar_t* path, Progress* p, int* textKind, F line)
{
    std::vector<char> text(LINE_CHARS + 1);
    size_t n = 0;
    long number = 0;
    bool first = true;
    *textKind = TEXT_PLAIN;
    const int opened = ForEachBlock(path, p, [&](const char* bytes, size_t got) {
        size_t i = 0;
        if (first) {
            first = false;
            *textKind = TextKindOf((const unsigned char*)bytes, got);
            if (*textKind != TEXT_PLAIN) return false;
            if (got >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) i = 3;
        }
        for (; i < got; ++i) {
            if (bytes[i] == '\n') {
                text[n] = 0;
                line(text.data(), ++number);
                n = 0;
            } else if (n < LINE_CHARS) {
                text[n++] = bytes[i] ? bytes[i] : ' ';
            }
        }
        return true;
    });
    if (opened && n && *textKind == TEXT_PLAIN) {
        text[n] = 0;
        line(text.data(), ++number);
    }
    return opened;
}

// Each 27-byte record of a data file, with its 1-based number.
template <typename F>
int ForEachRecord(const wchar_t* path, Progress* p, F record)
{
    char rec[RECORD_BYTES];
    size_t held = 0;
    long number = 0;
    return ForEachBlock(path, p, [&](const char* bytes, size_t got) {
        while (got) {
            const size_t take = std::min(got, (size_t)RECORD_BYTES - held);
            std::memcpy(rec + held, bytes, take);
            held += take, bytes += take, got -= take;
            if (held == RECORD_BYTES) {
                record(rec, ++number);
                held = 0;
            }
        }
        return true;
    });
}

// A row of an ASCII file in distance units, by the coordinate type.
int AsciiLinePosition(const char* line, double* northing, double* easting)
{
    double a, b;
    const int verdict = AsciiRow(line, Settings.AsciiLatColumn, Settings.AsciiLonColumn,
                                 Settings.AsciiDelimiter, &a, &b);
    if (verdict != ROW_USED) return verdict;
    const int type = Settings.AsciiCoordinates >= 0 && Settings.AsciiCoordinates < 4
                         ? Settings.AsciiCoordinates
                         : 0;
    if (type == 0) { // latitude and longitude
        if (CoordinateRange(0, a, b) != ROW_USED) return ROW_OUT_OF_RANGE;
        GeographicToDistanceUnits(a, b, Settings.Units, northing, easting);
        return ROW_USED;
    }
    // UTM in metres, feet or US feet: types 1 to 3 count like units 0 to 2.
    a = DistanceUnitsToMetres(a, type - 1), b = DistanceUnitsToMetres(b, type - 1);
    if (CoordinateRange(type, a, b) != ROW_USED) return ROW_OUT_OF_RANGE;
    *northing = MetresToDistanceUnits(a, Settings.Units);
    *easting = MetresToDistanceUnits(b, Settings.Units);
    return ROW_USED;
}

// How a data file's positions are decoded: as its header says they were
// recorded, or as the receiver now set up when it does not say.
struct RecordedGps {
    int Type, RtsUnits;
    GpsFormatRecord Format;
};

// 1 when a recorded group is a position of the type (a row), else a
// sentence that carries none (GSA, a rejected line).
int IsPositionGroup(const char* text, const RecordedGps& gps)
{
    return gps.Type == 8 ? text[0] == '>' : std::strstr(text, gps.Format.SentenceId) != nullptr;
}

// A recorded position in distance units, decoded as a live one would be.
int RecordedPosition(const char* text, const RecordedGps& gps, double* northing, double* easting)
{
    if (gps.Type == 8) { // label records in the total station's units
        double n, e;
        if (!LabelRecordPosition(text, &n, &e)) return ROW_NO_POSITION;
        n = DistanceUnitsToMetres(n, gps.RtsUnits), e = DistanceUnitsToMetres(e, gps.RtsUnits);
        if (CoordinateRange(1, n, e) != ROW_USED) return ROW_OUT_OF_RANGE;
        *northing = MetresToDistanceUnits(n, Settings.Units);
        *easting = MetresToDistanceUnits(e, Settings.Units);
        return ROW_USED;
    }
    if (CheckSentence(text, gps.Type != GPS_TYPE_TOTAL_STATION) != SENTENCE_VALID)
        return ROW_NO_POSITION;
    PositionFields f = {};
    f.LatitudeSign = f.LongitudeSign = 1;
    DecodePositionFields(text, gps.Format, gps.Type, Settings.Units, gps.RtsUnits, &f);
    if (!f.PositionOk) return ROW_NO_POSITION;
    if (!std::isfinite(f.First) || !std::isfinite(f.Second)) return ROW_NOT_FINITE;
    if (!f.Geographic) {
        const double n = DistanceUnitsToMetres(f.First, Settings.Units);
        const double e = DistanceUnitsToMetres(f.Second, Settings.Units);
        if (CoordinateRange(1, n, e) != ROW_USED) return ROW_OUT_OF_RANGE;
        *northing = f.First, *easting = f.Second;
        return ROW_USED;
    }
    if (CoordinateRange(0, f.First, f.Second) != ROW_USED) return ROW_OUT_OF_RANGE;
    GeographicToDistanceUnits(f.First, f.Second, Settings.Units, northing, easting);
    return ROW_USED;
}

// Judges each row of the file, calling take(northing, easting) for each
// position; 0 when the file cannot be opened.
template <typename F>
int ForEachPosition(const wchar_t* path, int kind, Progress* p, ExternalLoad* load, F take)
{
    load->Tally = LoadTally{};
    LoadTally* tally = &load->Tally;
    if (kind == EXTERNAL_ASCII_FILE)
        return ForEachLine(path, p, &load->TextKind, [&](const char* line, long number) {
            if (BlankLine(line)) return;
            double n, e;
            const int verdict = AsciiLinePosition(line, &n, &e);
            TallyRow(tally, number, verdict);
            if (verdict == ROW_USED) take(n, e);
        });
    load->TextKind = TEXT_PLAIN;
    RecordGroupReader reader = {};
    std::vector<char> text(sizeof reader.Text + 1);
    RecordedGps gps = {Settings.GpsType,
                       Settings.GpsType == 8 ? Settings.RtsUnits3 : Settings.RtsUnits, GpsFormat};
    long groupStart = 0;
    return ForEachRecord(path, p, [&](const char* rec, long number) {
        // The header (its first three records) names the receiver's type.
        if (number <= 3 && RecordedGpsType(rec, &gps.Type, &gps.RtsUnits))
            LoadGpsFormat(gps.Type, &gps.Format);
        if (rec[0] == '@') groupStart = number;
        if (!FeedDataRecord(&reader, rec, text.data(), text.size()) ||
            !IsPositionGroup(text.data(), gps))
            return;
        double n, e;
        const int verdict = RecordedPosition(text.data(), gps, &n, &e);
        TallyRow(tally, groupStart, verdict);
        if (verdict == ROW_USED) take(n, e);
    });
}

long PositionBudget()
{
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    CeGlobalMemoryStatus(&status);
    const unsigned long long budget = (unsigned long long)status.dwAvailPhys / 10 / POSITION_BYTES;
    return budget > 0x7FFFFFFF ? 0x7FFFFFFF : (long)budget;
}

void BuildPixels(Progress* p);
void SortNorthToSouth(ExternalRecord* r);

int AskForFile(HWND owner, int kind, wchar_t* path)
{
    static const wchar_t DataFilter[] =
        L"QOR61MK2 Files (*.P61)\0*.P61\0QORGXY Files (*.GXY)\0*.GXY\0All Files (*.*)\0*.*\0";
    static const wchar_t AsciiFilter[] =
        L"ASCII Files (*.ASC,*.TXT,*.DAT,*.XYZ)\0*.ASC;*.TXT;*.DAT;*.XYZ\0All Files (*.*)\0*.*\0";
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kind == EXTERNAL_ASCII_FILE ? AsciiFilter : DataFilter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = kind == EXTERNAL_ASCII_FILE ? L"ASCII File" : L"External File";
    ofn.Flags = OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST;
    path[0] = 0;
    return GetOpenFileNameW(&ofn);
}

} // namespace

int LoadExternalPositions(int kind, const wchar_t* path, ExternalLoad* load)
{
    const unsigned removals = Removals;
    const DWORD start = CeGetTickCount();
    Progress p = {start, start, L"Loading", -1};
    const long budget = PositionBudget();
    ExternalRecord next;
    // An ASCII file's lines are counted first (a fast pass): when they do
    // not fit the budget, every k-th row is taken in one parsing pass.
    long lines = 0;
    if (kind == EXTERNAL_ASCII_FILE)
        ForEachBlock(path, &p, [&](const char* bytes, size_t got) {
            lines += (long)std::count(bytes, bytes + got, '\n');
            return true;
        });
    load->Step = lines > budget ? ThinningStep(lines + 1, budget) : 1;
    long index = 0;
    // Otherwise one pass while the positions fit the budget; the rows are
    // counted on the way, and a second pass thins a file that does not fit.
    const int readable = ForEachPosition(path, kind, &p, load, [&](double n, double e) {
        if (index++ % load->Step == 0 && (long)next.Northing.size() < budget) {
            next.Northing.push_back(n);
            next.Easting.push_back(e);
        }
    });
    const long count = load->Tally.Used;
    if (readable && count > budget && load->Step == 1) {
        load->Step = ThinningStep(count, budget);
        const size_t most = (size_t)(count / load->Step);
        next = ExternalRecord();
        next.Northing.reserve(most);
        next.Easting.reserve(most);
        index = 0;
        p.Verb = L"Thinning", p.Shown = -1;
        ForEachPosition(path, kind, &p, load, [&](double n, double e) {
            if (index++ % load->Step == 0 && next.Northing.size() < most) {
                next.Northing.push_back(n);
                next.Easting.push_back(e);
            }
        });
    }
    load->Shown = (long)next.Northing.size();
    int loaded = readable && count > 0 && Removals == removals;
    if (loaded) {
        SortNorthToSouth(&next);
        std::swap(Ext, next);
        Map.Ext = {nullptr, nullptr, 0, 0};
        Map.ExtLoaded = kind;
        p.Verb = L"Drawing", p.Shown = -1;
        BuildPixels(&p);
        loaded = Removals == removals;
    }
    load->Abandoned = Removals != removals;
    if (p.Shown >= 0 && hLoggingWnd) InvalidateRect(hLoggingWnd, &Layout.FileRect, TRUE);
    // The time spent loading is not a lost instrument.
    Acq.LastDataTick = CeGetTickCount();
    return loaded;
}

namespace {

// The positions are kept north to south (sorted once, when loaded): map
// rows grow southwards whatever the scale and origin, so the pixel list
// comes out sorted by row in one pass. A load lets the run go on
// meanwhile (p).
void BuildPixelsOnce(Progress* p)
{
    const size_t n = Ext.Northing.size();
    std::vector<int32_t> xs(n), ys(n);
    bool sorted = true;
    for (size_t i = 0; i < n; ++i) {
        if (p && i % 16384 == 0) {
            KeepRunFlowing(p, i, n);
            if (Ext.Northing.size() != n) return; // removed meanwhile (the run ended)
        }
        MapPixel(Ext.Northing[i], Ext.Easting[i], Map.RefNorthing, Map.RefEasting,
                 Map.PixelsPerUnit, Map.CenterX, Map.CenterY, &xs[i], &ys[i]);
        sorted = sorted && (i == 0 || ys[i - 1] <= ys[i]);
    }
    if (!sorted) { // a safeguard: the arithmetic is monotonic
        std::vector<uint64_t> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = (uint64_t)((uint32_t)ys[i] ^ 0x80000000u) << 32 | (uint32_t)xs[i];
        std::sort(keys.begin(), keys.end());
        for (size_t i = 0; i < n; ++i) {
            ys[i] = (int32_t)((uint32_t)(keys[i] >> 32) ^ 0x80000000u);
            xs[i] = (int32_t)(uint32_t)keys[i];
        }
    }
    std::swap(Ext.PixelX, xs);
    std::swap(Ext.PixelY, ys);
    Map.Ext = {Ext.PixelX.data(), Ext.PixelY.data(), (int32_t)n, (int32_t)n};
}

void SortNorthToSouth(ExternalRecord* r)
{
    std::vector<std::pair<double, double>> v(r->Northing.size());
    for (size_t i = 0; i < v.size(); ++i) v[i] = {r->Northing[i], r->Easting[i]};
    std::sort(v.begin(), v.end(),
              [](const std::pair<double, double>& a, const std::pair<double, double>& b) {
                  return a.first > b.first;
              });
    for (size_t i = 0; i < v.size(); ++i) r->Northing[i] = v[i].first, r->Easting[i] = v[i].second;
}

bool Building = false, BuildAgain = false;

void BuildPixels(Progress* p)
{
    // A fix that moves the map's origin while a load lets it in asks for
    // the list again: it is built once more when this build is done.
    if (Building) {
        BuildAgain = true;
        return;
    }
    Building = true;
    do {
        BuildAgain = false;
        BuildPixelsOnce(p);
    } while (BuildAgain);
    Building = false;
}

} // namespace

void RebuildExternalPixels() { BuildPixels(nullptr); }

void RemoveExternalPositions()
{
    ExternalRecord none;
    std::swap(Ext, none);
    Map.Ext = {nullptr, nullptr, 0, 0};
    Map.ExtLoaded = EXTERNAL_NONE;
    ++Removals;
}

void ExternalFileAction(HWND owner, int kind)
{
    if (Map.ExtLoaded == kind) {
        RemoveExternalPositions();
    } else {
        wchar_t path[MAX_PATH], text[512];
        ExternalLoad load = {};
        const wchar_t* unit = kind == EXTERNAL_ASCII_FILE ? L"line" : L"record";
        if (AskForFile(owner, kind, path)) {
            if (LoadExternalPositions(kind, path, &load)) {
                LoadSummaryText(load.Tally, load.Shown, load.Step, unit, text, 512);
                MessageBoxW(owner, text, L"INFORMATION", MB_OK);
            } else if (load.Abandoned) {
                return;
            } else {
                LoadFailureText(load.Tally, load.TextKind, unit, text, 512);
                MessageBoxW(owner, text, L"FILE ERROR", MB_OK | MB_ICONEXCLAMATION);
            }
        }
    }
    if (hCurveWnd) InvalidateRect(hCurveWnd, nullptr, TRUE);
}

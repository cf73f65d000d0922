// External position files. A file is read twice: once to count its lines
// (so that the arrays are sized once and a long file is thinned to fit
// the memory), once to take the positions. Nothing the run recorded is
// touched; a file that gives no position is refused as a whole.
#include "gps/external_positions.h"

#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

#include "app/app_state.h"
#include "app/window_handles.h"
#include "gps/fix_readouts.h"
#include "gps/gps_reader.h"
#include "gps/map_view.h"
#include "gps/nmea_sentence.h"
#include "gps/position_file.h"
#include "platform/ce_compat.h"
#include "resource_ids.h"
#include "settings/settings.h"

namespace {

enum { LINE_CHARS = 1024, POSITION_BYTES = 24, RECORD_BYTES = 27 };

struct ExternalRecord {
    std::vector<double> Northing, Easting; // distance units
    std::vector<int32_t> PixelX, PixelY;
};
ExternalRecord Ext;

// Calls line(text) for each line of the file (CR LF or LF, cut at
// LINE_CHARS); 0 when the file cannot be read.
template <typename F>
int ForEachLine(const wchar_t* path, F line)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char chunk[8192], text[LINE_CHARS + 1];
    size_t n = 0;
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i) {
            if (chunk[i] == '\n') {
                text[n] = 0;
                line(text);
                n = 0;
            } else if (n < LINE_CHARS) {
                text[n++] = chunk[i] ? chunk[i] : ' ';
            }
        }
    }
    if (n) {
        text[n] = 0;
        line(text);
    }
    CloseHandle(file);
    return 1;
}

// Each 27-byte record of a data file.
template <typename F>
int ForEachRecord(const wchar_t* path, F record)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char rec[RECORD_BYTES];
    DWORD got = 0;
    while (ReadFile(file, rec, RECORD_BYTES, &got, nullptr) && got == RECORD_BYTES) record(rec);
    CloseHandle(file);
    return 1;
}

// A position of an ASCII line in distance units, by the coordinate type.
int AsciiLinePosition(const char* line, double* northing, double* easting)
{
    double a, b;
    if (!AsciiPosition(line, Settings.AsciiLatColumn, Settings.AsciiLonColumn,
                       Settings.AsciiDelimiter, &a, &b))
        return 0;
    const int type = Settings.AsciiCoordinates >= 0 && Settings.AsciiCoordinates < 4
                         ? Settings.AsciiCoordinates
                         : 0;
    if (type == 0) { // latitude and longitude
        if (!(a >= -90 && a <= 90 && b >= -180 && b <= 180)) return 0;
        GeographicToDistanceUnits(a, b, Settings.Units, northing, easting);
        return 1;
    }
    // UTM in metres, feet or US feet: types 1 to 3 count like units 0 to 2.
    *northing = MetresToDistanceUnits(DistanceUnitsToMetres(a, type - 1), Settings.Units);
    *easting = MetresToDistanceUnits(DistanceUnitsToMetres(b, type - 1), Settings.Units);
    return 1;
}

// How a data file's sentences are decoded: as its header says they were
// recorded, or as the receiver now set up when it does not say.
struct RecordedGps {
    int Type, RtsUnits;
    GpsFormatRecord Format;
};

// A recorded GPS sentence's position, decoded as a live one would be.
int SentencePosition(const char* sentence, const RecordedGps& gps, double* northing,
                     double* easting)
{
    if (!std::strstr(sentence, gps.Format.SentenceId) ||
        CheckSentence(sentence, gps.Type != GPS_TYPE_TOTAL_STATION) != SENTENCE_VALID)
        return 0;
    PositionFields f = {};
    f.LatitudeSign = f.LongitudeSign = 1;
    DecodePositionFields(sentence, gps.Format, gps.Type, Settings.Units, gps.RtsUnits, &f);
    if (!f.PositionOk) return 0;
    *northing = f.First, *easting = f.Second;
    if (f.Geographic)
        GeographicToDistanceUnits(f.First, f.Second, Settings.Units, northing, easting);
    return 1;
}

// Calls take(northing, easting) for each position of the file.
template <typename F>
int ForEachPosition(const wchar_t* path, int kind, F take)
{
    if (kind == EXTERNAL_ASCII_FILE)
        return ForEachLine(path, [&](const char* line) {
            double n, e;
            if (AsciiLinePosition(line, &n, &e)) take(n, e);
        });
    RecordGroupReader reader = {};
    char sentence[512];
    RecordedGps gps = {Settings.GpsType, Settings.RtsUnits, GpsFormat};
    long records = 0;
    return ForEachRecord(path, [&](const char* rec) {
        // The header (its first three records) names the receiver's type.
        if (records++ < 3 && RecordedGpsType(rec, &gps.Type, &gps.RtsUnits))
            LoadGpsFormat(gps.Type, &gps.Format);
        double n, e;
        if (FeedDataRecord(&reader, rec, sentence, sizeof sentence) &&
            SentencePosition(sentence, gps, &n, &e))
            take(n, e);
    });
}

long PositionBudget()
{
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    CeGlobalMemoryStatus(&status);
    return (long)(status.dwAvailPhys / 10 / POSITION_BYTES);
}

void Tell(HWND owner, long count, long shown, long step)
{
    wchar_t text[256];
    if (step <= 1)
        swprintf(text, 256, L"%ls %ld\r\n %ls %ld\r\n%ls", L"Total Number of Positions:", count,
                 L"Number of Positions to Display:", shown, L"All positions will be displayed");
    else
        swprintf(text, 256, L"%ls %ld\r\n%ls %ld\r\n%ls%3d%ls", L"Total Number of Positions:",
                 count, L"Number of Positions to display:", shown, L"Every", (int)step,
                 L"position will be displayed");
    MessageBoxW(owner, text, L"INFORMATION", MB_OK);
}

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

int LoadExternalPositions(int kind, const wchar_t* path, long* count, long* step)
{
    *count = 0;
    *step = 1;
    const int readable = ForEachPosition(path, kind, [&](double, double) { ++*count; });
    if (!readable || *count == 0) return 0;
    *step = ThinningStep(*count, PositionBudget());
    RemoveExternalPositions();
    const size_t most = (size_t)(*count / *step);
    try {
        Ext.Northing.reserve(most);
        Ext.Easting.reserve(most);
    } catch (...) {
        return 0;
    }
    long index = 0;
    ForEachPosition(path, kind, [&](double n, double e) {
        if (index++ % *step == 0 && Ext.Northing.size() < most) {
            Ext.Northing.push_back(n);
            Ext.Easting.push_back(e);
        }
    });
    Map.ExtLoaded = kind;
    RebuildExternalPixels();
    return 1;
}

void RebuildExternalPixels()
{
    const size_t n = Ext.Northing.size();
    Ext.PixelX.resize(n);
    Ext.PixelY.resize(n);
    Map.Ext = {Ext.PixelX.data(), Ext.PixelY.data(), 0, (int32_t)n};
    for (size_t i = 0; i < n; ++i) {
        int32_t x, y;
        MapPixel(Ext.Northing[i], Ext.Easting[i], Map.RefNorthing, Map.RefEasting,
                 Map.PixelsPerUnit, Map.CenterX, Map.CenterY, &x, &y);
        InsertPixel(&Map.Ext, x, y);
    }
}

void RemoveExternalPositions()
{
    ExternalRecord none;
    std::swap(Ext, none);
    Map.Ext = {nullptr, nullptr, 0, 0};
    Map.ExtLoaded = EXTERNAL_NONE;
}

void ExternalFileAction(HWND owner, int kind)
{
    if (Map.ExtLoaded == kind) {
        RemoveExternalPositions();
    } else {
        wchar_t path[MAX_PATH];
        long count = 0, step = 1;
        if (AskForFile(owner, kind, path)) {
            if (LoadExternalPositions(kind, path, &count, &step))
                Tell(owner, count, (long)Ext.Northing.size(), step);
            else
                MessageBoxW(owner, L"Format not supported", L"FILE ERROR",
                            MB_OK | MB_ICONEXCLAMATION);
        }
    }
    if (hCurveWnd) InvalidateRect(hCurveWnd, nullptr, TRUE);
}

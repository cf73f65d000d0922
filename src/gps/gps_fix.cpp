// The logging window's handling of a decoded position. It runs nested in
// the sentence hand-over (the reader waits), so the sentence buffer is
// stable; it draws straight into the logging window, only the read-outs
// the position changes.
#include "gps/gps_fix.h"

#include <cmath>
#include <cstring>
#include <cwchar>

#include "app/app_state.h"
#include "app/window_handles.h"
#include "display/display_state.h"
#include "display/status_paint.h"
#include "map/external_positions.h"
#include "gps/fix_readouts.h"
#include "gps/gps_reader.h"
#include "gps/gps_state.h"
#include "map/map_view.h"
#include "gps/nmea_sentence.h"
#include "gps/utm.h"
#include "logging/log_run.h"
#include "logging/record_writers.h"
#include "serial/serial_ports.h"
#include "settings/settings.h"

GpsFixRecord GpsFix = {0, -2.0f, 0.0f, 0, 0, 0, 0, 0, '\\'};
GpsLogRecord GpsLog = {14400, 14600, 0, 0, 0, nullptr, nullptr, 0, {}};
HANDLE hGpsThread = INVALID_HANDLE_VALUE;
volatile int32_t GpsReaderRunning = 0;

namespace {

enum { JUMP_LIMIT = 1000 }; // distance units between consecutive positions
const double SecondsPerDay = 86400.0;

// The last accepted position (distance units) and its time of day, and
// the last position seen while not recording.
struct FixTrackRecord {
    double PrevNorthing, PrevEasting, PrevTime;
    double KeptNorthing, KeptEasting;
    int32_t HasKept;
};
FixTrackRecord Track;
PositionFields Fields = {};
RunProjection Projection; // the run's zone and hemisphere

int SmallPortrait() { return Screen.Portrait == 1 && Screen.Class < 3; }

void Letter(HDC hdc, const RECT& rect, wchar_t c)
{
    const wchar_t text[2] = {c, 0};
    DrawReadout(hdc, rect, text);
}

// The field of the given kind in the type's table, "" when the table has none.
void FieldOfKind(const char* sentence, uint32_t kind, char* out)
{
    out[0] = 0;
    for (uint32_t i = 0; i < GpsFormat.FieldCount && i < GPS_TABLE_ENTRIES; ++i) {
        if (GpsFormat.FieldKind[i] == kind &&
            !GetField(sentence, (int)GpsFormat.FieldIndex[i], ',', out))
            out[0] = 0;
    }
}

void ShowPdop(HDC hdc)
{
    wchar_t text[24];
    swprintf(text, 24, GpsFix.Pdop < 10.0f ? L"P:%3.1f" : L"P:%3.0f", (double)GpsFix.Pdop);
    DrawReadout(hdc, Layout.PdopRect, text);
}

void ShowQuality(HDC hdc)
{
    if (!Fields.QualityChar) {
        ClearReadout(hdc, Layout.FixRect);
        return;
    }
    const char* label = QualityLabel(Fields.QualityChar);
    wchar_t text[16];
    swprintf(text, 16, L"%hs", label);
    DrawReadout(hdc, Layout.FixRect, text);
}

void ShowSatellites(HDC hdc)
{
    wchar_t text[24];
    swprintf(text, 24, L"Sat: %2d", GpsFix.Satellites);
    DrawReadout(hdc, Layout.GpsInfoRect, text);
}

// Latitude and longitude as degrees, minutes and seconds.
void ShowGeographic(HDC hdc)
{
    const RECT* labels[2] = {&Layout.NorthLabelRect, &Layout.EastLabelRect};
    const RECT* values[2] = {&Layout.NorthRect, &Layout.EastRect};
    const uint32_t hemispheres[2] = {FIELD_LAT_HEMISPHERE, FIELD_LON_HEMISPHERE};
    const uint32_t coordinates[2] = {FIELD_LATITUDE, FIELD_LONGITUDE};
    for (int i = 0; i < 2; ++i) {
        ClearReadout(hdc, *labels[i]);
        ClearReadout(hdc, *values[i]);
        if (!GpsFix.PositionOk) continue;
        char field[GPS_FIELD_CHARS + 1];
        FieldOfKind(GpsSentence, hemispheres[i], field);
        if (field[0]) Letter(hdc, *labels[i], (wchar_t)(unsigned char)field[0]);
        FieldOfKind(GpsSentence, coordinates[i], field);
        wchar_t text[40];
        (i == 0 ? FormatLatitudeDms : FormatLongitudeDms)(field, text, 40);
        DrawReadout(hdc, *values[i], text);
    }
}

void ShowGridPair(HDC hdc, double northingMetres, double eastingMetres, int eastingUnit)
{
    wchar_t text[48];
    Letter(hdc, Layout.NorthLabelRect, L'N');
    FormatMetresReadout(northingMetres, Settings.CoordinatesDisplay, Settings.Units, 1, text, 48);
    DrawReadout(hdc, Layout.NorthRect, text);
    Letter(hdc, Layout.EastLabelRect, L'E');
    FormatMetresReadout(eastingMetres, Settings.CoordinatesDisplay, Settings.Units, eastingUnit,
                        text, 48);
    DrawReadout(hdc, Layout.EastRect, text);
}

void ShowNotAvailable(HDC hdc)
{
    DrawReadout(hdc, Layout.EastRect, L"     N/A     ");
    DrawReadout(hdc, Layout.NorthRect, L"     N/A     ");
}

// Projects a geographic fix and shows it in UTM when that is chosen;
// returns the position in distance units.
void ProjectGeographic(HDC hdc, double* northing, double* easting)
{
    double n = 0, e = 0;
    ProjectInRun(&Projection, Fields.First, Fields.Second, &n, &e);
    if (Settings.CoordinatesDisplay != 0 && !SmallPortrait()) {
        ShowGridPair(hdc, n, e, 0);
        // The zone of the whole run, and its hemisphere: the northings of
        // a run that began south of the equator carry the false northing.
        wchar_t text[16];
        swprintf(text, 16, L"Z%d%lc", (int)Projection.Zone, Projection.South ? L'S' : L'N');
        DrawReadout(hdc, Layout.ZoneRect, text);
    }
    *northing = MetresToDistanceUnits(n, Settings.Units);
    *easting = MetresToDistanceUnits(e, Settings.Units);
}

// The activity dot: it changes box with every position, green when the fix
// meets the warning mask, red when not.
void ShowActivityDot(HDC hdc)
{
    const char phase = GpsFix.Blink;
    GpsFix.Blink = phase == '/' ? '\\' : '/';
    const GpsWarningMask mask = {Settings.GpsWarning, Settings.GpsWarnSatellites,
                                 Settings.GpsWarnPdop, Settings.GpsWarnQuality,
                                 Settings.GpsWarnQualityMatch};
    const int good =
        FixMeetsWarningMask(mask, Settings.GpsType, GpsFix.Satellites, GpsFix.Pdop, GpsFix.Quality);
    const RECT& statusBox = phase == '/' ? Layout.GpsBox1Rect : Layout.GpsBox2Rect;
    const RECT& otherBox = phase == '/' ? Layout.GpsBox2Rect : Layout.GpsBox1Rect;
    const HPEN pens[2] = {good ? Gdi.GreenPen : Gdi.RedPen, Gdi.WhitePen};
    const HBRUSH brushes[2] = {good ? Gdi.GreenBrush : Gdi.RedBrush, Gdi.WhiteBrush};
    const RECT* boxes[2] = {&statusBox, &otherBox};
    for (int i = 0; i < 2; ++i) {
        ClearReadout(hdc, *boxes[i]);
        HGDIOBJ oldPen = SelectObject(hdc, pens[i]);
        HGDIOBJ oldBrush = SelectObject(hdc, brushes[i]);
        Ellipse(hdc, boxes[i]->left, boxes[i]->top + 1, boxes[i]->right, boxes[i]->bottom);
        SelectObject(hdc, oldPen);
        SelectObject(hdc, oldBrush);
    }
}

// The speed read-out and its bar: the bar's white part, from the right, is
// what is left to the scale's maximum.
void ShowSpeed(HDC hdc)
{
    if (Settings.ShowSpeedBar != 1) return;
    wchar_t text[40];
    const double shown =
        FormatSpeedText(text, 40, GpsFix.Speed, Settings.Units, Settings.SpeedUnits);
    DrawReadout(hdc, Layout.SpeedRect, text);
    if (!hSpeedbarWnd) return;
    RECT pane;
    GetClientRect(hSpeedbarWnd, &pane);
    double rest = (Settings.SpeedScaleMax - shown) * Settings.SpeedPixelsPerUnit;
    if (!(rest > 0)) rest = 0;
    if (rest > pane.right) rest = pane.right;
    RECT filled = pane, empty = pane;
    filled.right = empty.left = pane.right - (int)rest;
    HDC bar = GetDC(hSpeedbarWnd);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 160));
    FillRect(bar, &filled, brush);
    FillRect(bar, &empty, (HBRUSH)GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
    ReleaseDC(hSpeedbarWnd, bar);
}

// The run stops when the store is full: readers halted, totals written,
// the operator told, the program ended. Every record is already on disk.
void StopOnFullStore()
{
    if (hGpsThread && hGpsThread != INVALID_HANDLE_VALUE) SuspendThread(hGpsThread);
    if (Settings.InstrumentEnabled == 1) {
        KillTimer(hLoggingWnd, IDT_WATCHDOG);
        if (hInstrumentThread && hInstrumentThread != INVALID_HANDLE_VALUE)
            SuspendThread(hInstrumentThread);
    }
    LogRun.FileState = FILE_NONE;
    LogView.LiveDraw = 0;
    WriteRunTotals();
    wchar_t text[160];
    swprintf(text, 160, L"%ls\r\n%ls\r\n%ls", L"Maximum number of GPS positions reached.",
             L"Current data file is saved.", L"Press OK to end program.");
    MessageBoxW(hLoggingWnd, text, L"STOP", MB_ICONEXCLAMATION);
    SendMessageW(App.hMainWnd, WM_CLOSE, 0, 0);
    ExitProcess(0);
}

// Speed, the sensor position, the store and the map for a usable position
// at time of day t (seconds), from a sentence that began at tick. Only a
// sentence the file holds gives a stored position.
void TakePosition(HDC hdc, double northing, double easting, double t, uint32_t tick)
{
    const int recording = GpsSentenceInRun(tick);
    double dN = 0, dE = 0, d = 1.0;
    // Where the walked track starts for the sensor behind the antenna.
    if (!recording || !Track.HasKept) {
        Track.KeptNorthing = northing;
        Track.KeptEasting = easting;
        Track.HasKept = 1;
    }
    if (!GpsFix.Valid) {
        GpsFix.Valid = 1;
        SetMapOrigin(northing, easting);
        RebuildExternalPixels(); // drawn around the new origin
    } else {
        dN = northing - Track.PrevNorthing;
        dE = easting - Track.PrevEasting;
        d = std::sqrt(dE * dE + dN * dN);
        // A jump is a receiver's glitch: the next fix is compared with the
        // position before it.
        if (!(d <= JUMP_LIMIT)) return;
        double dt = t - Track.PrevTime;
        if (dt < 0) dt += SecondsPerDay; // walked past midnight (UTC)
        GpsFix.Speed = dt == 0 ? 0.0f : (float)(d / dt);
        ShowSpeed(hdc);
    }
    Track.PrevNorthing = northing;
    Track.PrevEasting = easting;
    Track.PrevTime = t;

    if (!recording) {
        // A sentence that began before Go is not stored: it gets the cross
        // only, no mark.
        if (LogView.ShowMap == 1 && LogView.LiveDraw == 1)
            UpdateMap(hCurveWnd, FILE_STANDBY, northing, easting, northing, easting);
        return;
    }
    double sensorE = 0, sensorN = 0;
    LocateSensor(&GpsLog.Offset, Settings.GpsOffsetX, Settings.GpsOffsetY, easting, northing, dE,
                 dN, d, Track.KeptEasting, Track.KeptNorthing, &sensorE, &sensorN);
    if (GpsLog.StoreAllocated && GpsLog.StoreCount < GpsLog.Capacity) {
        GpsLog.StoreEasting[GpsLog.StoreCount] = sensorE;
        GpsLog.StoreNorthing[GpsLog.StoreCount] = sensorN;
        GpsLog.StoreCount += 1;
        // Into the track whatever the screen shows now (a menu, a dialog,
        // the profiles): a repaint draws the track from this list.
        AddTrackPosition(sensorN, sensorE);
    }
    GpsLog.PositionCount += 1;
    // Every stored position gets its mark, short steps too: the marks
    // drawn live are the marks a repaint draws.
    if (LogView.ShowMap == 1 && LogView.LiveDraw == 1)
        UpdateMap(hCurveWnd, FILE_RECORDING, northing, easting, sensorN, sensorE);
    wchar_t count[24];
    swprintf(count, 24, L"%6ld", (long)GpsLog.FixCount);
    DrawReadout(hdc, Layout.FixCountRect, count);
    if (GpsLog.PositionCount >= GpsLog.MaxPositions) StopOnFullStore();
}

HDC BeginReadouts()
{
    HDC hdc = GetDC(hLoggingWnd);
    SelectObject(hdc, Font.Normal);
    SetBkMode(hdc, TRANSPARENT);
    return hdc;
}

} // namespace

LRESULT HandleGpsFix(HWND, UINT, WPARAM, LPARAM)
{
    // Once the run is stopping its totals are written: a sentence handed
    // over now is ignored, so that the totals stay the file's last records.
    if (LogRun.Stopped || !std::strstr(GpsSentence, GpsFormat.SentenceId)) {
        GpsSentence[0] = 0;
        return 0;
    }
    HDC hdc = BeginReadouts();
    DecodePositionFields(GpsSentence, GpsFormat, Settings.GpsType, Settings.Units,
                         Settings.RtsUnits, &Fields);
    GpsFix.PositionOk = Fields.PositionOk;
    GpsFix.Satellites = Fields.Satellites;
    GpsFix.Quality = Fields.Quality;
    // Type 0 keeps the DOP of its last GSA.
    if (Fields.HasPdop) GpsFix.Pdop = Fields.Pdop;
    ShowSatellites(hdc);
    ShowQuality(hdc);
    const int small = SmallPortrait();
    if (Fields.Geographic && Settings.CoordinatesDisplay == 0 && !small) ShowGeographic(hdc);
    if (Fields.HasPdop) ShowPdop(hdc);
    if (!Fields.Geographic && GpsFix.PositionOk && !small)
        ShowGridPair(hdc, Fields.FirstMetres, Fields.SecondMetres, 1);

    double northing = Fields.First, easting = Fields.Second;
    if (GpsFix.PositionOk && Fields.Geographic) ProjectGeographic(hdc, &northing, &easting);
    if (!GpsFix.PositionOk && !small) ShowNotAvailable(hdc);
    ShowActivityDot(hdc);
    if (GpsFix.PositionOk)
        TakePosition(hdc, northing, easting,
                     FixTimeSeconds(GpsSentence, (int)GpsFormat.TimeIndex, GpsSentenceTick),
                     GpsSentenceTick);
    ReleaseDC(hLoggingWnd, hdc);
    GpsSentence[0] = 0;
    return 0;
}

LRESULT HandleGpsGsa(HWND, UINT, WPARAM, LPARAM)
{
    char field[GPS_FIELD_CHARS + 1];
    HDC hdc = BeginReadouts();
    ClearReadout(hdc, Layout.PdopRect);
    if (GetField(GpsSentence, 16, ',', field) && field[0]) {
        GpsFix.Pdop = (float)std::fabs(std::strtod(field, nullptr));
        wchar_t text[24];
        swprintf(text, 24, L"P:%3.1f", (double)GpsFix.Pdop);
        DrawReadout(hdc, Layout.PdopRect, text);
    }
    ReleaseDC(hLoggingWnd, hdc);
    GpsSentence[0] = 0;
    return 0;
}

// A total station's position: grid metres (or feet, by the RTS units), a
// fix of its own kind, timed by the tick of its record.
LRESULT HandleRtsPosition(HWND, UINT, WPARAM, LPARAM)
{
    if (LogRun.Stopped) return 0; // posted before the stop, handled after the totals
    // The RTS units count like the distance units: metres, feet, US feet.
    const double northingMetres = DistanceUnitsToMetres(RtsPosition.Northing, Settings.RtsUnits3);
    const double eastingMetres = DistanceUnitsToMetres(RtsPosition.Easting, Settings.RtsUnits3);
    if (!std::isfinite(northingMetres) || !std::isfinite(eastingMetres)) return 0;
    HDC hdc = BeginReadouts();
    GpsFix.PositionOk = 1;
    DrawReadout(hdc, Layout.FixRect, L"RTS");
    if (!SmallPortrait()) ShowGridPair(hdc, northingMetres, eastingMetres, 1);
    ShowActivityDot(hdc);
    TakePosition(hdc, MetresToDistanceUnits(northingMetres, Settings.Units),
                 MetresToDistanceUnits(eastingMetres, Settings.Units), RtsPosition.Tick / 1000.0,
                 RtsPosition.Tick);
    ReleaseDC(hLoggingWnd, hdc);
    return 0;
}

void ResetGpsRunValues()
{
    GpsFix.Speed = 0.0f;
    GpsFix.Quality = 0;
    GpsFix.Satellites = 0;
    GpsLog.StoreCount = 0;
    Projection = RunProjection{};
}

void StampGpsTimes(DWORD now) { GpsFix.LastTick = now; }

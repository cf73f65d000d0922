// Where each read-out of the logging screen lies: a column beside the panes
// in landscape, two columns below the profile in portrait.
#include "display/status_layout.h"
#include "display/pane_windows.h"
#include "app/app_state.h"
#include <cwchar>

static int sx(double n) { return ScaleTrunc(n, Screen.ScaleX); }
static int sy(double n) { return ScaleTrunc(n, Screen.ScaleY); }

static int TextWidth(HDC hdc, const wchar_t* text)
{
    SIZE size = {};
    GetTextExtentExPointW(hdc, text, (int)wcslen(text), 0, nullptr, nullptr, &size);
    return size.cx;
}

static int WidestOf(HDC hdc, const wchar_t* const* texts, int count)
{
    int widest = 0;
    for (int i = 0; i < count; ++i) {
        int w = TextWidth(hdc, texts[i]);
        if (w > widest) widest = w;
    }
    return widest;
}

void MeasureStatusTextWidths(HDC hdc, int portrait, StatusTextWidths* w)
{
    static const wchar_t* const runLong[] = {L"Stand By", L"Logging", L"Monitor"};
    static const wchar_t* const runShort[] = {L"StB", L"Log", L"Mon"};
    static const wchar_t* const modes[] = {L"M", L"W", L"A"};
    static const wchar_t* const ch4Labels[] = {L"4:", L"T:"};
    static const wchar_t* const fixes[] = {L"NO FIX", L"AGPS", L"DGPS", L"RTK", L"CODE"};
    static const wchar_t* const hemispheres[] = {L"N", L"S", L"W", L"E"};

    w->MapScale = TextWidth(hdc, portrait ? L"S:99999 ft" : L"Sc:99999 ft");
    w->Power = TextWidth(hdc, L"999%");
    w->RunState = WidestOf(hdc, portrait ? runShort : runLong, 3);
    w->Battery = TextWidth(hdc, L"B:99.99V");
    w->Ch4Label = WidestOf(hdc, ch4Labels, 2);
    w->Mark = TextWidth(hdc, L"M");
    w->Fix = WidestOf(hdc, fixes, 5);
    w->Pdop = TextWidth(hdc, L"P:99.9 ");
    w->NorthLabel = WidestOf(hdc, hemispheres, 4);
    w->Zone = TextWidth(hdc, L"Z33");
    w->Speed = TextWidth(hdc, L"Speed:99.99 km/h");
    w->SpeedMax = TextWidth(hdc, L"99.99");
    HGDIOBJ normal = SelectObject(hdc, Font.Bold);
    w->Mode = WidestOf(hdc, modes, 3);
    SelectObject(hdc, normal);
}

static RECT Span(int left, int top, int right, int height)
{
    RECT r = {left, top, right, top + height};
    return r;
}

static int Row(int n) { return Layout.StatusY[n - 1]; }

// Rows 10 and 11 are laid out alike in both arrangements, from column x.
static void LayoutGpsRows(const StatusTextWidths& w, int x, int right, int r)
{
    Layout.FixRect = Span(x, Row(10), x + w.Fix, r);
    int box1 = Layout.FixRect.right + sx(1);
    Layout.GpsBox1Rect = Span(box1, Row(10), box1 + sx(10), r);
    int box2 = Layout.GpsBox1Rect.right + sx(3);
    Layout.GpsBox2Rect = Span(box2, Row(10), box2 + sx(10), r);
    Layout.FixCountRect = Span(Layout.GpsBox2Rect.right + sx(3), Row(10), right, r);
    Layout.PdopRect = Span(x, Row(11), x + w.Pdop, r);
    Layout.GpsInfoRect = Span(Layout.PdopRect.right + sx(9), Row(11), right, r);
}

static void LayoutCoordinateRows(const StatusTextWidths& w, int x, int right, int r)
{
    Layout.NorthLabelRect = Span(x, Row(12), x + w.NorthLabel, r);
    Layout.NorthRect = Span(Layout.NorthLabelRect.right + sx(1), Row(12), right, r);
    Layout.EastLabelRect = Span(x, Row(13), x + w.NorthLabel, r);
    Layout.EastRect = Span(Layout.EastLabelRect.right + sx(1), Row(13), right, r);
    Layout.ZoneRect = Span(right - w.Zone - sx(3), Row(13), right, r);
}

static void LayoutConnectionFields()
{
    // The reconnection notice replaces the middle channel read-outs.
    Layout.Conn1Rect = Layout.Ch2Rect;
    Layout.Conn2Rect = Layout.Ch3Rect;
}

void ComputeLandscapeRects(const StatusTextWidths& w)
{
    const int r = Layout.StatusLineHeight;
    const int right = Screen.Width;
    const int x0 = Layout.ProfileWidth + sx(8);

    Layout.MapScaleRect = Span(x0, Row(1), x0 + w.MapScale, r);
    Layout.PowerRect = Span(right - w.Power - sx(3), Row(1), right, r);
    Layout.RunStateRect = Span(x0, Row(2), x0 + w.RunState, r + 3);
    Layout.BatteryRect = Span(right - w.Battery, Row(2), right, r);
    Layout.ModeRect = Span(right - w.Mode - 1, Row(3), right, r);
    Layout.FileRect = Span(x0, Row(3), Layout.ModeRect.left - sx(3), r);

    RECT* channels[4] = {&Layout.Ch1Rect, &Layout.Ch2Rect, &Layout.Ch3Rect, &Layout.Ch4Rect};
    for (int i = 0; i < 4; ++i) *channels[i] = Span(x0 + sx(12), Row(4 + i), right, r);
    Layout.Ch4LabelRect = Span(x0, Row(7), x0 + w.Ch4Label, r);

    Layout.LineRect = Span(x0 + sx(20), Row(8), right, r);
    Layout.StationRect = Span(x0 + sx(20), Row(9), right, r);
    Layout.MarkRect = Span(right - w.Mark - sx(3), Row(9), right, r);

    LayoutGpsRows(w, x0, right, r);
    LayoutCoordinateRows(w, x0, right, r);

    int speedTop = Layout.ProfileHeight + sy(4);
    int speedLeft = (int)(Layout.ProfileLeft + 0.5 * Layout.ProfileWidth - sx(40));
    Layout.SpeedRect = Span(speedLeft, speedTop, speedLeft + w.Speed + sx(10), r);
    Layout.SpeedMaxRect =
        Span(Layout.ProfileWidth - w.SpeedMax - sx(2), speedTop, Layout.ProfileWidth, r);
    LayoutConnectionFields();
}

void ComputePortraitRects(const StatusTextWidths& w)
{
    const int r = Layout.StatusLineHeight;
    const int right = Screen.Width;
    const int x0 = Layout.ProfileLeft + Layout.BarsWidth + sx(4);
    const int x1 = sx(140);

    Layout.PowerRect = Span(right - w.Power - sx(3), Row(1), right, r);
    int scaleRight = Layout.PowerRect.left - sx(1);
    Layout.MapScaleRect = Span(scaleRight - w.MapScale, Row(1), scaleRight, r);
    Layout.RunStateRect = Span(Layout.ProfileLeft, Row(1), Layout.ProfileLeft + w.RunState, r);
    Layout.BatteryRect = Span(Layout.MapScaleRect.left - w.Battery - sx(8), Row(1),
                              Layout.MapScaleRect.left - sx(1), r);
    int modeLeft = Layout.RunStateRect.right + sx(2);
    Layout.ModeRect = Span(modeLeft, Row(1), modeLeft + w.Mode, r);
    Layout.FileRect =
        Span(Layout.ModeRect.right + sx(4), Row(1), Layout.BatteryRect.left - sx(1), r);

    RECT* channels[4] = {&Layout.Ch1Rect, &Layout.Ch2Rect, &Layout.Ch3Rect, &Layout.Ch4Rect};
    for (int i = 0; i < 4; ++i) *channels[i] = Span(x0 + sx(12), Row(4 + i), sx(135), r);
    Layout.Ch4LabelRect = Span(x0, Row(7), x0 + w.Ch4Label, r);

    Layout.LineRect = Span(x1 + sx(20), Row(8), right, r);
    Layout.StationRect = Span(x1 + sx(20), Row(9), right, r);
    Layout.MarkRect = Span(right - w.Mark - sx(3), Row(9), right, r);

    LayoutGpsRows(w, x1, right, r);
    LayoutCoordinateRows(w, x1, right, r);

    int speedTop = Layout.ProfileTop + Layout.ProfileHeight - sx(2);
    int speedLeft = (int)(Layout.ProfileLeft + 0.5 * Layout.ProfileWidth - 40);
    Layout.SpeedRect = Span(speedLeft, speedTop, speedLeft + w.Speed + sx(10), r);
    Layout.SpeedMaxRect =
        Span(Layout.ProfileWidth - w.SpeedMax - sx(1), speedTop, Layout.ProfileWidth, r);
    LayoutConnectionFields();
}

// The settings were loaded before the logging screen knew its final pane
// heights (the portrait bar pane differs from the start-up estimate), so the
// pixel factors and grid rows follow the layout here.
void LayoutLandscape(HDC hdc)
{
    StatusTextWidths widths;
    MeasureStatusTextWidths(hdc, 0, &widths);
    ComputeLandscapeRects(widths);
    RebuildPaneScales();
}

void LayoutPortrait(HDC hdc)
{
    StatusTextWidths widths;
    MeasureStatusTextWidths(hdc, 1, &widths);
    ComputePortraitRects(widths);
    RebuildPaneScales();
}

// The logging window's key and menu mapping and the entry dialogs' value
// rules.
#include "logging/command_keys.h"
#include "settings/entry_rules.h"
#include <cmath>
#include "test_check.h"

namespace {

void TestKeysDependOnState()
{
    // File only without a file; Go, Quick Line, line/station/comment only
    // in stand-by; Null only without a file.
    CHECK_EQ(ActionOfKey('F', 0), ACT_PRIMARY);
    CHECK_EQ(ActionOfKey('f', -1), ACT_NONE);
    CHECK_EQ(ActionOfKey('g', -1), ACT_PRIMARY);
    CHECK_EQ(ActionOfKey('G', 0), ACT_NONE);
    CHECK_EQ(ActionOfKey('Q', -1), ACT_QUICK_LINE);
    CHECK_EQ(ActionOfKey('q', 0), ACT_NONE);
    CHECK_EQ(ActionOfKey('l', -1), ACT_NEW_LINE);
    CHECK_EQ(ActionOfKey('N', 0), ACT_NONE);
    CHECK_EQ(ActionOfKey('c', -1), ACT_COMMENT);
    CHECK_EQ(ActionOfKey('u', 0), ACT_NULL);
    CHECK_EQ(ActionOfKey('U', -1), ACT_NONE);
    // Available on both pages.
    CHECK_EQ(ActionOfKey('x', 0), ACT_EXIT);
    CHECK_EQ(ActionOfKey('X', -1), ACT_EXIT);
    CHECK_EQ(ActionOfKey('m', 0), ACT_MENU);
    CHECK_EQ(ActionOfKey('w', -1), ACT_GPS_WARNING);
    CHECK_EQ(ActionOfKey('Z', -1), ACT_NONE);
    CHECK_EQ(ActionOfKey('5', -1), ACT_NONE);
}

void TestMenuIdsOfBothMenus()
{
    CHECK_EQ(ActionOfMenuId(42), ACT_NEW_LINE);
    CHECK_EQ(ActionOfMenuId(45), ActionOfMenuId(72));
    CHECK_EQ(ActionOfMenuId(64), ACT_COORDINATES);
    CHECK_EQ(ActionOfMenuId(89), ACT_COORDINATES);
    CHECK_EQ(ActionOfMenuId(79), ACT_EXTERNAL_FILE);
    CHECK_EQ(ActionOfMenuId(54), ACT_ASCII_FILE);
    // Another instrument's gain and calibration commands act not here.
    CHECK_EQ(ActionOfMenuId(61), ACT_NONE);
    CHECK_EQ(ActionOfMenuId(116), ACT_NONE);
    // Button ids are not menu ids.
    CHECK_EQ(ActionOfMenuId(460), ACT_NONE);
}

void TestHighlightCycling()
{
    CHECK_EQ(HighlightStep(KEY_TAB), 1);
    CHECK_EQ(HighlightStep(KEY_DOWN), 1);
    CHECK_EQ(HighlightStep(KEY_UP), -1);
    CHECK_EQ(HighlightStep('A'), 0);
    CHECK_EQ(NextButtonFocus(3, 1, 0, 4), 0);
    CHECK_EQ(NextButtonFocus(1, 1, 0, 4), 2);
    CHECK_EQ(NextButtonFocus(0, -1, 0, 4), 3);
}

void TestPauseAndMarkerKeys()
{
    CHECK(IsSoftMarkerKey('0', 1));
    CHECK(IsSoftMarkerKey('9', 1));
    CHECK(!IsSoftMarkerKey(KEY_LEFT, 1));
    CHECK(IsSoftMarkerKey(KEY_DOWN, 2));
    CHECK(!IsSoftMarkerKey('5', 2));
    CHECK(!IsSoftMarkerKey('5', 0));
    // Any key pauses unless it just set the marker.
    CHECK(IsPauseKey('A', 0, 0));
    CHECK(!IsPauseKey('7', 0, 1));
    CHECK(IsPauseKey(KEY_SPACE, 1, 0));
    CHECK(!IsPauseKey(KEY_RETURN, 1, 0));
    CHECK(IsPauseKey(KEY_RETURN, 2, 0));
    CHECK(IsPauseKey('p', 3, 0));
    CHECK(IsPauseKey('P', 3, 0));
    CHECK(!IsPauseKey('S', 3, 0));
}

void TestNextLineProposal()
{
    // Alternate from North at station 52.5, increment 0.5.
    NewLineValues v = ProposeNextLine(LINE_SEQUENCE_ALTERNATE, 2, 0.0, 0.5, 52.5);
    CHECK_EQ(v.Direction, 1);
    CHECK_NEAR(v.StartStation, 52.5, 1e-12);
    CHECK_NEAR(v.StationIncrement, -0.5, 1e-12);
    CHECK_EQ(ProposeNextLine(LINE_SEQUENCE_ALTERNATE, 0, 0, 1, 0).Direction, 3);
    // One Way starts again at the start station, same way.
    v = ProposeNextLine(LINE_SEQUENCE_ONE_WAY, 2, 5.0, 0.5, 52.5);
    CHECK_EQ(v.Direction, 2);
    CHECK_NEAR(v.StartStation, 5.0, 1e-12);
    CHECK_NEAR(v.StationIncrement, 0.5, 1e-12);

    CHECK_NEAR(ProposedLineNumber(L"0", 1.0), 1.0, 1e-12);
    CHECK_NEAR(ProposedLineNumber(L"12.5N", 2.0), 14.5, 1e-12);
    CHECK_NEAR(ProposedLineNumber(L"North", 1.0), 1.0, 1e-12);
}

void TestScaleCorrections()
{
    int scale = 100;
    float interval = 2.0f;
    CHECK_EQ(CorrectMapScale(&scale, &interval), 2);
    CHECK_NEAR(interval, 5.0, 1e-6);
    scale = 0;
    interval = -1.0f;
    CHECK_EQ(CorrectMapScale(&scale, &interval), 3);
    CHECK_EQ(scale, 1);
    CHECK_NEAR(interval, 0.0, 0.0);
    scale = 10;
    interval = 1.5f;
    CHECK_EQ(CorrectMapScale(&scale, &interval), 0);

    CHECK_NEAR(CorrectProfileMaximum(300.0f, 200.0f), 400.0, 1e-6);
    CHECK_NEAR(CorrectProfileMaximum(300.0f, 300.0f), 400.0, 1e-6);
    CHECK_NEAR(CorrectProfileMaximum(-100.0f, 400.0f), 400.0, 1e-6);

    // What the dialog may store: the configuration file must read it back
    // with the maximum still above the minimum.
    CHECK(ProfileScaleStorable(0.0f, 2000.0f));
    CHECK(ProfileScaleStorable(-5.0f, CorrectProfileMaximum(-5.0f, -6.0f)));
    CHECK(!ProfileScaleStorable(1e10f, CorrectProfileMaximum(1e10f, 0.0f)));
    CHECK(!ProfileScaleStorable(1e-7f, 2e-7f));
    CHECK(!ProfileScaleStorable(-3e38f, 3e38f));             // the range overflows
    CHECK(!ProfileScaleStorable(0.0f, INFINITY));
    CHECK(!ProfileScaleStorable(NAN, 1.0f));
}

}  // namespace

int main()
{
    TestKeysDependOnState();
    TestMenuIdsOfBothMenus();
    TestHighlightCycling();
    TestPauseAndMarkerKeys();
    TestNextLineProposal();
    TestScaleCorrections();
    return TestSummary("test_logging_command_rules");
}

// The survey's decisions that depend on plain values: which readings are
// recorded and at which station, when the beep sounds, which keys act in
// which state, the next line's proposal and the scale corrections.
#include <cmath>
#include <string>

#include "instrument/reading_rules.h"
#include "logging/command_keys.h"
#include "settings/entry_rules.h"
#include "test_check.h"

namespace {

// Feeds a run of frame letters through the step rule and returns the
// indexes of the recorded ones.
std::string Recorded(const char* letters, int mode)
{
    std::string recorded;
    int32_t step = 0;
    for (int i = 0; letters[i]; ++i) {
        step = NextStationStep(letters[i], mode, step);
        if (step == 1) recorded += (char)('0' + i);
    }
    return recorded;
}

void TestRecordedReadings()
{
    // Manual: only the first marked frame of each trigger press records; an
    // unmarked T/D/E/F frame re-arms, J does not; every marked twin counts.
    CHECK_STR(Recorded("TTMMMTM", LOGGING_MANUAL), "26");
    CHECK_STR(Recorded("MMMMMM", LOGGING_MANUAL), "0");
    CHECK_STR(Recorded("TNDPEQFK", LOGGING_MANUAL), "1357");
    CHECK_STR(Recorded("MJM", LOGGING_MANUAL), "0");
    CHECK_STR(Recorded("TTMMJKjkT", LOGGING_AUTO), "012345678");
    CHECK_STR(Recorded("DMJ", LOGGING_WHEEL), "012");

    double station = 10.0;
    int32_t started = 0;
    AdvanceStation(&station, &started, 0.5);
    CHECK_NEAR(station, 10.0, 1e-12); // the first reading keeps the start station
    AdvanceStation(&station, &started, 0.5);
    AdvanceStation(&station, &started, -2.0);
    CHECK_NEAR(station, 8.5, 1e-12);

    int32_t counter = 0;
    std::string beeps;
    for (int i = 0; i < 12; ++i) beeps += CountReadingForBeep(&counter, 5) ? 'B' : '.';
    CHECK_STR(beeps, "....B....B..");
    counter = 0;
    CHECK_EQ(CountReadingForBeep(&counter, 1), 1); // Manual: every reading
    CHECK_EQ(CountReadingForBeep(&counter, 1), 1);

    // A compressed profile draws -16 at -4; the read-out keeps -16.
    CHECK_NEAR(CompressValue(-16.0f, 1), -4.0, 1e-6);
    CHECK_NEAR(CompressValue(2500.0f, 1), 50.0, 1e-4);
    CHECK_NEAR(CompressValue(-16.0f, 0), -16.0, 0.0);
}

void TestKeys()
{
    // File and Null only without a file; Go, Quick Line and the entries
    // only in stand-by; letters in either case.
    const int keys[][3] = {{'F', 0, ACT_PRIMARY},  {'f', -1, ACT_NONE}, {'g', -1, ACT_PRIMARY},
                           {'G', 0, ACT_NONE},     {'u', 0, ACT_NULL},  {'U', -1, ACT_NONE},
                           {'c', -1, ACT_COMMENT}, {'N', 0, ACT_NONE}};
    for (const auto& k : keys) CHECK_EQ(ActionOfKey(k[0], k[1]), k[2]);
    CHECK_EQ(ActionOfMenuId(45), ActionOfMenuId(72)); // both menus, one action
    CHECK_EQ(ActionOfMenuId(IDC_LOG_BUTTON_FIRST), ACT_NONE);
    CHECK_EQ(NextButtonFocus(3, 1, 0, 4), 0);
    CHECK_EQ(NextButtonFocus(0, -1, 0, 4), 3);

    // While recording any key pauses unless it just set the marker.
    CHECK(IsSoftMarkerKey('9', 1) && !IsSoftMarkerKey(KEY_LEFT, 1));
    CHECK(IsSoftMarkerKey(KEY_DOWN, 2) && !IsSoftMarkerKey('5', 2));
    CHECK(IsPauseKey('A', 0, 0));
    CHECK(!IsPauseKey('7', 0, 1));
    CHECK(IsPauseKey(KEY_SPACE, 1, 0) && !IsPauseKey(KEY_RETURN, 1, 0));
    CHECK(IsPauseKey('p', 3, 0) && !IsPauseKey('S', 3, 0));
}

void TestEntryValues()
{
    // Alternate from North at station 52.5: South from there, increment
    // negated; One Way starts again at the start station.
    NewLineValues v = ProposeNextLine(LINE_SEQUENCE_ALTERNATE, 2, 0.0, 0.5, 52.5);
    CHECK(v.Direction == 1 && v.StartStation == 52.5 && v.StationIncrement == -0.5);
    v = ProposeNextLine(LINE_SEQUENCE_ONE_WAY, 2, 5.0, 0.5, 52.5);
    CHECK(v.Direction == 2 && v.StartStation == 5.0 && v.StationIncrement == 0.5);
    CHECK_NEAR(ProposedLineNumber(L"12.5N", 2.0), 14.5, 1e-12);
    CHECK_NEAR(ProposedLineNumber(L"Nancy Rd", 1.0), 1.0, 1e-12); // not NaN
    CHECK_NEAR(ProposedLineNumber(L"Infill 3", 1.0), 1.0, 1e-12); // nor infinity
    CHECK_NEAR(ProposedLineNumber(L"-4e2", 1.0), -3.0, 1e-12);

    int scale = 100;
    float interval = 2.0f;
    CHECK_EQ(CorrectMapScale(&scale, &interval), 2); // at most 20 intervals
    CHECK_NEAR(interval, 5.0, 1e-6);
    scale = 0;
    interval = -1.0f;
    CHECK_EQ(CorrectMapScale(&scale, &interval), 3);
    CHECK(scale == 1 && interval == 0.0f);
    CHECK_NEAR(CorrectProfileMaximum(300.0f, 300.0f), 400.0, 1e-6);

    // What the dialog may store: the configuration file must read it back
    // with the maximum still above the minimum.
    CHECK(ProfileScaleStorable(0.0f, 2000.0f));
    CHECK(ProfileScaleStorable(-5.0f, CorrectProfileMaximum(-5.0f, -6.0f)));
    CHECK(!ProfileScaleStorable(1e10f, CorrectProfileMaximum(1e10f, 0.0f)));
    CHECK(!ProfileScaleStorable(1e-7f, 2e-7f));
    CHECK(!ProfileScaleStorable(-3e38f, 3e38f)); // the range overflows
    CHECK(!ProfileScaleStorable(0.0f, INFINITY));
    CHECK(!ProfileScaleStorable(NAN, 1.0f));
}

} // namespace

int main()
{
    TestRecordedReadings();
    TestKeys();
    TestEntryValues();
    return TestSummary("test_rules");
}

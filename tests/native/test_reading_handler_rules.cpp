// Which EM61-MK2 readings are recorded, at which station, when the beep
// sounds, and what the letter read-outs and compressed profiles show.
#include "instrument/reading_rules.h"
#include "test_check.h"

#include <string>

namespace {

// Feeds a run of frame letters through the step rule and returns the
// indexes of the recorded ones.
std::string Recorded(const char* letters, int mode)
{
    std::string recorded;
    int32_t step = 0;
    for (int i = 0; letters[i]; ++i) {
        step = NextStationStep(letters[i], mode, step);
        if (step == 1)
            recorded += (char)('0' + i);
    }
    return recorded;
}

void TestManualModeRecordsOnePerTriggerPress()
{
    // Only the first M of each press records; T re-arms.
    CHECK_STR(Recorded("TTMMMTM", LOGGING_MANUAL), "26");
    // Held trigger without a release in between records once.
    CHECK_STR(Recorded("MMMMMM", LOGGING_MANUAL), "0");
    // Every marked twin counts as a trigger press.
    CHECK_STR(Recorded("TNDPEQFK", LOGGING_MANUAL), "1357");
    // Unmarked J frames do not re-arm (they are not T/D/E/F).
    CHECK_STR(Recorded("MJM", LOGGING_MANUAL), "0");
}

void TestAutoAndWheelRecordEveryFrame()
{
    CHECK_STR(Recorded("TTMMJKjkT", LOGGING_AUTO), "012345678");
    CHECK_STR(Recorded("DMJ", LOGGING_WHEEL), "012");
}

void TestStationAdvance()
{
    double station = 10.0;
    int32_t started = 0;
    AdvanceStation(&station, &started, 0.5);
    CHECK_NEAR(station, 10.0, 1e-12);   // the first reading keeps the start station
    CHECK_EQ(started, 1);
    AdvanceStation(&station, &started, 0.5);
    CHECK_NEAR(station, 10.5, 1e-12);
    AdvanceStation(&station, &started, -2.0);
    CHECK_NEAR(station, 8.5, 1e-12);
}

void TestBeepEveryFifthRecordedReading()
{
    int32_t counter = 0;
    std::string beeps;
    for (int i = 0; i < 12; ++i)
        beeps += CountReadingForBeep(&counter, 5) ? 'B' : '.';
    CHECK_STR(beeps, "....B....B..");
    CHECK_EQ(counter, 2);
    // One reading per second (Manual): every recorded reading beeps.
    counter = 0;
    CHECK_EQ(CountReadingForBeep(&counter, 1), 1);
    CHECK_EQ(CountReadingForBeep(&counter, 1), 1);
}

void TestLetterReadouts()
{
    CHECK_EQ(Channel4LabelChar('T'), L'4');
    CHECK_EQ(Channel4LabelChar('M'), L'4');
    CHECK_EQ(Channel4LabelChar('E'), L'4');
    CHECK_EQ(Channel4LabelChar('P'), L'4');
    CHECK_EQ(Channel4LabelChar('D'), L'T');
    CHECK_EQ(Channel4LabelChar('F'), L'T');
    CHECK_EQ(Channel4LabelChar('J'), L'T');

    CHECK_EQ(MarkerChar('M', LOGGING_AUTO), L'M');
    CHECK_EQ(MarkerChar('Q', LOGGING_WHEEL), L'M');
    CHECK_EQ(MarkerChar('K', LOGGING_AUTO), L' ');
    CHECK_EQ(MarkerChar('T', LOGGING_AUTO), L' ');
    CHECK_EQ(MarkerChar('M', LOGGING_MANUAL), L' ');
}

void TestCompressedProfiles()
{
    CHECK_NEAR(CompressValue(-16.0f, 1), -4.0, 1e-6);
    CHECK_NEAR(CompressValue(2500.0f, 1), 50.0, 1e-4);
    CHECK_NEAR(CompressValue(0.0f, 1), 0.0, 0.0);
    CHECK_NEAR(CompressValue(-16.0f, 0), -16.0, 0.0);
}

}  // namespace

int main()
{
    TestManualModeRecordsOnePerTriggerPress();
    TestAutoAndWheelRecordEveryFrame();
    TestStationAdvance();
    TestBeepEveryFifthRecordedReading();
    TestLetterReadouts();
    TestCompressedProfiles();
    return TestSummary("test_reading_handler_rules");
}

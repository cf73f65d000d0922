// External position files: what a column holds and when it is a number,
// the thinning step, what the operator is told, and GPS sentences and
// label records reassembled from data file records.
#include <cmath>
#include <string>

#include "map/position_file.h"
#include "test_check.h"

namespace {

// "lat lon" of a row or its verdict's text.
std::string Row(const char* line, int latColumn, int lonColumn, int delimiter)
{
    double lat = 0, lon = 0;
    const int verdict = AsciiRow(line, latColumn, lonColumn, delimiter, &lat, &lon);
    if (verdict != ROW_USED) return RowVerdictText(verdict);
    char text[64];
    std::snprintf(text, sizeof text, "%.4f %.4f", lat, lon);
    return text;
}

void TestAsciiRows()
{
    CHECK_STR(Row("  11.5167 48.1173 512.3", 1, 0, 0), "48.1173 11.5167");
    CHECK_STR(Row("P1,48.1173,11.5167", 1, 2, 1), "48.1173 11.5167");
    CHECK_STR(Row("a\t-12.5\tb\t+3", 1, 3, 2), "-12.5000 3.0000");
    CHECK_STR(Row("1", 1, 0, 0), "column missing");
    // Only the number at a field's start was read, and columns that hold no
    // number were not counted.
    CHECK_STR(Row("432100,12;5012345,67", 1, 0, 3), "5012345.6700 432100.1200");
    CHECK_STR(Row("432100,12 5012345,67", 1, 0, 0), "5012345.6700 432100.1200");
    CHECK_STR(Row("432100,12,5012345,67", 1, 0, 1), "12.0000 432100.0000"); // comma separates
    CHECK_STR(Row("1,NaN,E,N,99.5", 1, 4, 1), "not a number");
    CHECK_STR(Row("1,,7,8", 3, 2, 1), "8.0000 7.0000"); // an empty column counts
    CHECK_STR(Row("1,,7,8", 1, 2, 1), "not a number");
    for (const char* line : {"0x1A 12", "-nan 12", "inf 12", "12.5.1 3", "12.5m 3", "1 - 2"})
        CHECK_STR(std::string(line) + ": " + Row(line, 1, 0, 0),
                  std::string(line) + ": not a number");
    CHECK_STR(Row("1e999 12", 1, 0, 0), "number too large");
    CHECK_STR(Row("-.5e-1 3", 1, 0, 0), "3.0000 -0.0500");
    CHECK_STR(Row(("1 " + std::string(5000, '9')).c_str(), 1, 0, 0), "not a number");
    // Hemispheres: W and S negate, in the column or as the next column.
    CHECK_STR(Row("75.4567 W 40.1 N", 2, 0, 0), "40.1000 -75.4567");
    CHECK_STR(Row("75.4567W;S40.1", 1, 0, 3), "-40.1000 -75.4567");
    CHECK_STR(Row("w75.4567,40.1 s", 1, 0, 1), "-40.1000 -75.4567");
    CHECK_STR(Row("75.4567 E 40.1", 2, 0, 0), "40.1000 75.4567");
    CHECK_STR(Row("-75.4567W 40.1", 1, 0, 0), "not a number");
    CHECK_STR(Row("75.4567N 40.1", 1, 0, 0), "not a number"); // N is no longitude
    CHECK(BlankLine(" \t\r") && !BlankLine(" x"));

    CHECK(CoordinateRange(0, 84, -180) == ROW_USED && CoordinateRange(0, -80.5, 0) != ROW_USED);
    CHECK(CoordinateRange(1, -2e7, 2e7) == ROW_USED && CoordinateRange(2, 0, 3e7) != ROW_USED);

    // A UTF-16 file with or without its mark, and a binary one.
    const unsigned char utf16[] = {0xFF, 0xFE, '5', 0, '.', 0, '4', 0, ' ', 0, '1', 0};
    CHECK_EQ(TextKindOf(utf16, sizeof utf16), TEXT_UTF16);
    CHECK_EQ(TextKindOf(utf16 + 2, sizeof utf16 - 2), TEXT_UTF16);
    const unsigned char binary[] = {'T', 1, 2, 0x7F, 0x7F, '1', ' ', '2', '\n'};
    CHECK_EQ(TextKindOf(binary, sizeof binary), TEXT_BINARY);
    CHECK_EQ(TextKindOf((const unsigned char*)"1 2\r\n3 4\r\n", 10), TEXT_PLAIN);

    // Count, budget, step: 5000 / 2 is not below 2500.
    const long steps[][3] = {{100, 100, 1}, {5000, 2500, 3},      {101, 100, 2},
                             {10, 0, 11},   {1000000, 600000, 2}, {2000000000L, 1, 2000000001L}};
    for (const auto& s : steps) CHECK_EQ(ThinningStep(s[0], s[1]), s[2]);
}

void TestWhatTheOperatorIsTold()
{
    LoadTally t = {};
    const int verdicts[] = {ROW_USED, ROW_NOT_A_NUMBER, ROW_USED, ROW_OUT_OF_RANGE};
    for (int row = 1; row <= 4; ++row) TallyRow(&t, row, verdicts[row - 1]);
    wchar_t text[512];
    LoadSummaryText(t, 2, 1, L"line", text, 512);
    CHECK(std::wstring(text) ==
          L"Total Number of Positions: 2\r\n Number of Positions to Display: 2\r\n"
          L"All positions will be displayed\r\nRows used: 2, skipped: 2\r\n"
          L"First skipped: line 2, not a number");
    LoadSummaryText(LoadTally{7, 0, 0, 0}, 3, 2, L"line", text, 512);
    CHECK(std::wstring(text) ==
          L"Total Number of Positions: 7\r\nNumber of Positions to display: 3\r\n"
          L"Every  2position will be displayed\r\nRows used: 7, skipped: 0");
    LoadFailureText(LoadTally{}, TEXT_UTF16, L"line", text, 512);
    CHECK(std::wstring(text).find(L"Format not supported\r\nThe file is UTF-16") == 0);
    LoadFailureText(LoadTally{0, 5, 1, ROW_NO_COLUMN}, TEXT_PLAIN, L"record", text, 512);
    CHECK(std::wstring(text) ==
          L"Format not supported\r\nNo position in the file.\r\n"
          L"Rows used: 0, skipped: 5\r\nFirst skipped: record 1, column missing");
}

void TestDataRecords()
{
    RecordGroupReader r = {};
    char sentence[512];
    const char* recs[] = {
        "@$GPGGA,030721.000,3747.08\n", "#76,S,17518.8934,E,1,08,1.\n",
        "#1,60.1,M,23.7,M,,0000*7D \n", "!000001p           3615278\n",
        "T0123456789ABCDEFGHIJKLMNO\n", "@$GPGGA,1*00              \n",
        "T0123456789ABCDEFGHIJKLMNO\n", "!                  3615279\n", // a group cut by a reading
    };
    std::string got;
    for (const char* rec : recs)
        if (FeedDataRecord(&r, rec, sentence, sizeof sentence)) got += std::string(sentence) + "|";
    CHECK_STR(got, "$GPGGA,030721.000,3747.0876,S,17518.8934,E,1,08,1.1,60.1,M,23.7,M,,0000*7D|");

    // The header's G record: the type it was recorded with (8 as 9) and the
    // total-station units of types 7 and 8.
    int type = -1, units = -1;
    CHECK(RecordedGpsType("G   0.00   0.001  051     \n", &type, &units) && type == 5 &&
          units == -1);
    CHECK(RecordedGpsType("G   1.25  -0.50021091     \n", &type, &units) && type == 8 &&
          units == 1);
    CHECK(!RecordedGpsType("G   0.00   0.001  0 1     \n", &type, &units)); // no type written
    // An offset of -1250 m takes eight columns and shifts the options.
    CHECK(RecordedGpsType("G-1250.00   0.001 0071    \n", &type, &units) && type == 7 &&
          units == 0);
    CHECK(!RecordedGpsType("G12345678.90 1234567.001 0\n", &type, &units)); // cut off
    CHECK(!RecordedGpsType("@$GPGGA,030721.000,3747.08\n", &type, &units));

    // A total station's label record, in either order, to the millimetre.
    double n = 0, e = 0;
    CHECK(LabelRecordPosition(">0=7,38=432100.123,37=5012345.678,3=1", &n, &e) &&
          n == 5012345.678 && e == 432100.123);
    CHECK(!LabelRecordPosition(">37=5012345.678,39=1", &n, &e));
    CHECK(!LabelRecordPosition(">37=x,38=1", &n, &e));
}

} // namespace

int main()
{
    TestAsciiRows();
    TestWhatTheOperatorIsTold();
    TestDataRecords();
    return TestSummary("test_position_file");
}

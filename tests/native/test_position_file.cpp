// External position files: the fields of ASCII lines by delimiter, the
// thinning step, and GPS sentences reassembled from data file records with
// the type their header names.
#include <string>

#include "gps/position_file.h"
#include "test_check.h"

namespace {

std::string Field(const char* line, int n, int delimiter)
{
    char out[32];
    return AsciiField(line, n, delimiter, out, sizeof out) ? out : "<none>";
}

void TestAsciiLines()
{
    CHECK_STR(Field("  48.1173 11.5167 512.3", 2, 0), "11.5167");
    CHECK_STR(Field("P1,48.1173,11.5167", 1, 1), "1"); // a name's digit makes a field
    CHECK_STR(Field("P1,48.1173,11.5167", 2, 1), "48.1173");
    CHECK_STR(Field("id;5332401.25;687299.58", 2, 3), "687299.58");
    CHECK_STR(Field("a\t-12.5\tb\t+3", 2, 2), "+3");
    CHECK_STR(Field("only 1", 2, 0), "<none>");
    double lat = 0, lon = 0;
    CHECK(AsciiPosition("11.5167 48.1173\r", 1, 0, 0, &lat, &lon) && lat == 48.1173 &&
          lon == 11.5167);
    CHECK(!AsciiPosition("11.5167", 1, 0, 0, &lat, &lon));
    CHECK(!AsciiPosition("x 1 - 2", 1, 0, 0, &lat, &lon)); // "-" alone is no number
    const std::string huge(5000, '9');
    CHECK(AsciiPosition(("1 " + huge).c_str(), 1, 0, 0, &lat, &lon) && lat > 1e30);

    CHECK_EQ(ThinningStep(100, 100), 1);
    CHECK_EQ(ThinningStep(5000, 2500), 3); // 5000 / 2 is not below 2500
    CHECK_EQ(ThinningStep(101, 100), 2);
    CHECK_EQ(ThinningStep(10, 0), 11);
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
}

} // namespace

int main()
{
    TestAsciiLines();
    TestDataRecords();
    return TestSummary("test_position_file");
}

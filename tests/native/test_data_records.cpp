// Byte layouts of the data file records, each compared with a hand-written
// 27-byte expectation.
#include "logging/record_format.h"
#include "test_check.h"

#include <cstring>
#include <string>

namespace {

std::string Spaces(int n) { return std::string(n, ' '); }

// The 27 bytes a builder produced; also checks what every record shares.
std::string Bytes(const char* rec)
{
    CHECK_EQ(rec[26], 0x0A);
    CHECK_EQ(rec[27], 0);
    return std::string(rec, 27);
}

void TestConfigLine()
{
    char rec[RecordBufferBytes];
    FormatConfigRecord(rec, 0, 1, 0, 0, 0);
    CHECK_STR(Bytes(rec), "QORMK2  W330GPS000" + Spaces(8) + "\n");
    FormatConfigRecord(rec, 1, 0, 2, 1, 1);
    CHECK_STR(Bytes(rec), "QORMK2H W330GRD211" + Spaces(8) + "\n");
    // Every non-standard model (NCC variants too) is tagged like High Power.
    FormatConfigRecord(rec, 3, 2, 1, 0, 2);
    CHECK_STR(Bytes(rec), "QORMK2H W330GPS102" + Spaces(8) + "\n");
}

void TestFileNameLine()
{
    char rec[RecordBufferBytes];
    FormatFileNameRecord(rec, "120408A", 0.2f);
    CHECK_STR(Bytes(rec), "Hg120408A    0.200" + Spaces(8) + "\n");
    FormatFileNameRecord(rec, "ABCDEFGHIJKL", 1.25);
    CHECK_STR(Bytes(rec), "HgABCDEFGHI  1.250" + Spaces(8) + "\n");
    FormatFileNameRecord(rec, "", 0.5);
    CHECK_STR(Bytes(rec), "Hg" + Spaces(9) + "  0.500" + Spaces(8) + "\n");
    // A wider value shifts the padding, the record stays 27 bytes.
    FormatFileNameRecord(rec, "a", 12345.5);
    CHECK_STR(Bytes(rec), "Hga        12345.500" + Spaces(6) + "\n");
}

void TestGpsOptionsLine()
{
    char rec[RecordBufferBytes];
    GpsOptionValues v = {1.5f, -0.25f, 1, 1, 1, 3, 4, 5, 2, 1, 1};
    // Column 16: blank for C_DRIVE storage, else 3 portrait, 2 landscape;
    // 17: the total stations' units; 19: type 8 is written as 9; 20: 0 for
    // a GPS-only survey whatever GpsEnabled says.
    const struct {
        int Storage, Portrait, Type, Instrument;
        const char* Tail;
    } cases[] = {
        {1, 1, 3, 1, "13 231"}, {0, 1, 3, 1, "1  231"}, {2, 0, 3, 1, "12 231"},
        {2, 0, 7, 1, "124271"}, {2, 0, 8, 1, "125291"}, {2, 0, 0, 0, "12 200"},
    };
    for (const auto& c : cases) {
        v.StorageMode = c.Storage;
        v.Portrait = c.Portrait;
        v.GpsType = c.Type;
        v.InstrumentEnabled = c.Instrument;
        FormatGpsOptionsRecord(rec, v);
        CHECK_STR(Bytes(rec), "G   1.50  -0.25" + std::string(c.Tail) + Spaces(5) + "\n");
    }
    // Offsets wider than 7 characters push the options right; the end is cut.
    v.GpsOffsetX = v.GpsOffsetY = -1234567.5f;
    FormatGpsOptionsRecord(rec, v);
    CHECK_STR(Bytes(rec), "G-1234567.50-1234567.5012 \n");
}

void TestOffsetLines()
{
    char rec[RecordBufferBytes];
    FormatOffsetRecord(rec, -3.5f, 0, 99.0f);
    CHECK_STR(Bytes(rec), "O    -3.50" + Spaces(16) + "\n");
    FormatOffsetRecord(rec, 12.25f, 1, -0.5f);
    CHECK_STR(Bytes(rec), "O    12.25     -0.50" + Spaces(6) + "\n");
}

void TestLineBlock()
{
    char rec[RecordBufferBytes];
    FormatLineRecord(rec, "Line12345");
    CHECK_STR(Bytes(rec), "LLine1234" + Spaces(17) + "\n");
    FormatLineRecord(rec, "");
    CHECK_STR(Bytes(rec), "L" + Spaces(25) + "\n");

    FormatBeginStationRecord(rec, -12.5);
    CHECK_STR(Bytes(rec), "B     -12.50" + Spaces(14) + "\n");

    const char* letters = "WSNE";
    for (int d = 0; d < 4; ++d) {
        FormatDirectionRecord(rec, d, 0.5);
        CHECK_STR(Bytes(rec),
                  "A" + std::string(1, letters[d]) + Spaces(6) + "      0.500" + Spaces(7) + "\n");
    }
    FormatDirectionRecord(rec, 1, -2.25);
    CHECK_STR(Bytes(rec), "AS" + Spaces(6) + "     -2.250" + Spaces(7) + "\n");

    FormatDateRecord(rec, 4, 12, 2026, 8, 5, 9);
    CHECK_STR(Bytes(rec), "Z04122026 08:05:09" + Spaces(8) + "\n");
}

void TestTickedRecords()
{
    char rec[RecordBufferBytes];
    FormatTimeRecord(rec, 8, 5, 9, 7, 123456);
    CHECK_STR(Bytes(rec), "*08:05:09.007       123456\n");
    FormatTimeRecord(rec, 23, 59, 59, 999, 1728000000u);
    CHECK_STR(Bytes(rec), "*23:59:59.999   1728000000\n");
    // Past 2^31 ms the 32-bit long reads negative; 11 characters are cut.
    FormatTimeRecord(rec, 0, 0, 0, 0, 0xFFFFFFFFu);
    CHECK_STR(Bytes(rec), "*00:00:00.000           -1\n");

    FormatStationRecord(rec, 15.0, 42);
    CHECK_STR(Bytes(rec), "S      15.00            42\n");

    FormatTextRecord(rec, 'C', "hello", 1);
    CHECK_STR(Bytes(rec), "Chello" + Spaces(6) + "    " + "         1\n");
    FormatTextRecord(rec, 'C', "", 1);
    CHECK_STR(Bytes(rec), "C" + Spaces(15) + "         1\n");
    FormatTextRecord(rec, 'C', "ABCDEFGHIJKLMN", 77);
    CHECK_STR(Bytes(rec), "CABCDEFGHIJK            77\n");
    FormatTextRecord(rec, 'X', "$CONN END  ", 1000);
    CHECK_STR(Bytes(rec), "X$CONN END  " + Spaces(4) + "      1000\n");
}

void TestReadingRecord()
{
    // Binary frame bytes, including a line feed and zeros, are kept as they are.
    const unsigned char frame[16] = {'T',  0x0A, 0x00, 0x0A, 0xFF, 0x80, 0x00, 0x00,
                                     0x7F, 0x7F, 0x03, 0xE8, 0x0A, 0x12, 0x34, 0xB0};
    char rec[RecordBufferBytes];
    FormatReadingRecord(rec, frame, 1234567890u);
    CHECK(std::memcmp(rec, frame, 16) == 0);
    CHECK(std::memcmp(rec + 16, "1234567890\n", 11) == 0);
    CHECK_EQ(rec[27], 0);

    FormatReadingRecord(rec, frame, 5);
    CHECK(std::memcmp(rec, frame, 16) == 0);
    CHECK(std::memcmp(rec + 16, "         5\n", 11) == 0);

    FormatReadingRecord(rec, frame, 0x80000000u);
    CHECK(std::memcmp(rec + 16, "-214748364\n", 11) == 0);
}

// Values far wider than their columns (a station typed as 1e300, offsets
// of FLT_MAX, texts of any length): each record stays 27 bytes, cut at
// column 25. Run under AddressSanitizer this also proves no builder writes
// past its buffer.
void TestExtremeValuesAreCut()
{
    char rec[RecordBufferBytes + 8];
    std::memset(rec, 0x55, sizeof rec);
    FormatStationRecord(rec, 1e300, 0xFFFFFFFFu);
    CHECK_STR(Bytes(rec), "S1000000000000000052504760\n");
    CHECK_EQ(rec[RecordBufferBytes], 0x55);
    FormatStationRecord(rec, -1e300, 1);
    CHECK_STR(Bytes(rec), "S-100000000000000005250476\n");
    FormatBeginStationRecord(rec, 1e308);
    CHECK_STR(Bytes(rec), "B1000000000000000010979063\n");
    FormatDirectionRecord(rec, 9, -1e300);
    CHECK_STR(Bytes(rec), "A?      -10000000000000000\n");
    FormatOffsetRecord(rec, -3.4e38f, 1, 3.4e38f);
    CHECK_STR(Bytes(rec), "O-339999995214436424907732\n");
    FormatFileNameRecord(rec, std::string(400, 'n').c_str(), 1e300);
    CHECK_STR(Bytes(rec), "Hgnnnnnnnnn100000000000000\n");
    FormatTextRecord(rec, 'C', std::string(500, 'c').c_str(), 0x80000000u);
    CHECK_STR(Bytes(rec), "Cccccccccccc    -214748364\n");
    FormatDateRecord(rec, 2147483647, -2147483647, 2147483647, 99, 99, 99);
    CHECK_STR(Bytes(rec), "Z2147483647-21474836472147\n");
    CHECK_EQ(rec[RecordBufferBytes], 0x55);
}

// GPS record groups: 25 text characters a record, the trailer with the
// counter, the flag and the tick in columns 16..25.
void TestGpsRecordGroups()
{
    char recs[12][RecordBufferBytes];
    const std::string gga =
        "$GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,23.7,M,,0000*7D";
    CHECK_EQ(FormatGpsRecordGroup(recs, 12, gga.c_str(), '@', '#', '!', 'p', 1, 12, 3600500), 4);
    CHECK_STR(Bytes(recs[0]), "@" + gga.substr(0, 25) + "\n");
    CHECK_STR(Bytes(recs[1]), "#" + gga.substr(25, 25) + "\n");
    CHECK_STR(Bytes(recs[2]), "#" + gga.substr(50) + Spaces(75 - (int)gga.size()) + "\n");
    CHECK_STR(Bytes(recs[3]), "!000012p" + Spaces(8) + "   3600500\n");
    // A wrong sentence has no counter; 25 characters fill one record.
    CHECK_EQ(FormatGpsRecordGroup(recs, 12, std::string(25, 'x').c_str(), '?', '"', '!', ' ', 0, 0,
                                  0x80000000u),
             2);
    CHECK_STR(Bytes(recs[0]), "?" + std::string(25, 'x') + "\n");
    CHECK_STR(Bytes(recs[1]), "! " + Spaces(14) + "-214748364\n");
    CHECK_EQ(
        FormatGpsRecordGroup(recs, 12, std::string(26, 'y').c_str(), '@', '#', '!', ' ', 1, 0, 1),
        3);
    CHECK_STR(Bytes(recs[1]), "#y" + Spaces(24) + "\n");
    CHECK_EQ(FormatGpsRecordGroup(recs, 12, "", '?', '"', '!', ' ', 0, 0, 1), 2);
    CHECK_EQ(
        FormatGpsRecordGroup(recs, 12, std::string(255, 'z').c_str(), '@', '#', '!', 'p', 1, 1, 1),
        12);
}

} // namespace

int main()
{
    TestConfigLine();
    TestFileNameLine();
    TestGpsOptionsLine();
    TestOffsetLines();
    TestLineBlock();
    TestTickedRecords();
    TestReadingRecord();
    TestExtremeValuesAreCut();
    TestGpsRecordGroups();
    return TestSummary("test_data_records");
}

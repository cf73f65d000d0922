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

// The record a builder makes of `args`, in a buffer with a guard after it:
// no builder may write past its RecordBufferBytes.
template <typename... Params, typename... Args>
std::string Built(void (*build)(char*, Params...), Args... args)
{
    char rec[RecordBufferBytes + 8];
    std::memset(rec, 0x55, sizeof rec);
    build(rec, args...);
    CHECK(std::string(rec + RecordBufferBytes, 8) == std::string(8, 0x55));
    return Bytes(rec);
}

void TestConfigLine()
{
    CHECK_STR(Built(FormatConfigRecord, 0, 1, 0, 0, 0), "QORMK2  W330GPS000" + Spaces(8) + "\n");
    CHECK_STR(Built(FormatConfigRecord, 1, 0, 2, 1, 1), "QORMK2H W330GRD211" + Spaces(8) + "\n");
    // Every non-standard model (NCC variants too) is tagged like High Power.
    CHECK_STR(Built(FormatConfigRecord, 3, 2, 1, 0, 2), "QORMK2H W330GPS102" + Spaces(8) + "\n");
}

void TestFileNameLine()
{
    CHECK_STR(Built(FormatFileNameRecord, "120408A", 0.2f),
              "Hg120408A    0.200" + Spaces(8) + "\n");
    CHECK_STR(Built(FormatFileNameRecord, "ABCDEFGHIJKL", 1.25),
              "HgABCDEFGHI  1.250" + Spaces(8) + "\n");
    CHECK_STR(Built(FormatFileNameRecord, "", 0.5),
              "Hg" + Spaces(9) + "  0.500" + Spaces(8) + "\n");
    // A wider value shifts the padding, the record stays 27 bytes.
    CHECK_STR(Built(FormatFileNameRecord, "a", 12345.5), "Hga        12345.500" + Spaces(6) + "\n");
}

void TestGpsOptionsLine()
{
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
        CHECK_STR(Built(FormatGpsOptionsRecord, v),
                  "G   1.50  -0.25" + std::string(c.Tail) + Spaces(5) + "\n");
    }
    // Offsets wider than 7 characters push the options right; the end is cut.
    v.GpsOffsetX = v.GpsOffsetY = -1234567.5f;
    CHECK_STR(Built(FormatGpsOptionsRecord, v), "G-1234567.50-1234567.5012 \n");
}

void TestOffsetAndLineBlock()
{
    CHECK_STR(Built(FormatOffsetRecord, -3.5f, 0, 99.0f), "O    -3.50" + Spaces(16) + "\n");
    CHECK_STR(Built(FormatOffsetRecord, 12.25f, 1, -0.5f),
              "O    12.25     -0.50" + Spaces(6) + "\n");
    CHECK_STR(Built(FormatLineRecord, "Line12345"), "LLine1234" + Spaces(17) + "\n");
    CHECK_STR(Built(FormatLineRecord, ""), "L" + Spaces(25) + "\n");
    CHECK_STR(Built(FormatBeginStationRecord, -12.5), "B     -12.50" + Spaces(14) + "\n");
    const char* letters = "WSNE";
    for (int d = 0; d < 4; ++d)
        CHECK_STR(Built(FormatDirectionRecord, d, 0.5),
                  "A" + std::string(1, letters[d]) + Spaces(6) + "      0.500" + Spaces(7) + "\n");
    CHECK_STR(Built(FormatDirectionRecord, 1, -2.25),
              "AS" + Spaces(6) + "     -2.250" + Spaces(7) + "\n");
    CHECK_STR(Built(FormatDateRecord, 4, 12, 2026, 8, 5, 9),
              "Z04122026 08:05:09" + Spaces(8) + "\n");
}

void TestTickedRecords()
{
    CHECK_STR(Built(FormatTimeRecord, 8, 5, 9, 7, 123456u), "*08:05:09.007       123456\n");
    CHECK_STR(Built(FormatTimeRecord, 23, 59, 59, 999, 1728000000u),
              "*23:59:59.999   1728000000\n");
    // Past 2^31 ms the 32-bit long reads negative; 11 characters are cut.
    CHECK_STR(Built(FormatTimeRecord, 0, 0, 0, 0, 0xFFFFFFFFu), "*00:00:00.000           -1\n");
    CHECK_STR(Built(FormatStationRecord, 15.0, 42u), "S      15.00            42\n");
    CHECK_STR(Built(FormatTextRecord, 'C', "hello", 1u),
              "Chello" + Spaces(6) + "    " + "         1\n");
    CHECK_STR(Built(FormatTextRecord, 'C', "", 1u), "C" + Spaces(15) + "         1\n");
    CHECK_STR(Built(FormatTextRecord, 'C', "ABCDEFGHIJKLMN", 77u), "CABCDEFGHIJK            77\n");
    CHECK_STR(Built(FormatTextRecord, 'X', "$CONN END  ", 1000u),
              "X$CONN END  " + Spaces(4) + "      1000\n");

    // Binary frame bytes, including a line feed and zeros, are kept as they are.
    const unsigned char frame[16] = {'T',  0x0A, 0x00, 0x0A, 0xFF, 0x80, 0x00, 0x00,
                                     0x7F, 0x7F, 0x03, 0xE8, 0x0A, 0x12, 0x34, 0xB0};
    const std::string head((const char*)frame, 16);
    CHECK(Built(FormatReadingRecord, frame, 1234567890u) == head + "1234567890\n");
    CHECK(Built(FormatReadingRecord, frame, 5u) == head + "         5\n");
    CHECK(Built(FormatReadingRecord, frame, 0x80000000u) == head + "-214748364\n");
}

// Values far wider than their columns (a station typed as 1e300, offsets
// of FLT_MAX, texts of any length): each record stays 27 bytes, cut at
// column 25. Run under AddressSanitizer this also proves no builder writes
// past its buffer.
void TestExtremeValuesAreCut()
{
    CHECK_STR(Built(FormatStationRecord, 1e300, 0xFFFFFFFFu), "S1000000000000000052504760\n");
    CHECK_STR(Built(FormatStationRecord, -1e300, 1u), "S-100000000000000005250476\n");
    CHECK_STR(Built(FormatBeginStationRecord, 1e308), "B1000000000000000010979063\n");
    CHECK_STR(Built(FormatDirectionRecord, 9, -1e300), "A?      -10000000000000000\n");
    CHECK_STR(Built(FormatOffsetRecord, -3.4e38f, 1, 3.4e38f), "O-339999995214436424907732\n");
    CHECK_STR(Built(FormatFileNameRecord, std::string(400, 'n').c_str(), 1e300),
              "Hgnnnnnnnnn100000000000000\n");
    CHECK_STR(Built(FormatTextRecord, 'C', std::string(500, 'c').c_str(), 0x80000000u),
              "Cccccccccccc    -214748364\n");
    CHECK_STR(Built(FormatDateRecord, 2147483647, -2147483647, 2147483647, 99, 99, 99),
              "Z2147483647-21474836472147\n");
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
    TestOffsetAndLineBlock();
    TestTickedRecords();
    TestExtremeValuesAreCut();
    TestGpsRecordGroups();
    return TestSummary("test_data_records");
}

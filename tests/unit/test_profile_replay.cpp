// Profile replay from a data file: stored readings decoded with the offsets
// in force, stretches broken at stations, the walk ending at the line block,
// at a full pane or at the start of the file, and the file position kept.
#include "display/profile_replay.h"
#include "app/app_state.h"
#include "logging/record_format.h"
#include "settings/settings.h"
#include "test_check.h"
#include <string>
#include <vector>

static std::string TextRecord(const char* text)
{
    std::string r(text);
    r.resize(26, ' ');
    return r + '\n';
}

static std::string OffsetRecord(float now, float before)
{
    char rec[RecordBufferBytes];
    FormatOffsetRecord(rec, now, 1, before);
    return std::string(rec, RecordBytes);
}

// A stored reading: letter, range byte, four raw words, the average
// reference as whole part and hundredths, the raw reference, battery; as
// the logger writes it.
static std::string Reading(char letter, int raw, int reference = 3000, int hundredths = 0,
                           unsigned char range = 0)
{
    unsigned char frame[16] = {(unsigned char)letter, range};
    for (int at : {2, 4, 6, 8, 10, 13}) {
        const int word = at < 10 ? raw : reference;
        frame[at] = (unsigned char)((word >> 8) & 0xFF);
        frame[at + 1] = (unsigned char)(word & 0xFF);
    }
    frame[12] = (unsigned char)hundredths;
    frame[15] = 0x80;
    char rec[RecordBufferBytes];
    FormatReadingRecord(rec, frame, 123456);
    return std::string(rec, RecordBytes);
}

static HANDLE WriteFileOf(const std::string& content)
{
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"rpl", 0, path);
    HANDLE f = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    DWORD written = 0;
    WriteFile(f, content.data(), (DWORD)content.size(), &written, nullptr);
    return f;
}

struct Stretch {
    std::vector<POINT> Points[4];
};

static void Capture(void* context, const POINT* const lists[4], int count)
{
    auto* stretches = (std::vector<Stretch>*)context;
    Stretch s;
    for (int i = 0; i < 4; ++i) s.Points[i].assign(lists[i], lists[i] + count);
    stretches->push_back(s);
}

static std::vector<Stretch> Walk(HANDLE f, int startX, float offset)
{
    std::vector<Stretch> stretches;
    const float offsets[4] = {offset, offset, offset, offset};
    WalkProfileRecords(f, 27, startX, offsets, Capture, &stretches);
    return stretches;
}

static void SetUp()
{
    Settings.Em61Mk2Type = 0;
    Settings.SensorSize = 1;
    Settings.CompressedProfiles = 0;
    Settings.ProfileScaleMin = 0;
    Settings.ProfileScaleMax = 2000;
    Settings.ProfilePixelsPerUnit = 200.0f / 2000.0f;
    Settings.BarPixelsPerUnit = 80.0f / 2000.0f;
    for (int i = 0; i < 8; ++i) Settings.ChannelShown[i] = 1;
}

static float Decode(const std::string& record, float offset = 0)
{
    const float offsets[4] = {offset, offset, offset, offset};
    float ch[4] = {};
    DecodeStoredReading((const unsigned char*)record.data(), offsets, ch);
    return ch[0];
}

static void TestDecodeStoredReading()
{
    SetUp();
    // The stored average reference, hundredths included, scales to the nominal 3000.
    CHECK_NEAR(Decode(Reading('T', 100, 2999, 50)), 100 * 4.8333 * 2 * 3000 / 2999.5, 0.01);
    CHECK_NEAR(Decode(Reading('D', 1000, 3000, 0, 0xFF)), 1000 * 4.8333 / 100 * 2, 0.001);
    CHECK_NEAR(Decode(Reading('P', 100, 1800), 1), 100 * 4.8333 * 0.9025 - 1, 0.01);
    // High Power 1 x 0.5 m: the nominal level follows the reference threshold.
    Settings.Em61Mk2Type = 1;
    Settings.SensorSize = 0;
    CHECK_NEAR(Decode(Reading('T', 100, 1400)), 100 * 4.8333 * 1.72 * 1840 / 1400, 0.02);
    CHECK_NEAR(Decode(Reading('T', 100, 1300)), 100 * 4.8333 * 1.72 * 920 / 1300, 0.02);
    float ch[4];
    const float none[4] = {};
    CHECK(!DecodeStoredReading((const unsigned char*)Reading('T', 100, 0).data(), none, ch));
    SetUp();
}

// Row of a 'T' reading of raw value `raw` with `offset` subtracted.
static int RowOf(int raw, float offset)
{
    float v = (float)(raw * 4.8333 * 2) - offset;
    return (int)((2000.0f - v) * 0.1f);
}

static void TestWalk()
{
    SetUp();
    std::string file = TextRecord("QORMK2  W330GRD010") + TextRecord("Z06122026 10:00:00");
    for (int i = 0; i < 4; ++i) file += OffsetRecord(0, 0);
    file += Reading('T', 10) + Reading('D', 20); // R1, R2
    file += TextRecord("S      10.00") + TextRecord("*10:00:01.000");
    file += Reading('T', 30);                                              // R3
    for (int i = 0; i < 4; ++i) file += OffsetRecord(500, 0);              // a null
    file += TextRecord("C comment") + Reading('M', 40) + Reading('T', 50); // R4, R5
    HANDLE f = WriteFileOf(file);
    const DWORD end = SetFilePointer(f, 0, nullptr, FILE_CURRENT);

    Settings.ChannelShown[2] = 0;
    std::vector<Stretch> s = Walk(f, 20, 500);
    CHECK_EQ(SetFilePointer(f, 0, nullptr, FILE_CURRENT), end);
    CHECK_EQ((int)s.size(), 2);
    if (s.size() == 2 && s[0].Points[0].size() == 3 && s[1].Points[0].size() == 2) {
        // Oldest first, as live drawing ran: R3 with the offsets from before
        // the null, then R4 and R5 with the new ones.
        CHECK_EQ(s[0].Points[0][2].x, 20);
        CHECK_EQ(s[0].Points[0][2].y, RowOf(50, 500));
        CHECK_EQ(s[0].Points[0][1].y, RowOf(40, 500));
        CHECK_EQ(s[0].Points[1][0].x, 16);
        CHECK_EQ(s[0].Points[1][0].y, RowOf(30, 0));
        CHECK_EQ(s[0].Points[2][0].x, 0); // hidden channel: not collected
        // After the station's 2 px gap R2 ('D': channel 4 doubled) and R1; the
        // line block ends the walk.
        CHECK_EQ(s[1].Points[0][1].x, 12);
        CHECK_EQ(s[1].Points[3][1].y, (int)((2000.0f - (float)(20 * 4.8333 * 4)) * 0.1f));
        CHECK_EQ(s[1].Points[0][0].y, RowOf(10, 0));
    }
    Settings.ChannelShown[2] = 1;
    // A narrow pane is full after x = 4, 2, 0.
    s = Walk(f, 4, 500);
    CHECK(s.size() == 1 && s[0].Points[0].size() == 3 && s[0].Points[0][0].x == 0);
    CloseHandle(f);

    // Readings without a line block before them: the walk stops at the start.
    file.clear();
    for (int i = 0; i < 5; ++i) file += Reading('F', 100 * i, 1800);
    f = WriteFileOf(file);
    s = Walk(f, 333, 0);
    CHECK(s.size() == 1 && s[0].Points[0].size() == 5 && s[0].Points[0][0].x == 333 - 8);
    CHECK_EQ(SetFilePointer(f, 0, nullptr, FILE_CURRENT), (DWORD)file.size());
    CloseHandle(f);

    // 405 records read backwards in blocks of 128 from the end: a null
    // group from record 276 has channel 1 in one block and 2-4 in the next.
    // Every reading in its place, decoded with the offsets of its time.
    file = TextRecord("Z06122026 10:00:00");
    for (int i = 0; i < 400; ++i) {
        file += Reading('T', i % 90);
        if (i == 274)
            for (int c = 0; c < 4; ++c) file += OffsetRecord(7, 0);
    }
    f = WriteFileOf(file);
    s = Walk(f, 1000, 7);
    bool inPlace = s.size() == 1 && s[0].Points[0].size() == 400;
    for (int i = 0; inPlace && i < 400; ++i)
        inPlace = s[0].Points[0][i].x == 1000 - 2 * (399 - i) &&
                  s[0].Points[0][i].y == RowOf(i % 90, i > 274 ? 7.0f : 0.0f);
    CHECK(inPlace);
    CloseHandle(f);
}

int main()
{
    TestDecodeStoredReading();
    TestWalk();
    return TestSummary("test_profile_replay");
}

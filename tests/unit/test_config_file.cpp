// The configuration file: exact bytes written, what a load accepts, what
// marks the file corrupt, and files that are replaced or cut.
#include "settings/config_file.h"
#include "app/app_state.h"
#include "logging/log_run.h"
#include "platform/ce_compat.h"
#include "config_file_access.h"
#include "test_check.h"
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

// The default file, line by line, as the surveyor finds it after a first start.
static const char DefaultText[] =
    "Ver3.30 1 0 0 0 0 1 0 1 1 1 1 1 1 1 1 1 2 3 4 1 2 4 3 1 16711680 65280 255 16711935 16776960 "
    "65535 32896 8421376 0 0.000000 2000.000000 1 1 1 1 1 0 0 0 0.000000 10.000000 0 1.000000 "
    "0.200000 2.000000 0.200000 0 1.000000 0 1 0.000000 0 5 4 3 16711680 255 65280 1 0 0 1.500000 "
    "10 1 1 1 5 4.000000 0.000000 0.000000 0 1 0 0";

static SettingsRecord Defaults;

static std::vector<std::string> DefaultFile()
{
    std::vector<std::string> lines;
    std::istringstream words(DefaultText);
    for (std::string word; words >> word;) lines.push_back(word);
    return lines;
}

static std::string Join(const std::vector<std::string>& lines, const char* eol = "\r\n")
{
    std::string text;
    for (const std::string& line : lines) text += line + eol;
    return text;
}

static void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
}

static void ResetSettings()
{
    Settings = Defaults;
    App.ConfigCorrupt = 0;
}

// Writes the given bytes as the configuration file and loads it.
static void LoadBytes(const std::string& bytes)
{
    ResetSettings();
    WriteBytes(ConfigPath(), bytes);
    AccessConfigFile(CONFIG_LOAD);
}

// The default file with the given lines (1-based) replaced.
static std::string DefaultsWith(const std::vector<std::pair<int, const char*>>& changes,
                                const char* eol = "\r\n")
{
    std::vector<std::string> lines = DefaultFile();
    for (const auto& c : changes) lines[c.first - 1] = c.second;
    return Join(lines, eol);
}

static void LoadWithLine(int lineNumber, const char* value)
{
    LoadBytes(DefaultsWith({{lineNumber, value}}));
}

static void TestFirstStartWritesDefaults()
{
    DeleteFileW(ConfigPath().c_str());
    ResetSettings();
    AccessConfigFile(CONFIG_LOAD);
    CHECK_EQ(DefaultFile().size(), 79u);
    CHECK_STR(ReadBytes(ConfigPath()), Join(DefaultFile()));
    CHECK_EQ(App.ConfigCorrupt, 0);

    // Reading the defaults back and saving them changes no byte.
    AccessConfigFile(CONFIG_LOAD);
    CHECK_EQ(App.ConfigCorrupt, 0);
    AccessConfigFile(CONFIG_SAVE);
    CHECK_STR(ReadBytes(ConfigPath()), Join(DefaultFile()));
}

static void TestSaveAndLoadKeepValues()
{
    // One field of each kind, and the sources of each derived value.
    ResetSettings();
    Settings.ChannelColor[3] = 0x00123456;
    Settings.ProfileScaleMin = -100.0f;
    Settings.ProfileScaleMax = 300.0f;
    Settings.MaxGpsDisplay = 1;
    Settings.SpeedScaleMax = 12.5f;
    Settings.LoggingMode = 1;
    Settings.WheelIncrement = 0.125;
    Settings.ReadingInterval = 0.05f;
    std::wcscpy(Settings.SurveyLine, L"L12-A");
    Settings.StartStation = -37.25;
    Settings.MapCurrentSize = 2;
    AccessConfigFile(CONFIG_SAVE);

    const std::vector<std::pair<int, const char*>> changed = {
        {29, "1193046"},   {35, "-100.000000"}, {36, "300.000000"}, {44, "1"},
        {46, "12.500000"}, {47, "1"},           {49, "0.125000"},   {51, "0.050000"},
        {52, "L12-A"},     {56, "-37.250000"},  {58, "2"},
    };
    CHECK_STR(ReadBytes(ConfigPath()), DefaultsWith(changed));

    ResetSettings();
    AccessConfigFile(CONFIG_LOAD);
    CHECK_EQ(App.ConfigCorrupt, 0);
    CHECK_EQ(Settings.ChannelColor[3], 0x00123456u);
    CHECK(std::wcscmp(Settings.SurveyLine, L"L12-A") == 0);
    CHECK_NEAR(Settings.ProfilePixelsPerUnit, 0.5, 1e-6);
    CHECK_EQ(Settings.ProfileGrid.Count, 3);
    CHECK_EQ(Settings.GpsDisplayIntervalMs, 410);
    CHECK_NEAR(Settings.SpeedPixelsPerUnit, 215 / 12.5, 1e-4);
    CHECK_EQ(Settings.ReadingIntervalMs, 50);
    CHECK_EQ(Settings.ReadingsPerSecond, 18);
    CHECK_NEAR(Settings.StationIncrement, 0.125, 0);
    CHECK_NEAR(LogRun.Station, -37.25, 0);
    CHECK_EQ(Settings.MapCurrentDiameter, 11);
}

// Files of another layout are thrown away silently and rewritten. With line
// feeds only, every line loses its last character, the version line too.
static void TestOtherLayoutsReplaced()
{
    for (const std::string& bytes :
         {DefaultsWith({{1, "Ver3.28"}, {39, "5"}}), DefaultsWith({{39, "5"}}, "\n")}) {
        LoadBytes(bytes);
        CHECK_EQ(App.ConfigCorrupt, 0);
        CHECK_EQ(Settings.GpsPort, 1);
        CHECK_STR(ReadBytes(ConfigPath()), Join(DefaultFile()));
    }
}

static void TestRangeChecks()
{
    // One case a rule: ranges at both ends, non-numbers, the groups checked
    // after their last line, the scale and speed bar checks.
    static const struct {
        int line;
        const char* value;
        int corrupt;
    } cases[] = {
        {2, "2", 1},     {2, "-1", 1},   {2, "x", 0},  {2, "1.9", 0}, {3, "99", 0},
        {6, "24", 1},    {6, "23", 0},   {10, "2", 1}, {18, "0", 1},  {25, "6", 1},
        {35, "2000", 1}, {36, "abc", 1}, {38, "8", 0}, {38, "9", 1},  {46, "0", 1},
        {46, "0.01", 0}, {47, "3", 1},   {55, "4", 1}, {58, "6", 1},  {79, "9", 0},
    };
    for (const auto& c : cases) {
        LoadWithLine(c.line, c.value);
        if (App.ConfigCorrupt != c.corrupt) std::printf("  line %d = \"%s\"\n", c.line, c.value);
        CHECK_EQ(App.ConfigCorrupt, c.corrupt);
    }
}

// Values the program cannot use are brought into range as they are read
// (the map collapsed, mirrored or scrolled on every fix, a data-file column
// widened); the file keeps what it says.
#define FIELD(name) [] { return (double)Settings.name; }

static void TestUnusableValuesKept()
{
    static const struct {
        int line;
        const char* value;
        double (*field)();
        double kept;
    } cases[] = {
        {68, "0", FIELD(MapScale), 1}, {68, "-50", FIELD(MapScale), 1},
        {69, "40", FIELD(MapEdgeMarginPx), 75}, // 35 % of 215
        {67, "-3", FIELD(MapGridInterval), 0},
        {67, "0.0001", FIELD(MapGridInterval), 0.5}, // at most 20 intervals across
        {74, "-1000", FIELD(GpsOffsetX), -100}, {75, "12345", FIELD(GpsOffsetY), 100},
        {51, "0", FIELD(ReadingInterval), 0.05}, {51, "1000", FIELD(ReadingInterval), 250},
        {49, "-500", FIELD(WheelIncrement), -99}, {3, "7", FIELD(SensorSize), 2},
        {44, "9", FIELD(GpsDisplayIntervalMs), 410}, {79, "5", FIELD(RtsUnits3), 2},
        {46, "1e30", FIELD(SpeedScaleMax), 100},
    };
    for (const auto& c : cases) {
        LoadWithLine(c.line, c.value);
        if (std::fabs(c.field() - c.kept) > 1e-6) std::printf("  line %d = \"%s\"\n", c.line, c.value);
        CHECK_NEAR(c.field(), c.kept, 1e-6);
        CHECK_EQ(App.ConfigCorrupt, 0);
        CHECK(ReadBytes(ConfigPath()) == DefaultsWith({{c.line, c.value}}));
    }
}

static void TestCorruptStopsReading()
{
    // Lines before the failed one are in effect, later ones are not read.
    LoadBytes(DefaultsWith({{46, "12.5"}, {47, "3"}, {48, "7.0"}}));
    CHECK_EQ(App.ConfigCorrupt, 1);
    CHECK_NEAR(Settings.SpeedScaleMax, 12.5, 0);
    CHECK_NEAR(Settings.AutoStationIncrement, 1.0, 0);

    // A channel group is checked only after all eight of its lines.
    LoadBytes(DefaultsWith({{10, "2"}, {17, "0"}, {18, "5"}}));
    CHECK_EQ(App.ConfigCorrupt, 1);
    CHECK_EQ(Settings.ChannelShown[7], 0);
    CHECK_EQ(Settings.ChannelPenWidth[0], 2);
}

static void TestShortAndOddFiles()
{
    std::vector<std::string> lines = DefaultFile();
    lines.resize(20);
    LoadBytes(Join(lines));
    CHECK_EQ(App.ConfigCorrupt, 1);

    LoadBytes("Ver3.30\r\n");
    CHECK_EQ(App.ConfigCorrupt, 1);

    // The last copy of the soft-keyboard switch is the one kept.
    LoadBytes(DefaultsWith({{9, "1"}, {77, "0"}}));
    CHECK_EQ(Settings.SoftKeyboard, 0);

    // The lower end of the speed bar is always zero.
    LoadWithLine(45, "3.5");
    CHECK_NEAR(Settings.SpeedScaleMin, 0, 0);

    // Decimal numbers only; anything else reads as 0.
    static const struct {
        const char* text;
        double value;
    } numbers[] = {
        {"2.5", 2.5}, {"  -.5", -0.5}, {"1e2", 100}, {"7.25xyz", 7.25}, {"abc", 0}, {"", 0},
        {"0x10", 0},  {"inf", 0},      {"nan", 0},   {".", 0},          {"+3.", 3},
    };
    for (const auto& n : numbers) {
        LoadWithLine(53, n.text);
        CHECK_EQ(App.ConfigCorrupt, 0);
        CHECK_NEAR(Settings.LineIncrement, n.value, 0);
    }
}

static void TestLongLines()
{
    // A survey line longer than the field keeps its first 23 characters;
    // a 300-character line does not shift the lines after it.
    const std::string line = "ABCDEFGHIJKLMNOPQRSTUVWXYZ" + std::string(274, 'Q');
    LoadBytes(DefaultsWith({{52, line.c_str()}, {53, "4.5"}}));
    CHECK_EQ(App.ConfigCorrupt, 0);
    CHECK(std::wcscmp(Settings.SurveyLine, L"ABCDEFGHIJKLMNOPQRSTUVW") == 0);
    CHECK_NEAR(Settings.LineIncrement, 4.5, 0);
}

// Lines are cut at 263 characters (the rest is read to the line feed), the
// byte before the line feed is dropped as its carriage return, and a last
// line without a line feed is lost; the buffer is never written past.
static void TestReadConfigLine()
{
    std::wstring path = ConfigPath();
    WriteBytes(path, std::string(300, 'A') + "\r\n" + std::string(264, 'C') + "\r\n" + "\n" +
                         "x\n" + "tail");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[CONFIG_LINE_CHARS + 64];
    std::memset(buffer, 0x5A, sizeof buffer);
    const struct {
        int length;
        char fill;
    } lines[] = {{263, 'A'}, {263, 'C'}, {0, 0}, {0, 0}, {0, 0}};
    for (const auto& line : lines) {
        CHECK_EQ(ReadConfigLine(file, buffer), line.length);
        CHECK_STR(buffer, std::string(line.length, line.fill));
    }
    CloseHandle(file);
    int untouched = 1;
    for (size_t i = CONFIG_LINE_CHARS; i < sizeof buffer; ++i) untouched &= buffer[i] == 0x5A;
    CHECK(untouched);
}

int main()
{
    Defaults = Settings;
    App.StorageMode = 2;
    Layout.ProfileHeight = 200;
    Layout.BarsHeight = 80;
    Layout.ProfileWidth = 215;

    TestFirstStartWritesDefaults();
    TestSaveAndLoadKeepValues();
    TestOtherLayoutsReplaced();
    TestRangeChecks();
    TestUnusableValuesKept();
    TestCorruptStopsReading();
    TestShortAndOddFiles();
    TestLongLines();
    TestReadConfigLine();

    RemoveConfigFile();
    return TestSummary("test_config_file");
}

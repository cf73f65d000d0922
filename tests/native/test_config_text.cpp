// The configuration file's text: a value is judged as a save will write it,
// so that a file the reader accepts is saved as one the next start accepts.
#include <string>

#include "config_lines.h"
#include "settings/settings.h"
#include "test_check.h"

namespace {

const SettingsRecord Defaults = Settings;

// The defaults as saved, with line `number` (1-based) replaced; 1 when the
// value lines are accepted.
int LoadWith(int number, const char* text)
{
    Settings = Defaults;
    std::string file = ConfigFileText();
    size_t at = 0;
    for (int n = 1; n < number; ++n) at = file.find("\r\n", at) + 2;
    file.replace(at, file.find("\r\n", at) - at, text);
    ConfigBytes b{file.data(), file.size(), file.find("\r\n") + 2};
    return ReadConfigLines(NextConfigLine, &b, NoDerivedValues);
}

void TestValuesJudgedAsSaved()
{
    // Written with six decimals these are 0.000000, which the checks refuse.
    CHECK(!LoadWith(46, "0.0000004"));
    CHECK(!LoadWith(36, "0.0000004"));
    CHECK(LoadWith(35, "-0.0000004") && Settings.ProfileScaleMin == 0.0f);
    // Beyond a float's range: no number, as an infinity would be saved.
    CHECK(!LoadWith(46, "1e39"));
    CHECK(LoadWith(73, "0.12345678") && Settings.GpsWarnPdop == 0.123457f);
    CHECK(LoadWith(51, "0.2") && Settings.ReadingInterval == 0.2f);
    // A double too long for a line keeps what reading a saved line keeps.
    CHECK(LoadWith(48, "1e300"));
    const std::string saved = ConfigFileText();
    ConfigBytes b{saved.data(), saved.size(), saved.find("\r\n") + 2};
    CHECK(ReadConfigLines(NextConfigLine, &b, NoDerivedValues));
    CHECK(ConfigFileText() == saved);
}

} // namespace

int main()
{
    TestValuesJudgedAsSaved();
    return TestSummary("test_config_text");
}

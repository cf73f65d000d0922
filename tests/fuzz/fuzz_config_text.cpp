// libFuzzer target: any bytes as the configuration file. A file the reader
// accepts is one the program can keep using: written back as the program
// saves it, it is accepted again and written back the same, so no save
// ever turns good settings into a file the next start resets.
// Sources: settings/config_text.cpp settings/settings.cpp settings/entry_rules.cpp
#include "settings/settings.h"
#include "../support/config_lines.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Reads a whole file; 0 when its version line differs or a value fails.
int Load(const std::string& file)
{
    ConfigBytes b{file.data(), file.size(), 0};
    char version[CONFIG_LINE_CHARS];
    NextConfigLine(&b, version);
    if (std::strcmp(version, ConfigVersion) != 0) return 0;
    return ReadConfigLines(NextConfigLine, &b, NoDerivedValues);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const SettingsRecord Defaults = Settings;
    Settings = Defaults;
    // Most inputs start with the version line, as every file the program meets does.
    std::string file(reinterpret_cast<const char*>(data), size);
    if (size > 0 && data[0] != 'V') file = std::string(ConfigVersion) + "\r\n" + file;
    if (!Load(file)) return 0;
    const std::string saved = ConfigFileText();
    Settings = Defaults;
    if (!Load(saved) || ConfigFileText() != saved) std::abort();
    return 0;
}

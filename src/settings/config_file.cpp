// The positional configuration file "Q61MK2CX.INI": one value per line, no
// keys, CRLF line ends, a version line on top. The lines themselves are
// config_text's; here the file is found, read, written and replaced, and the
// derived values are computed as soon as their sources are in.
#include "settings/config_file.h"
#include "settings/config_text.h"
#include "app/file_error.h"
#include <string>
#include "settings/derived_values.h"
#include "app/app_state.h"
#include "platform/ce_compat.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

static const wchar_t ConfigFileName[] = L"Q61MK2CX.INI";

static void RunDerivedStep(int step)
{
    switch (step) {
    case DERIVE_PROFILE_SCALE: ComputeProfileScaleValues(); break;
    case DERIVE_GPS_DISPLAY: ComputeGpsDisplayInterval(); break;
    case DERIVE_SPEED_SCALE: ComputeSpeedScaleValues(); break;
    case DERIVE_READING_INTERVAL: ComputeReadingInterval(); break;
    case DERIVE_STATION: ComputeStationValues(); break;
    case DERIVE_MAP_MARKER: ComputeMapMarkerSizes(); break;
    case DERIVE_MAP_EDGE: ComputeMapEdgeMargins(); break;
    }
}

static int NextFileLine(void* file, char* buffer) { return ReadConfigLine((HANDLE)file, buffer); }

void ReadConfigValues(HANDLE file)
{
    if (!ReadConfigLines(NextFileLine, file, RunDerivedStep)) App.ConfigCorrupt = 1;
}

int ReadConfigLine(HANDLE file, char* buffer)
{
    std::string line;
    for (;;) {
        char c;
        DWORD got = 0;
        if (!ReadFile(file, &c, 1, &got, nullptr) || got != 1) break;
        // Of a long line only as many bytes are kept as tell that it was cut.
        if (c == '\n' || line.size() < CONFIG_LINE_CHARS) line += c;
        if (c == '\n') break;
    }
    if (line.empty() || line.back() != '\n') line.clear(); // an unterminated last line is lost
    size_t used = 0;
    return TakeConfigLine(line.data(), line.size(), &used, buffer);
}

static const wchar_t* ConfigDirectory()
{
    switch (App.StorageMode) {
    case STORAGE_CARD: return L"Storage\\KVTINI";
    case STORAGE_ROOT: return L"\\KVTINI";
    default: return L"C_DRIVE\\KVTINI";
    }
}

void ConfigFilePath(wchar_t* out, size_t outChars)
{
    wchar_t devicePath[MAX_PATH];
    std::swprintf(devicePath, MAX_PATH, L"%ls\\%ls", ConfigDirectory(), ConfigFileName);
    CeDevicePath(devicePath, out, outChars);
}

// The file is written beside the old one and then put in its place, so a
// full or removed card never leaves half a configuration (which the next
// start would judge corrupt and reset). A failure is told to the operator
// and the old file stays as it was.
static int WriteConfigFile(const wchar_t* path)
{
    wchar_t temporary[MAX_PATH];
    lstrcpynW(temporary, path, MAX_PATH);
    wchar_t* dot = std::wcsrchr(temporary, L'.');
    if (dot != nullptr) lstrcpynW(dot, L".TMP", 5);
    const std::string text = ConfigFileText();
    DWORD error = ERROR_SUCCESS;
    HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
    } else {
        DWORD written = 0;
        BOOL ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
        if (!ok)
            error = GetLastError();
        else if (written != text.size())
            error = ERROR_DISK_FULL;
        if (!CloseHandle(file) && error == ERROR_SUCCESS) error = GetLastError();
        if (error == ERROR_SUCCESS &&
            !MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = GetLastError();
        if (error != ERROR_SUCCESS) DeleteFileW(temporary);
    }
    if (error == ERROR_SUCCESS) return 1;
    ReportFileError(GetActiveWindow(), L"Cannot write configuration file", path, error,
                    L"The settings were not saved.");
    return 0;
}

static void LoadConfigFile(const wchar_t* path)
{
    App.ConfigCorrupt = 0;
    HANDLE file =
        CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        WriteConfigFile(path); // first start: the defaults
        return;
    }
    char version[CONFIG_LINE_CHARS];
    ReadConfigLine(file, version);
    if (std::strcmp(version, ConfigVersion) != 0) {
        // Another layout: its lines would land in the wrong fields.
        CloseHandle(file);
        DeleteFileW(path);
        WriteConfigFile(path);
        return;
    }
    ReadConfigValues(file);
    CloseHandle(file);
}

int AccessConfigFile(int mode)
{
    wchar_t directory[MAX_PATH], path[MAX_PATH];
    CeDevicePath(ConfigDirectory(), directory, MAX_PATH);
    CreateDirectoryW(directory, nullptr);
    ConfigFilePath(path, MAX_PATH);

    switch (mode) {
    case CONFIG_LOAD: LoadConfigFile(path); break;
    case CONFIG_SAVE: return WriteConfigFile(path);
    case CONFIG_DELETE: DeleteFileW(path); break;
    }
    return 1;
}

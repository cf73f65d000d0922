// The configuration file as the unit tests see it: its bytes read whole,
// and the file and its folder removed when a test is done.
#pragma once
#include <windows.h>

#include <string>

#include "platform/ce_compat.h"
#include "settings/config_file.h"

inline std::wstring ConfigPath()
{
    wchar_t path[MAX_PATH];
    ConfigFilePath(path, MAX_PATH);
    return path;
}

inline std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char chunk[512];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

inline void RemoveConfigFile()
{
    AccessConfigFile(CONFIG_DELETE);
    wchar_t folder[MAX_PATH];
    CeDevicePath(L"\\KVTINI", folder, MAX_PATH);
    RemoveDirectoryW(folder);
}

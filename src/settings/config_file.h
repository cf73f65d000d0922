// The positional configuration file "Q61MK2CX.INI".
#pragma once
#include <windows.h>
#include "settings/settings.h"
#include "settings/config_text.h"

enum { CONFIG_LOAD = 0, CONFIG_SAVE = 1, CONFIG_DELETE = 2 };

// Loads, saves or deletes the file. CONFIG_SAVE returns 0 when the file
// could not be written (the operator has been told; the old file is kept).
int AccessConfigFile(int mode);
void ReadConfigValues(HANDLE file);
int ReadConfigLine(HANDLE file, char* buffer); // buffer of CONFIG_LINE_CHARS

// Full path of the configuration file for the current storage mode.
void ConfigFilePath(wchar_t* out, size_t outChars);

// Naming and creation of the survey data file.
#pragma once
#include <windows.h>

// The "Create Data File" dialog, the header and the first line block; on
// success LogRun.hDataFile is open for appending and the state is stand-by.
void CreateDataFile(HWND owner);
// Closes and reopens the data file for appending (which makes everything
// written so far durable); tells the operator and returns 0 when it cannot.
int ReopenDataFile(HWND owner);
void ComposeDataFileName(HWND owner, wchar_t* name);

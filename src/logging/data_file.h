// Naming, creation and records of the survey data file (27-byte records).
#pragma once
#include <windows.h>

extern int RecordLength;

void CreateDataFile(HWND owner);
void ComposeDataFileName(HWND owner, wchar_t* name);

void WriteHeader();
void WriteLineBlock();
void WriteTimeRecord();
void WriteStationRecord();
void WriteTextRecord(const wchar_t* text, char tag);
void WriteReadingRecord();
void WriteNullRecords(int kind, int withPrevious, const float newOffsets[4],
                      const float previousOffsets[4]);

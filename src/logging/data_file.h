// Naming, creation and records of the survey data file (27-byte records).
#pragma once
#include <windows.h>

extern int RecordLength;

// The "Create Data File" dialog, the header and the first line block; on
// success LogRun.hDataFile is open for appending and the state is stand-by.
void CreateDataFile(HWND owner);
// Closes and reopens the data file for appending (which makes everything
// written so far durable); tells the operator and returns 0 when it cannot.
int ReopenDataFile(HWND owner);
void ComposeDataFileName(HWND owner, wchar_t* name);

// The system error of a record write that failed since the last call, or 0;
// the failure is then reported. Writes stay stopped after a failure until
// ResumeDataFileWrites.
DWORD TakeDataFileError();
void ResumeDataFileWrites();

void WriteHeader();
void WriteLineBlock();
void WriteTimeRecord();
void WriteStationRecord();
void WriteTextRecord(const wchar_t* text, char tag);
void WriteReadingRecord();
void WriteNullRecords(int kind, int withPrevious, const float newOffsets[4],
                      const float previousOffsets[4]);

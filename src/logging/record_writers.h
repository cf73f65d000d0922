// The record writers: each assembles one or more 27-byte records from the
// process-wide records and appends them to the open data file.
#pragma once
#include <windows.h>
#include <cstdint>

// Bytes per record (27 for this instrument).
extern int RecordLength;

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
// A received GPS sentence as a record group (tags as the sentence's kind
// wants them; the fix counter follows an '@' first tag), written only when
// its tick is not before the last Go.
void WriteGpsRecord(const char* text, uint32_t tick, char first, char continuation, char trailer,
                    char flag);
// The run's totals: "$F" the position sentences recorded, "$P" the
// positions stored.
void WriteRunTotals();
// 1 while recording for a sentence that began after the last Go: the
// sentences the position total counts are those the file holds.
int GpsSentenceInRun(uint32_t tick);

// Record writers: each assembles one or more 27-byte records from the
// process-wide records and appends them to the open data file.
#include "logging/record_writers.h"

#include <cwchar>
#include "app/window_handles.h"

#include "app/app_state.h"
#include "gps/gps_state.h"
#include "instrument/acq.h"
#include "instrument/reading_rules.h"
#include "logging/log_run.h"
#include "logging/record_format.h"
#include "platform/ce_compat.h"
#include "settings/settings.h"

#include <cstdlib>

int RecordLength = 27;

namespace {

const int OffsetChannels = 4;

// A record that could not be written whole stops every later write of the
// run (a record after a gap would be worse than none) until the operator
// starts recording again; the logging window is told once, by a posted
// message, because a writer may run inside a reader's hand-over where no
// message box may open.
struct DataFileFailure {
    int Blocked;
    DWORD Error; // system error of the failed write, 0 once told
};
DataFileFailure Failure;

// One WriteFile per record. A partly written record is cut off again so that
// the file stays a sequence of whole 27-byte records.
void AppendRecord(const char* rec)
{
    if (LogRun.hDataFile == INVALID_HANDLE_VALUE || Failure.Blocked) return;
    DWORD written = 0;
    BOOL ok = WriteFile(LogRun.hDataFile, rec, (DWORD)RecordLength, &written, NULL);
    if (ok && written == (DWORD)RecordLength) return;
    // A short write without an error means the medium is full.
    DWORD error = ok ? ERROR_DISK_FULL : GetLastError();
    if (error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
    if (written != 0) {
        LARGE_INTEGER back;
        back.QuadPart = -(LONGLONG)written;
        SetFilePointerEx(LogRun.hDataFile, back, NULL, FILE_CURRENT);
        SetEndOfFile(LogRun.hDataFile);
    }
    Failure.Blocked = 1;
    Failure.Error = error;
    PostMessageW(hLoggingWnd, WM_QOR_FILE_ERROR, 0, 0);
}

// Wide text to the 8-bit text of the file. Characters the C locale cannot
// convert keep their low byte (as the file base name does) instead of
// losing the whole text.
void ToFileText(const wchar_t* text, char* out, size_t outSize)
{
    size_t n = text ? std::wcstombs(out, text, outSize - 1) : 0;
    if (n == (size_t)-1) {
        n = 0;
        for (const wchar_t* p = text; *p && n + 1 < outSize; ++p) out[n++] = (char)(*p & 0xFF);
    }
    out[n] = 0;
}

double SamplingValueOfMode()
{
    switch (Settings.LoggingMode) {
    case LOGGING_WHEEL: return Settings.WheelIncrement;
    case LOGGING_MANUAL: return Settings.ManualStationIncrement;
    default: return Settings.ReadingInterval;
    }
}

} // namespace

DWORD TakeDataFileError()
{
    DWORD error = Failure.Error;
    Failure.Error = 0;
    return error;
}

void ResumeDataFileWrites()
{
    Failure.Blocked = 0;
    Failure.Error = 0;
}

void WriteHeader()
{
    char rec[RecordBufferBytes];
    FormatConfigRecord(rec, Settings.Em61Mk2Type, Settings.GpsEnabled, Settings.Units,
                       Settings.SensorSize, Settings.LoggingMode);
    AppendRecord(rec);

    FormatFileNameRecord(rec, LogRun.FileBaseName, SamplingValueOfMode());
    AppendRecord(rec);

    GpsOptionValues v;
    v.GpsOffsetX = Settings.GpsOffsetX;
    v.GpsOffsetY = Settings.GpsOffsetY;
    v.PolledMode = Acq.PolledMode;
    v.StorageMode = App.StorageMode;
    v.Portrait = Screen.Portrait;
    v.GpsType = Settings.GpsType;
    v.RtsUnits = Settings.RtsUnits;
    v.RtsUnits3 = Settings.RtsUnits3;
    v.MaxGpsDisplay = Settings.MaxGpsDisplay;
    v.InstrumentEnabled = Settings.InstrumentEnabled;
    v.GpsEnabled = Settings.GpsEnabled;
    FormatGpsOptionsRecord(rec, v);
    AppendRecord(rec);

    for (int i = 0; i < OffsetChannels; ++i) {
        FormatOffsetRecord(rec, Acq.NullOffset[i], 0, 0.0f);
        AppendRecord(rec);
    }
}

void WriteLineBlock()
{
    char rec[RecordBufferBytes];
    char line[64];
    ToFileText(Settings.SurveyLine, line, sizeof line);
    FormatLineRecord(rec, line);
    AppendRecord(rec);

    FormatBeginStationRecord(rec, Settings.StartStation);
    AppendRecord(rec);

    FormatDirectionRecord(rec, Settings.LineDirection, Settings.StationIncrement);
    AppendRecord(rec);

    SYSTEMTIME now;
    GetLocalTime(&now);
    FormatDateRecord(rec, now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute, now.wSecond);
    AppendRecord(rec);

    WriteNullRecords(0, 1, Acq.NullOffset, Acq.PrevNullOffset);
}

void WriteTimeRecord()
{
    // The tick comes first so that it never postdates the clock reading.
    DWORD tick = CeGetTickCount();
    SYSTEMTIME now;
    GetLocalTime(&now);
    char rec[RecordBufferBytes];
    FormatTimeRecord(rec, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, tick);
    AppendRecord(rec);
}

void WriteStationRecord()
{
    char rec[RecordBufferBytes];
    FormatStationRecord(rec, LogRun.Station, CeGetTickCount());
    AppendRecord(rec);
}

void WriteTextRecord(const wchar_t* text, char tag)
{
    char text8[64];
    ToFileText(text, text8, sizeof text8);
    char rec[RecordBufferBytes];
    FormatTextRecord(rec, tag, text8, CeGetTickCount());
    AppendRecord(rec);
}

void WriteReadingRecord()
{
    char rec[RecordBufferBytes];
    FormatReadingRecord(rec, InstrumentFrame, Acq.LastDataTick);
    AppendRecord(rec);
}

// kind selects the record tag of the instrument family; this configuration
// only has kind 0, the "O" record.
void WriteNullRecords(int kind, int withPrevious, const float newOffsets[4],
                      const float previousOffsets[4])
{
    (void)kind;
    char rec[RecordBufferBytes];
    for (int i = 0; i < OffsetChannels; ++i) {
        FormatOffsetRecord(rec, newOffsets[i], withPrevious,
                           withPrevious ? previousOffsets[i] : 0.0f);
        AppendRecord(rec);
    }
}

void WriteRunTotals()
{
    wchar_t text[16];
    swprintf(text, 16, L"$F %6ld", (long)GpsLog.FixCount);
    WriteTextRecord(text, 'X');
    swprintf(text, 16, L"$P %6d", (int)GpsLog.PositionCount);
    WriteTextRecord(text, 'X');
}

int GpsSentenceInRun(uint32_t tick)
{
    // A sentence that began before recording started is not part of it.
    return LogRun.FileState == FILE_RECORDING && tick >= LogRun.StartTick;
}

void WriteGpsRecord(const char* text, uint32_t tick, char first, char continuation, char trailer,
                    char flag)
{
    if (tick < LogRun.StartTick) return;
    char recs[12][RecordBufferBytes];
    const int n = FormatGpsRecordGroup(recs, 12, text, first, continuation, trailer, flag,
                                       first == '@', (long)GpsLog.FixCount, tick);
    for (int i = 0; i < n; ++i) AppendRecord(recs[i]);
}

// Proposing a name for a new data file, confirming it with the operator in
// the save-file dialog, and creating the file with its opening records.
#include "logging/data_file_create.h"
#include "app/window_handles.h"
#include "logging/record_writers.h"
#include "app/file_error.h"

#include "app/app_state.h"
#include "logging/file_naming.h"
#include "logging/log_run.h"
#include "platform/ce_compat.h"
#include "serial/delay_events.h"
#include "settings/settings.h"

#include <commdlg.h>

namespace {

const size_t PathChars = 260;

// Data folders by App.StorageMode. Paths are taken from the device root.
struct DataFolder {
    const wchar_t* Parent;       // created first so the folder can be made
    const wchar_t* Folder;       // created each time
    const wchar_t* InitialDir;   // where the dialog opens
    const wchar_t* SearchPrefix; // for the free-letter search
};
const DataFolder DataFolders[3] = {
    {L"C_DRIVE", L"C_DRIVE\\DATAQOR61MK2", L"C_DRIVE\\DATAQOR61MK2\\", L"C_DRIVE\\DATAQOR61MK2\\"},
    {L"Storage", L"Storage\\DATAQOR61MK2", L"\\Storage\\DATAQOR61MK2\\",
     L"Storage\\DATAQOR61MK2\\"},
    {L"My Documents", L"My Documents\\DATAQOR61MK2", L"\\My Documents\\DATAQOR61MK2\\",
     L"My Documents\\DATAQOR61MK2\\"},
};

const DataFolder& DataFolderOfStorage()
{
    int mode = App.StorageMode;
    return DataFolders[(mode >= 0 && mode <= 2) ? mode : 1];
}

// A GPS-only survey (instrument disabled) gets its own extension.
struct DataFileKind {
    const wchar_t* Extension;
    const wchar_t* DefaultExtension;
    const wchar_t* Filter; // double-NUL terminated pairs
};
const DataFileKind InstrumentFile = {L".P61", L"P61", L"QOR61MK2 Files (*.P61)\0*.P61\0"};
const DataFileKind GpsOnlyFile = {L".GXY", L"GXY", L"QORGXY Files (*.GXY)\0*.GXY\0"};

const DataFileKind& DataFileKindOfSurvey()
{
    return Settings.InstrumentEnabled == 1 ? InstrumentFile : GpsOnlyFile;
}

void CreateDataFolder()
{
    const DataFolder& folder = DataFolderOfStorage();
    wchar_t path[PathChars];
    // On the hand-held the parent always exists; an emulated device root
    // may start empty.
    CreateDirectoryW(CeDevicePath(folder.Parent, path, PathChars), NULL);
    CreateDirectoryW(CeDevicePath(folder.Folder, path, PathChars), NULL);
}

// A candidate is taken when it can be opened; a file that cannot be opened
// counts as free and is caught again after the dialog.
bool CandidateTaken(const wchar_t* path, void*)
{
    HANDLE h = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// 1 when a file of that name exists (the operator must choose another),
// 0 when it does not, -1 when the answer is unclear (ask again).
int ExistingFileCheck(const wchar_t* path)
{
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(path, &found);
    if (h != INVALID_HANDLE_VALUE) {
        FindClose(h);
        return 1;
    }
    // The hand-held reports a missing file as ERROR_NO_MORE_FILES, the
    // desktop as ERROR_FILE_NOT_FOUND.
    DWORD error = GetLastError();
    return (error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND) ? 0 : -1;
}

// Shows the save-file dialog with the proposal; 0 when cancelled.
BOOL AskForDataFilePath(HWND owner, wchar_t* path)
{
    const DataFileKind& kind = DataFileKindOfSurvey();
    wchar_t initialDir[PathChars];
    CeDevicePath(DataFolderOfStorage().InitialDir, initialDir, PathChars);

    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof ofn);
    // The hand-held's structure is 76 bytes; the desktop checks for its own.
    ofn.lStructSize = sizeof(OPENFILENAMEW);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kind.Filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = PathChars;
    ofn.lpstrInitialDir = initialDir;
    ofn.lpstrTitle = L"Create Data File";
    ofn.lpstrDefExt = kind.DefaultExtension;
    // The hand-held has no current directory; keep the desktop's unchanged.
    ofn.Flags = OFN_NOCHANGEDIR;
    return GetSaveFileNameW(&ofn);
}

} // namespace

void ComposeDataFileName(HWND, wchar_t* name)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    CreateDataFolder();

    wchar_t datePart[16];
    FormatDatePart(datePart, 16, now.wMonth, now.wDay, now.wHour);
    wchar_t prefix[PathChars];
    CeDevicePath(DataFolderOfStorage().SearchPrefix, prefix, PathChars);
    ProposeDataFileName(name, PathChars, prefix, datePart, DataFileKindOfSurvey().Extension,
                        CandidateTaken, NULL);
}

void CreateDataFile(HWND owner)
{
    wchar_t path[PathChars];
    for (;;) {
        ComposeDataFileName(owner, path);
        if (!AskForDataFilePath(owner, path)) return;
        MatchExtensionCase(path, DataFileKindOfSurvey().Extension);
        ExtractBaseName(path, LogRun.FileBaseName, sizeof LogRun.FileBaseName);
        int exists = ExistingFileCheck(path);
        if (exists == 0) break;
        if (exists == 1) {
            DelayMs(10);
            MessageBoxW(hLoggingWnd, L"The file already exisits. Please enter another name",
                        L"WARNING", MB_ICONEXCLAMATION);
        }
    }

    lstrcpynW(LogRun.FilePath, path, PathChars);
    // Shared for reading: the survey being recorded can be shown on the map.
    LogRun.hDataFile = CreateFileW(LogRun.FilePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                   NULL, CREATE_NEW, 0, NULL);
    // Without a file there is nothing to record into: the run stays without
    // one and the next start asks again. A file that appeared meanwhile is
    // never appended to.
    if (LogRun.hDataFile == INVALID_HANDLE_VALUE) {
        ReportFileError(owner, L"Cannot create data file", LogRun.FilePath, GetLastError());
        return;
    }
    ResumeDataFileWrites();
    WriteHeader();
    WriteLineBlock();
    WriteTimeRecord();
    if (DWORD error = TakeDataFileError()) {
        // A file without its whole header is no data file: it goes again.
        CloseHandle(LogRun.hDataFile);
        LogRun.hDataFile = INVALID_HANDLE_VALUE;
        DeleteFileW(LogRun.FilePath);
        ResumeDataFileWrites();
        ReportFileError(owner, L"Cannot write data file", LogRun.FilePath, error,
                        L"No data file was created.");
        return;
    }
    // Reopened for appending, as every later writer expects.
    if (!ReopenDataFile(owner)) return;
    LogRun.FileState = FILE_STANDBY;
}

int ReopenDataFile(HWND owner)
{
    if (LogRun.hDataFile != INVALID_HANDLE_VALUE) CloseHandle(LogRun.hDataFile);
    LogRun.hDataFile = CreateFileW(LogRun.FilePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                   NULL, OPEN_EXISTING, 0, NULL);
    if (LogRun.hDataFile == INVALID_HANDLE_VALUE) {
        ReportFileError(owner, L"Cannot reopen data file", LogRun.FilePath, GetLastError(),
                        L"Recording is possible again once the file can be opened.");
        return 0;
    }
    SetFilePointer(LogRun.hDataFile, 0, NULL, FILE_END);
    return 1;
}

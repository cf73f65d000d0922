// Runs CreateDataFile with known settings in a small window and writes the
// outcome to datafile_result.txt in the device root, for
// tests/e2e/test_data_file_create.py. The argument "instrument=0" makes it a
// GPS-only survey. Result line: "created state=<FileState> base=<FileBaseName> path=<FilePath>"
// or "cancelled state=<FileState>".
#include "app/app_state.h"
#include "instrument/acq.h"
#include "logging/data_file.h"
#include "logging/log_run.h"
#include "platform/ce_compat.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

namespace {

void SetKnownValues()
{
    App.StorageMode = 1;
    Screen.Portrait = 1;
    Settings.InstrumentEnabled = std::strstr(GetCommandLineA(), "instrument=0") ? 0 : 1;
    Settings.Em61Mk2Type = 0;
    Settings.GpsEnabled = 1;
    Settings.Units = 0;
    Settings.SensorSize = 0;
    Settings.LoggingMode = 0;
    Settings.ReadingInterval = 0.2f;
    Settings.GpsOffsetX = 1.5f;
    Settings.GpsOffsetY = -0.25f;
    Settings.GpsType = 3;
    Settings.MaxGpsDisplay = 2;
    lstrcpyW(Settings.SurveyLine, L"Line12345");
    Settings.StartStation = -12.5;
    Settings.LineDirection = 3;
    Settings.StationIncrement = 0.5;
    Settings.ChannelCount = 4;
    Acq.PolledMode = 1;
    const float offsets[4] = {1.25f, -2.5f, 0.0f, 100.0f};
    const float previous[4] = {0.5f, 0.0f, -7.75f, 3.0f};
    for (int i = 0; i < 4; ++i) {
        Acq.NullOffset[i] = offsets[i];
        Acq.PrevNullOffset[i] = previous[i];
    }
}

void WriteResult()
{
    wchar_t resultPath[MAX_PATH];
    CeDevicePath(L"datafile_result.txt", resultPath, MAX_PATH);
    FILE* f = _wfopen(resultPath, L"w");
    if (!f)
        return;
    if (LogRun.FileState == -1)
        std::fprintf(f, "created state=%d base=%s path=%ls\n", (int)LogRun.FileState,
                     LogRun.FileBaseName, LogRun.FilePath);
    else
        std::fprintf(f, "cancelled state=%d\n", (int)LogRun.FileState);
    std::fclose(f);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CeInitDeviceRoot();
    SetKnownValues();

    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = L"DataFileDriver";
    RegisterClassW(&wc);
    hLoggingWnd = CreateWindowExW(0, L"DataFileDriver", L"Data File Driver",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240, 320, NULL, NULL,
                                  instance, NULL);

    CreateDataFile(hLoggingWnd);
    if (LogRun.hDataFile != INVALID_HANDLE_VALUE)
        CloseHandle(LogRun.hDataFile);
    WriteResult();
    DestroyWindow(hLoggingWnd);
    return 0;
}

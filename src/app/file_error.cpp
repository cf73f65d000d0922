// "FILE ERROR" messages with the system's reason.
#include "app/file_error.h"

#include <cwchar>

void ReportFileError(HWND owner, const wchar_t* what, const wchar_t* path, DWORD error,
                     const wchar_t* consequence)
{
    wchar_t reason[256] = L"";
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, reason, 256, nullptr);
    // The system's text ends with a line break of its own.
    while (n > 0 && (reason[n - 1] == L'\r' || reason[n - 1] == L'\n' || reason[n - 1] == L' '))
        reason[--n] = 0;
    if (n == 0) std::swprintf(reason, 256, L"Error %lu", (unsigned long)error);
    wchar_t text[1024];
    std::swprintf(text, 1024, L"%ls\r\n%ls\r\n%ls%ls%ls", what, path, reason,
                  consequence ? L"\r\n" : L"", consequence ? consequence : L"");
    MessageBoxW(owner, text, L"FILE ERROR", MB_OK | MB_ICONEXCLAMATION);
}

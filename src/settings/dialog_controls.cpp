// Dialog control helpers.
#include "settings/dialog_controls.h"

#include <cwchar>

void SetNumber(HWND dialog, int id, const wchar_t* format, double value)
{
    wchar_t text[48];
    swprintf(text, 48, format, value);
    SetDlgItemTextW(dialog, id, text);
}

double GetNumber(HWND dialog, int id, int maxChars)
{
    wchar_t text[64] = L"";
    GetDlgItemTextW(dialog, id, text, maxChars + 1);
    return wcstod(text, NULL);
}

void FillCombo(HWND dialog, int id, const wchar_t* const* items, int count, int selected)
{
    HWND combo = GetDlgItem(dialog, id);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)items[i]);
    SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

int ComboChoice(HWND dialog, int id)
{
    return (int)SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
}

void TakeComboChoice(HWND dialog, int id, int32_t* setting, int offset)
{
    const int choice = ComboChoice(dialog, id);
    if (choice >= 0) *setting = choice + offset;
}

const wchar_t* const* ComPortNames()
{
    static wchar_t names[COM_PORT_NAMES][8];
    static const wchar_t* list[COM_PORT_NAMES];
    if (!list[0])
        for (int i = 0; i < COM_PORT_NAMES; ++i) {
            swprintf(names[i], 8, L"COM%d:", i + 1);
            list[i] = names[i];
        }
    return list;
}

void ShowControl(HWND dialog, int id, int shown)
{
    ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE);
}

INT_PTR CloseOnOkOrCancel(HWND dialog, WPARAM wParam, INT_PTR (*accept)(HWND))
{
    if (LOWORD(wParam) == IDOK) {
        EndDialog(dialog, accept(dialog));
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

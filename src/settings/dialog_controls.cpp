// Dialog control helpers.
#include "settings/dialog_controls.h"

#include <cwchar>

enum { NUMBER_CHARS = 127 }; // the most any field is read with

void SetNumber(HWND dialog, int id, const wchar_t* format, double value)
{
    wchar_t text[64] = L"";
    if (swprintf(text, 64, format, value) < 0) text[0] = L'\0'; // too long: nothing shown
    text[63] = L'\0';
    SetDlgItemTextW(dialog, id, text);
}

double GetNumber(HWND dialog, int id, int maxChars)
{
    wchar_t text[NUMBER_CHARS + 1] = L"";
    GetDlgItemTextW(dialog, id, text, (maxChars < NUMBER_CHARS ? maxChars : NUMBER_CHARS) + 1);
    return wcstod(text, NULL);
}

void LimitField(HWND dialog, int id, EntryValue kind)
{
    SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, RangeOf(kind).MaxChars, 0);
}

int TakeValue(HWND dialog, int id, EntryValue kind, const wchar_t* name, double* value)
{
    *value = GetNumber(dialog, id);
    if (InRange(kind, *value)) return 1;
    RefuseValue(dialog, id, kind, name);
    return 0;
}

void RefuseValue(HWND dialog, int id, EntryValue kind, const wchar_t* name)
{
    wchar_t text[128];
    swprintf(text, 128, L"%ls\r\nAllowed: %g to %g", name, RangeOf(kind).Low, RangeOf(kind).High);
    MessageBoxW(dialog, text, L"WARNING", MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dialog, id));
    SendDlgItemMessageW(dialog, id, EM_SETSEL, 0, -1);
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
        const INT_PTR result = accept(dialog);
        if (result != KEEP_DIALOG_OPEN) EndDialog(dialog, result);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

// Small helpers of the dialog procedures: numbers in edit fields, combo
// lists and their choice.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "settings/entry_rules.h"

void SetNumber(HWND dialog, int id, const wchar_t* format, double value);
// Text that does not start with a number reads as 0.
double GetNumber(HWND dialog, int id, int maxChars = 31);
// An edit field takes no more characters than its kind of value needs.
void LimitField(HWND dialog, int id, EntryValue kind);
// The field's number when it is in range; otherwise 0 after telling the
// range in a message and putting the focus back on the field.
int TakeValue(HWND dialog, int id, EntryValue kind, const wchar_t* name, double* value);
// The message of a refused value, the focus back on its field.
void RefuseValue(HWND dialog, int id, EntryValue kind, const wchar_t* name);
void FillCombo(HWND dialog, int id, const wchar_t* const* items, int count, int selected);
template <size_t N>
void FillCombo(HWND dialog, int id, const wchar_t* const (&items)[N], int selected)
{
    FillCombo(dialog, id, items, (int)N, selected);
}
int ComboChoice(HWND dialog, int id);
// The choice plus offset into setting; a combo without a choice (a value
// from the file outside its list) keeps the setting as it was.
void TakeComboChoice(HWND dialog, int id, int32_t* setting, int offset = 0);
// "COM1:" .. "COM24:", the serial ports a list offers.
enum { COM_PORT_NAMES = 24 };
const wchar_t* const* ComPortNames();
// Shows or hides a control.
void ShowControl(HWND dialog, int id, int shown);
// The end of a dialog: OK runs accept and ends with what it returns unless
// that is KEEP_DIALOG_OPEN (a value was refused), Cancel ends with 0. FALSE
// for any other command.
enum { KEEP_DIALOG_OPEN = -1 };
INT_PTR CloseOnOkOrCancel(HWND dialog, WPARAM wParam, INT_PTR (*accept)(HWND));

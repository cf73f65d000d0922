// Small helpers of the dialog procedures: numbers in edit fields, combo
// lists and their choice.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

void SetNumber(HWND dialog, int id, const wchar_t* format, double value);
// Text that does not start with a number reads as 0.
double GetNumber(HWND dialog, int id, int maxChars = 31);
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
// The end of a dialog: OK runs accept and ends with what it returns, Cancel
// ends with 0. FALSE for any other command.
INT_PTR CloseOnOkOrCancel(HWND dialog, WPARAM wParam, INT_PTR (*accept)(HWND));

// Soft-input-panel button and soft keyboard, through the shell of the
// hand-held (nothing happens where there is none).
#include "app/shell.h"
#include "app/app_state.h"
#include "platform/ce_compat.h"
#include "settings/settings.h"

void ShowSipButton(int show)
{
    if (App.StorageMode == STORAGE_C_DRIVE) return;
    if (show && Settings.SoftKeyboard != 1) return;
    HWND button = CeFindShellWindow(L"MS_SIPBUTTON", L"MS_SIPBUTTON");
    if (button) ShowWindow(button, show ? SW_SHOW : SW_HIDE);
}

void SetSipState(HWND window, int up)
{
    if (App.StorageMode == STORAGE_C_DRIVE || Settings.SoftKeyboard != 1) return;
    CeSipPreference(window, up ? 0 : 2);
}

void ReclaimKeyboardFocus(HWND child)
{
    if (IsWindowVisible(child) && GetActiveWindow() == App.hMainWnd && GetFocus() != child)
        SetFocus(child);
}

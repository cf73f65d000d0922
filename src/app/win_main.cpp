// Program entry: one copy only, window classes, the main window, the
// message loop.
#include "app/app_state.h"
#include "app/screen_geometry.h"
#include "app/shell.h"
#include "app/window_classes.h"
#include "app/window_handles.h"
#include "platform/ce_compat.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CeInitDeviceRoot();

    HWND running = FindWindowW(L"EM61", nullptr);
    if (running) {
        CeBringWindowToFront(running);
        return -1;
    }
    int registration = RegisterWindowClasses(instance);
    if (registration != 0) return registration;

    App.hInstance = instance;
    ShowSipButton(0);

    HWND hwnd =
        CeCreateTopLevelWindow(0, L"EM61", L"QOR", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!IsWindow(hwnd)) return 16;

    ClassifyScreenFromWindow(hwnd, &Screen);
    Screen.OriginX = Screen.OriginY = 0;
    MoveWindow(hwnd, 0, 0, Screen.Width, Screen.Height, TRUE);
    UpdateWindow(hwnd);

    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The profile display options window is driven by keys like a dialog.
        if (hDisplayOptionsWnd && IsDialogMessageW(hDisplayOptionsWnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}

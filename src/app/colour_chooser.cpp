// The system's colour chooser, looked up once and called through its entry.
#include "app/colour_chooser.h"

#include <commdlg.h>

FARPROC ChooseColorEntry = nullptr;

int ChooseColourFor(HWND owner, COLORREF* colour)
{
    if (!ChooseColorEntry) return 0;
    COLORREF custom[16] = {};
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = *colour;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    auto choose =
        reinterpret_cast<BOOL(WINAPI*)(CHOOSECOLORW*)>(reinterpret_cast<void*>(ChooseColorEntry));
    if (!choose(&cc)) return 0;
    *colour = cc.rgbResult;
    return 1;
}

// The process-wide application, screen, font and layout records.
#include "app/app_state.h"

AppRecord App = {
    nullptr, // hInstance
    nullptr, // hMainWnd
    0,       // StorageMode: set when the main window is created
    0,       // KeepAliveRunning
    nullptr, // hKeepAliveThread
    0,       // UptimeWarning
    {},      // MenuButton
    1,       // MenuSelection: "&Survey Setup" highlighted first
    0,       // ConfigCorrupt
};
ScreenRecord Screen;
FontRecord Font;
LayoutRecord Layout;

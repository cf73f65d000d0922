// The logging window's key and menu mapping (see command_keys.h).
#include "logging/command_keys.h"

int ActionOfMenuId(int id)
{
    // Each command of the stand-by menu and its twin of the menu shown
    // without a data file.
    switch (id) {
    case IDM_NEW_LINE: return ACT_NEW_LINE;
    case IDM_NEW_STATION: return ACT_NEW_STATION;
    case IDM_COMMENT: return ACT_COMMENT;
    case IDM_SCALE_MAP:
    case IDM_IDLE_SCALE_MAP: return ACT_SCALE_MAP;
    case IDM_SCALE_PROFILE:
    case IDM_IDLE_SCALE_PROFILE: return ACT_SCALE_PROFILE;
    case IDM_MAP_OPTIONS:
    case IDM_IDLE_MAP_OPTIONS: return ACT_MAP_OPTIONS;
    case IDM_PROFILE_OPTIONS:
    case IDM_IDLE_PROFILE_OPTIONS: return ACT_PROFILE_OPTIONS;
    case IDM_TOGGLE_VIEW:
    case IDM_IDLE_TOGGLE_VIEW: return ACT_TOGGLE_VIEW;
    case IDM_EXTERNAL_FILE:
    case IDM_IDLE_EXTERNAL_FILE: return ACT_EXTERNAL_FILE;
    case IDM_ASCII_FILE:
    case IDM_IDLE_ASCII_FILE: return ACT_ASCII_FILE;
    case IDM_HIDE_MENU:
    case IDM_IDLE_HIDE_MENU: return ACT_HIDE_MENU;
    case IDM_SPEED_BAR:
    case IDM_IDLE_SPEED_BAR: return ACT_SPEED_SCALE;
    case IDM_GPS_WARNING:
    case IDM_IDLE_GPS_WARNING: return ACT_GPS_WARNING;
    case IDM_COORDINATES:
    case IDM_IDLE_COORDINATES: return ACT_COORDINATES;
    default: return ACT_NONE;
    }
}

static int UpperLetter(int key) { return (key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key; }

int ActionOfKey(int key, int fileState)
{
    int standBy = fileState == -1;
    switch (UpperLetter(key)) {
    case 'F': return fileState == 0 ? ACT_PRIMARY : ACT_NONE;
    case 'G': return standBy ? ACT_PRIMARY : ACT_NONE;
    case 'Q': return standBy ? ACT_QUICK_LINE : ACT_NONE;
    case 'X': return ACT_EXIT;
    case 'M': return ACT_MENU;
    case 'L': return standBy ? ACT_NEW_LINE : ACT_NONE;
    case 'N': return standBy ? ACT_NEW_STATION : ACT_NONE;
    case 'C': return standBy ? ACT_COMMENT : ACT_NONE;
    case 'S': return ACT_SCALE_MAP;
    case 'P': return ACT_SCALE_PROFILE;
    case 'A': return ACT_MAP_OPTIONS;
    case 'R': return ACT_PROFILE_OPTIONS;
    case 'T': return ACT_TOGGLE_VIEW;
    case 'U': return fileState == 0 ? ACT_NULL : ACT_NONE;
    case 'E': return ACT_EXTERNAL_FILE;
    case 'I': return ACT_ASCII_FILE;
    case 'H': return ACT_HIDE_MENU;
    case 'B': return ACT_SPEED_SCALE;
    case 'W': return ACT_GPS_WARNING;
    default: return ACT_NONE;
    }
}

int HighlightStep(int key)
{
    if (key == KEY_TAB || key == KEY_RIGHT || key == KEY_DOWN) return 1;
    if (key == KEY_LEFT || key == KEY_UP) return -1;
    return 0;
}

int NextButtonFocus(int focus, int step, int first, int count)
{
    focus += step;
    if (focus > count - 1) focus = first;
    if (focus < first) focus = count - 1;
    return focus;
}

int IsSoftMarkerKey(int key, int softMarker)
{
    if (softMarker == 1) return key >= '0' && key <= '9';
    if (softMarker == 2) return key >= KEY_LEFT && key <= KEY_DOWN;
    return 0;
}

int IsPauseKey(int key, int pauseKey, int markPending)
{
    switch (pauseKey) {
    case 0: return markPending != 1;
    case 1: return key == KEY_SPACE;
    case 2: return key == KEY_RETURN;
    case 3: return key == 'P' || key == 'p';
    default: return 0;
    }
}

int ReversedDirection(int direction) { return 3 - direction; }

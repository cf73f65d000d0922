#include "logging/command_keys.h"

int ActionOfMenuId(int id)
{
    switch (id) {
    case 42: return ACT_NEW_LINE;
    case 43: return ACT_NEW_STATION;
    case 44: return ACT_COMMENT;
    case 45: case 72: return ACT_SCALE_MAP;
    case 46: case 73: return ACT_SCALE_PROFILE;
    case 57: case 83: return ACT_MAP_OPTIONS;
    case 58: case 84: return ACT_PROFILE_OPTIONS;
    case 49: case 76: return ACT_TOGGLE_VIEW;
    case 53: case 79: return ACT_EXTERNAL_FILE;
    case 54: case 80: return ACT_ASCII_FILE;
    case 56: case 82: return ACT_HIDE_MENU;
    case 60: case 85: return ACT_SPEED_SCALE;
    case 63: case 88: return ACT_GPS_WARNING;
    case 64: case 89: return ACT_COORDINATES;
    default: return ACT_NONE;
    }
}

static int UpperLetter(int key)
{
    return (key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key;
}

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
    if (key == KEY_TAB || key == KEY_RIGHT || key == KEY_DOWN)
        return 1;
    if (key == KEY_LEFT || key == KEY_UP)
        return -1;
    return 0;
}

int NextButtonFocus(int focus, int step, int first, int count)
{
    focus += step;
    if (focus > count - 1)
        focus = first;
    if (focus < first)
        focus = count - 1;
    return focus;
}

int IsSoftMarkerKey(int key, int softMarker)
{
    if (softMarker == 1)
        return key >= '0' && key <= '9';
    if (softMarker == 2)
        return key >= KEY_LEFT && key <= KEY_DOWN;
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

int ReversedDirection(int direction)
{
    return 3 - direction;
}

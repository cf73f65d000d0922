// The logging window's command numbers and the pure part of its keyboard
// and menu mapping. Free of Win32 so that the mapping can be tested alone.
#pragma once
#include "resource_ids.h"

enum LogAction {
    ACT_NONE = -1,
    ACT_PRIMARY = 0, // File, Go or Pause by state
    ACT_QUICK_LINE = 1,
    ACT_EXIT = 2,
    ACT_MENU = 3,
    ACT_NEW_LINE = 101,
    ACT_NEW_STATION = 102,
    ACT_COMMENT = 103,
    ACT_SCALE_MAP = 104,
    ACT_SCALE_PROFILE = 105,
    ACT_MAP_OPTIONS = 106,
    ACT_PROFILE_OPTIONS = 107,
    ACT_TOGGLE_VIEW = 108,
    ACT_NULL = 109,
    ACT_EXTERNAL_FILE = 110,
    ACT_ASCII_FILE = 111,
    ACT_HIDE_MENU = 112,
    ACT_SPEED_SCALE = 113,
    ACT_GPS_WARNING = 116,
    ACT_COORDINATES = 117,
};

enum {
    KEY_TAB = 9,
    KEY_RETURN = 13,
    KEY_SPACE = 32,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
};

// Action of a popup-menu command id, or ACT_NONE.
int ActionOfMenuId(int id);

// Action of a command key outside recording (fileState 0 or -1), or ACT_NONE.
// Letters count in either case. Highlight keys are not mapped here.
int ActionOfKey(int key, int fileState);

// 1 when key moves the highlight forward (Tab, Right, Down), -1 backward
// (Left, Up), 0 otherwise.
int HighlightStep(int key);

// Next highlighted button index when moving by step within first..count-1.
int NextButtonFocus(int focus, int step, int first, int count);

// Whether the key is a soft-marker key for the marker setting (1 digits,
// 2 arrows).
int IsSoftMarkerKey(int key, int softMarker);

// Whether a key pressed while recording pauses, by the pause-key setting
// (0 any key that is not a marker key, 1 Space, 2 Return, 3 'P').
int IsPauseKey(int key, int pauseKey, int markPending);

// Direction of the next line in the Alternate sequence: West<->East,
// South<->North.
int ReversedDirection(int direction);

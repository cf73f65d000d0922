// Every window procedure of the program is the same walk over a constant
// table of (message, handler) pairs; unmatched messages go to DefWindowProcW.
#pragma once
#include <windows.h>
#include <cstddef>

typedef LRESULT (*MessageHandler)(HWND, UINT, WPARAM, LPARAM);

struct MessageEntry {
    UINT Message;
    MessageHandler Handler;
};

inline LRESULT DispatchMessageTable(const MessageEntry* table, size_t count, HWND hwnd, UINT msg,
                                    WPARAM wParam, LPARAM lParam)
{
    for (size_t i = 0; i < count; ++i)
        if (table[i].Message == msg) return table[i].Handler(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Defines a window procedure NAME that walks TABLE.
#define DEFINE_TABLE_WNDPROC(NAME, TABLE)                                                          \
    LRESULT CALLBACK NAME(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)                       \
    {                                                                                              \
        return DispatchMessageTable(TABLE, sizeof(TABLE) / sizeof(TABLE[0]), hwnd, msg, wParam,    \
                                    lParam);                                                       \
    }

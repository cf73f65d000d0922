// Rebuilding the profile pane from the data file: the file is read
// backwards from its end, record by record, until the pane is full or
// the start of the line is reached. The file is the only history.
#include "display/display_state.h"
#include "display/profile_pane.h"
#include "display/profile_replay.h"
#include "display/stored_records.h"
#include "app/app_state.h"
#include "instrument/acq.h"
#include "instrument/em61mk2_decode.h"
#include "logging/record_writers.h"
#include "logging/log_run.h"
#include "settings/settings.h"
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

static bool IsReadingLetter(unsigned char letter)
{
    // Every frame letter the readers accept is stored as a reading.
    switch (letter) {
    case 'T':
    case 'D':
    case 'E':
    case 'F':
    case 'M':
    case 'N':
    case 'P':
    case 'Q':
    case 'J':
    case 'K':
    case 'j':
    case 'k': return true;
    default: return false;
    }
}

static size_t ReadFileAt(void* file, uint32_t at, unsigned char* out, size_t size)
{
    DWORD got = 0;
    if (SetFilePointer((HANDLE)file, (LONG)at, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile((HANDLE)file, out, (DWORD)size, &got, nullptr))
        return 0;
    return got;
}

// Hands the stretch collected so far to draw(), oldest point first: the
// polylines then run in the direction live drawing ran, so that they land
// on the same pixels.
static void DrawStretch(std::vector<POINT> (&lists)[4], int capacity, int count,
                        ReplayDrawFunction draw, void* context)
{
    if (count == 0) return;
    const POINT* const oldestFirst[4] = {
        lists[0].data() + capacity - count, lists[1].data() + capacity - count,
        lists[2].data() + capacity - count, lists[3].data() + capacity - count};
    draw(context, oldestFirst, count);
}

void WalkProfileRecords(HANDLE file, int recordLength, int startX, const float startOffsets[4],
                        ReplayDrawFunction draw, void* context)
{
    if (recordLength < 14 || startX < 0) return;
    const int capacity = startX / 2 + 1;
    std::vector<POINT> lists[4];
    for (auto& list : lists) list.resize(capacity);
    std::vector<unsigned char> record(recordLength + 1);
    float offsets[4] = {startOffsets[0], startOffsets[1], startOffsets[2], startOffsets[3]};

    const DWORD start = SetFilePointer(file, 0, nullptr, FILE_CURRENT);
    if (start == INVALID_SET_FILE_POINTER) return;
    BackwardReader reader = StartBackwardReader(ReadFileAt, file, (uint32_t)recordLength, start);
    int x = startX;
    int count = 0;
    // A file without a line block before its readings ends at its start.
    while (StepBack(reader, record.data())) {
        unsigned char tag = record[0];
        if (tag == 'Z') break;
        if (tag == 'S') {
            x -= 2;
            DrawStretch(lists, capacity, count, draw, context);
            count = 0;
            continue;
        }
        if (tag == 'O') {
            // Walking backwards meets channel 4 first; older readings were
            // taken with the offsets from before the null.
            offsets[3] = PreviousOffset(record.data(), recordLength);
            bool whole = true;
            for (int channel = 2; channel >= 0 && whole; --channel) {
                whole = StepBack(reader, record.data());
                if (whole) offsets[channel] = PreviousOffset(record.data(), recordLength);
            }
            if (!whole) break;
            continue;
        }
        if (!IsReadingLetter(tag)) continue;

        float values[4];
        if (!DecodeStoredReading(record.data(), offsets, values)) continue;
        float shown[4];
        CompressValues(values[0], values[1], values[2], values[3], &shown[0], &shown[1], &shown[2],
                       &shown[3]);
        int profileY[4], barY[4];
        ChannelsToPixels(shown[0], shown[1], shown[2], shown[3], profileY, barY);
        // Collected from the newest backwards, stored from the end forwards.
        if (count < capacity) {
            for (int i = 0; i < 4; ++i)
                if (Settings.ChannelShown[i] == 1)
                    lists[i][capacity - 1 - count] = POINT{x, profileY[i]};
            ++count;
        }
        x -= 2;
        if (x < 0) break;
    }
    SetFilePointer(file, (LONG)start, nullptr, FILE_BEGIN);
    DrawStretch(lists, capacity, count, draw, context);
}

void DrawReplayedProfiles(HWND window, const POINT* list1, const POINT* list2, const POINT* list3,
                          const POINT* list4, int count)
{
    const POINT* lists[4] = {list1, list2, list3, list4};
    HDC hdc = GetDC(window);
    HGDIOBJ oldPen = GetCurrentObject(hdc, OBJ_PEN);
    for (int i = 0; i < 4; ++i) {
        if (Settings.ChannelShown[i] != 1) continue;
        SelectObject(hdc, Gdi.ChannelPen[i]);
        if (count == 1) {
            // A lone reading is a dot, as live drawing starts a line.
            POINT dot[2] = {lists[i][0], {lists[i][0].x + 1, lists[i][0].y}};
            Polyline(hdc, dot, 2);
        } else {
            Polyline(hdc, lists[i], count);
        }
    }
    SelectObject(hdc, oldPen);
    ReleaseDC(window, hdc);
}

static void DrawIntoWindow(void* context, const POINT* const lists[4], int count)
{
    DrawReplayedProfiles((HWND)context, lists[0], lists[1], lists[2], lists[3], count);
}

void ReplayProfiles(HWND window)
{
    if (LogRun.hDataFile == INVALID_HANDLE_VALUE || LogRun.hDataFile == nullptr) return;
    WalkProfileRecords(LogRun.hDataFile, RecordLength, Layout.ProfilePoints, Acq.NullOffset,
                       DrawIntoWindow, window);
}

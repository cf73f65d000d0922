// GPS input: the sentence selection per GPS type, the reader threads and
// the logging window's handler of each sentence they hand over.
#pragma once
#include <windows.h>
#include <cstdint>

#include "gps/nmea_sentence.h"

// The sentence being handed over and the table of the current type; valid
// inside the handlers of 0x411, 0x40B and 0x410 only.
extern char GpsSentence[256];
extern volatile uint32_t GpsSentenceTick; // the tick of its '$'
extern GpsFormatRecord GpsFormat;

// The total station's last position (its own units) and its record's tick;
// written by its reader, which posts 0x40F and does not wait.
struct RtsPositionRecord {
    volatile double Northing, Easting;
    volatile uint32_t Tick;
};
extern RtsPositionRecord RtsPosition;

void InitGpsSentenceSet(int gpsType);
// The NMEA reader's hand-over (FeedSentenceRead's deliver): the sentence in
// GpsSentence, its '$' read at tick, goes to the logging window, and the
// reader waits until the window's handler has taken it.
void DeliverSentence(void* context, uint32_t tick);
DWORD WINAPI NmeaReaderThread(LPVOID);
DWORD WINAPI TotalStationReader(LPVOID);

// A sentence (0x411): checked, recorded and, once per display interval,
// decoded.
LRESULT HandleGpsSentence(HWND, UINT, WPARAM, LPARAM);
// A total station's label record (WM_QOR_RTS_RECORD): recorded whole.
LRESULT HandleRtsRecord(HWND, UINT, WPARAM, LPARAM);

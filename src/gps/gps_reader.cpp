// The GPS reader thread and the logging window's handlers of its sentences:
// each line is checked, recorded while recording (every malformed line and
// every position sentence, with the GSA paired to one for type 0) and, at
// most once per display interval, decoded.
//
// Hand-over: the reader assembles one sentence at a time into GpsSentence
// and SendMessageW's it to the logging window; it waits until the handler
// (and the fix or GSA handler it sends to in turn) is done, so the buffer
// and its tick need no lock.
#include "gps/gps_reader.h"

#include "app/window_handles.h"
#include "gps/gps_state.h"
#include "gps/label_exchange.h"
#include "gps/nmea_sentence.h"
#include "gps/sentence_feed.h"
#include "logging/log_run.h"
#include "logging/record_writers.h"
#include "platform/ce_compat.h"
#include "serial/serial_ports.h"
#include "settings/settings.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

char GpsSentence[256]; // written by the reader, read inside the hand-over
GpsFormatRecord GpsFormat = {"GGA", 0, {}, {}, 0};
RtsPositionRecord RtsPosition = {0.0, 0.0, 0};
volatile uint32_t GpsSentenceTick;

namespace {

enum { GPS_READ_BYTES = 512 };

void Record(const char* text, char first, char continuation, char flag)
{
    if (LogRun.FileState == FILE_RECORDING)
        WriteGpsRecord(text, GpsSentenceTick, first, continuation, '!', flag);
}

// A position sentence: decoded once per display interval, counted and
// recorded always. It is recorded before it is decoded: the decoding may
// end the program (a full position store), and the sentence that filled
// the store belongs in the file.
void AcceptPosition(const char* text)
{
    const int32_t since = (int32_t)(GpsSentenceTick - GpsFix.LastTick);
    const int due = (since < 0 ? -since : since) > Settings.GpsDisplayIntervalMs;
    if (GpsSentenceInRun(GpsSentenceTick)) GpsLog.FixCount += 1;
    Record(text, '@', '#', due ? 'p' : ' ');
    if (due) {
        GpsFix.LastTick = GpsSentenceTick;
        GpsFix.GsaPending = 1;
        SendMessageW(hLoggingWnd, WM_QOR_GPS_FIX, 0, 0);
    }
}

// The readers' loop, until the teardown closes the port. The port is read
// in bursts with time-outs of the reader's own (SetGpsBurstTimeouts): a
// read sleeps in the driver until bytes arrive, instead of waking every
// 10 ms, and wakes at the latest after a quarter second to notice a closed
// port. Each read's bytes go to onRead with the tick taken when that read
// returned, to be cut byte by byte: all sentences that start in one read
// carry its tick. No WaitCommEvent and SetCommMask per burst: under Wine that
// cycle grew the process heap by about 14 KB a second at 10 Hz GGA/GSA.
template <typename F>
void ReadGpsPort(F onRead)
{
    GpsReaderRunning = 1;
    CeNameThread(L"gps reader");
    SetGpsBurstTimeouts(hGpsPort);
    unsigned char burst[GPS_READ_BYTES];
    while (hGpsPort != INVALID_HANDLE_VALUE) {
        DWORD got = 0;
        if (!ReadFile(hGpsPort, burst, sizeof burst, &got, nullptr)) {
            Sleep(10); // a failing port: back off
            continue;
        }
        if (got > 0) onRead(burst, static_cast<int>(got), CeGetTickCount());
    }
    GpsReaderRunning = 0;
}

} // namespace

void DeliverSentence(void*, uint32_t tick)
{
    GpsSentenceTick = tick;
    SendMessageW(hLoggingWnd, WM_QOR_NMEA_SENTENCE, 0, 0);
}

void InitGpsSentenceSet(int gpsType) { LoadGpsFormat(gpsType, &GpsFormat); }

DWORD WINAPI NmeaReaderThread(LPVOID)
{
    SentenceFeed feed = {};
    ReadGpsPort([&](const unsigned char* bytes, int count, uint32_t tick) {
        FeedSentenceRead(&feed, bytes, count, tick, GpsSentence, DeliverSentence, nullptr);
    });
    return 0;
}

LRESULT HandleGpsSentence(HWND, UINT, WPARAM, LPARAM)
{
    char text[sizeof GpsSentence];
    std::memcpy(text, GpsSentence, sizeof text);
    text[sizeof text - 1] = 0;
    const int totalStation = Settings.GpsType == GPS_TYPE_TOTAL_STATION;
    const int position = std::strstr(text, GpsFormat.SentenceId) != nullptr;
    if (CheckSentence(text, !totalStation) != SENTENCE_VALID) {
        Record(text, '?', '"', ' ');
    } else if (totalStation && !position) {
        Record(text, '@', '#', ' ');
    } else {
        if (position) AcceptPosition(text);
        // Type 0 takes the DOP from the GSA that follows a position.
        if (Settings.GpsType == 0 && std::strstr(text, "GSA") && GpsFix.GsaPending == 1) {
            GpsFix.GsaPending = 0;
            SendMessageW(hLoggingWnd, WM_QOR_GPS_GSA, 0, 0);
            Record(text, '@', '#', ' ');
        }
    }
    GpsSentence[0] = 0;
    return 0;
}

// Type 8: the total station's label records. Each closed record is handed
// over like a sentence and recorded whole on the window's thread, where
// every record of the file is written; a completed northing and easting
// pair is posted, so the reader does not wait for the fix handling.
DWORD WINAPI TotalStationReader(LPVOID)
{
    Sleep(100);
    LabelRecordCutter cutter = {};
    LabelExchange labels = {};
    uint32_t recordTick = CeGetTickCount();
    char record[sizeof cutter.Text];
    ReadGpsPort([&](const unsigned char* bytes, int count, uint32_t tick) {
        for (int i = 0; i < count; ++i) {
            const unsigned char byte = bytes[i];
            const int wasStarted = cutter.Started;
            switch (FeedLabelByte(&cutter, &labels, byte, record, sizeof record)) {
            case LABEL_RECORD_DONE:
                std::memcpy(GpsSentence, record, sizeof record);
                GpsSentenceTick = recordTick;
                SendMessageW(hLoggingWnd, WM_QOR_RTS_RECORD, 0, 0);
                break;
            case LABEL_POSITION_DONE:
                RtsPosition.Northing = labels.Northing;
                RtsPosition.Easting = labels.Easting;
                RtsPosition.Tick = recordTick;
                PostMessageW(hLoggingWnd, WM_QOR_RTS_POSITION, 0, 0);
                break;
            default: break;
            }
            if (byte == '>' || !wasStarted) recordTick = tick;
        }
    });
    return 0;
}

LRESULT HandleRtsRecord(HWND, UINT, WPARAM, LPARAM)
{
    if (GpsSentenceInRun(GpsSentenceTick)) {
        GpsLog.FixCount += 1;
        WriteGpsRecord(GpsSentence, GpsSentenceTick, '@', '#', '!', 'p');
    }
    GpsSentence[0] = 0;
    return 0;
}

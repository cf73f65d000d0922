// libFuzzer target: any bytes from a total station through the label
// record cutter and the label exchange. The buffer stays in bounds, every
// closed record fits the hand-over buffer, at most one position is
// reported per record, and a clean record sent after anything at all is
// closed whole with its northing and easting.
// Sources: gps/label_exchange.cpp
#include "gps/label_exchange.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

LabelByteResult Feed(LabelRecordCutter* c, LabelExchange* x, unsigned char byte, char* done,
                     size_t doneSize)
{
    const LabelByteResult r = FeedLabelByte(c, x, byte, done, doneSize);
    if (c->Index < 0 || c->Index > (int)sizeof c->Text - 2) std::abort();
    // A record longer than the buffer wrapped and lost its '>'; it still fits.
    if (r == LABEL_RECORD_DONE && std::strlen(done) >= doneSize) std::abort();
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A station's record as the simulator and the instruments send it.
    static const char Clean[] = ">17\r\n37=5432100.125\r\n38=612345.500\r\n39=101.250\r\n>";
    LabelRecordCutter cutter = {};
    LabelExchange labels = {};
    // Small and large hand-over buffers: a long record is cut, never overrun.
    const size_t doneSize = size > 0 && data[0] & 1 ? 16 : 256;
    char done[256];
    int positions = 0;
    for (size_t i = 0; i < size; ++i) {
        const LabelByteResult r = Feed(&cutter, &labels, data[i], done, doneSize);
        if (data[i] == '>') positions = 0;
        if (r == LABEL_POSITION_DONE && ++positions > 1) std::abort();
    }
    int found = 0, closed = 0;
    for (const char* p = Clean; *p; ++p) {
        const LabelByteResult r = Feed(&cutter, &labels, (unsigned char)*p, done, sizeof done);
        if (p > Clean && r == LABEL_POSITION_DONE) ++found;
        if (p > Clean && r == LABEL_RECORD_DONE) ++closed;
    }
    // Millimetres kept: the values are doubles from the text on.
    if (found != 1 || closed != 1 || labels.Northing != 5432100.125 || labels.Easting != 612345.5 ||
        std::strcmp(done, ">17,37=5432100.125,38=612345.500,39=101.250") != 0)
        std::abort();
    return 0;
}

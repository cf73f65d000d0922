// Label records of the total station.
#include "gps/label_exchange.h"

#include <cstdlib>
#include <cstring>

void RestartLabels(LabelExchange* x) { x->Step = LABELS_IDLE; }

namespace {

// The value after label (3 characters) up to the next ','.
int FindLabel(const char* record, const char* label, double* value)
{
    const char* at = std::strstr(record, label);
    if (!at) return 0;
    char text[32] = {};
    const char* end = std::strchr(at + 3, ',');
    size_t n = end ? (size_t)(end - (at + 3)) : std::strlen(at + 3);
    if (n >= sizeof text) n = sizeof text - 1;
    std::memcpy(text, at + 3, n);
    // Kept in double: a total station measures millimetres, which a 32-bit
    // float loses at real northings.
    *value = std::strtod(text, nullptr);
    return 1;
}

} // namespace

int ScanLabels(LabelExchange* x, const char* record)
{
    switch (x->Step) {
    case LABELS_IDLE:
        if (FindLabel(record, "37=", &x->Northing)) x->Step = LABELS_WANT_EASTING;
        if (FindLabel(record, "38=", &x->Easting)) x->Step = LABELS_WANT_NORTHING;
        return 0;
    case LABELS_WANT_EASTING:
        if (!FindLabel(record, "38=", &x->Easting)) return 0;
        x->Step = LABELS_DONE;
        return 1;
    case LABELS_WANT_NORTHING:
        if (!FindLabel(record, "37=", &x->Northing)) return 0;
        x->Step = LABELS_DONE;
        return 1;
    default: return 0;
    }
}

LabelByteResult FeedLabelByte(LabelRecordCutter* c, LabelExchange* x, unsigned char byte,
                              char* done, size_t doneSize)
{
    enum { WRAP = 180 };
    if (byte == '>') {
        LabelByteResult result = LABEL_BYTE_TAKEN;
        if (c->Started && c->Index > 0) {
            // Drop the ',' the last line end added.
            size_t n = (size_t)c->Index;
            if (c->Text[n - 1] == ',') --n;
            if (n >= doneSize) n = doneSize - 1;
            std::memcpy(done, c->Text, n);
            done[n] = 0;
            result = LABEL_RECORD_DONE;
        }
        c->Started = 1;
        c->Text[0] = '>';
        c->Index = 1;
        RestartLabels(x);
        return result;
    }
    if (byte == '\r' || !c->Started) return LABEL_BYTE_TAKEN;
    // Every byte kept, the ',' of a line end too, counts against the wrap:
    // a run of empty lines must not walk off the buffer.
    if (c->Index > WRAP) c->Index = 0;
    if (byte == '\n') {
        if (c->Text[0] != '>' || c->Index <= 0) return LABEL_BYTE_TAKEN;
        c->Text[c->Index++] = ',';
        c->Text[c->Index] = 0;
        return ScanLabels(x, c->Text) ? LABEL_POSITION_DONE : LABEL_BYTE_TAKEN;
    }
    c->Text[c->Index++] = (char)byte;
    c->Text[c->Index] = 0;
    return LABEL_BYTE_TAKEN;
}

// The total station's label records: '>' starts a record, each line of it
// holds labelled values ("37=" northing, "38=" easting, up to the next
// ','). The exchange takes one northing and one easting per record, in
// whichever order they come. Pure, so that it is tested and fuzzed.
#pragma once
#include <cstddef>

enum LabelStep { LABELS_IDLE, LABELS_WANT_EASTING, LABELS_WANT_NORTHING, LABELS_DONE };

struct LabelExchange {
    int Step;
    double Northing, Easting;
};

// Back to idle (every '>').
void RestartLabels(LabelExchange* x);
// Searches the record text so far (after a line end); 1 when this search
// completed the pair.
int ScanLabels(LabelExchange* x, const char* record);

// Assembles label records from the bytes of the port.
struct LabelRecordCutter {
    char Text[200];
    int Index;
    int Started; // the first '>' was seen
};
enum LabelByteResult { LABEL_BYTE_TAKEN, LABEL_RECORD_DONE, LABEL_POSITION_DONE };
// Feeds one byte. LABEL_RECORD_DONE: the closed record's text (without the
// ',' its last line end added) is in done. LABEL_POSITION_DONE: x holds a
// new pair.
LabelByteResult FeedLabelByte(LabelRecordCutter* c, LabelExchange* x, unsigned char byte,
                              char* done, size_t doneSize);

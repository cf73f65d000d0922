// The byte-level rules of external position files: the fields of an ASCII
// coordinate line, the thinning of a long file, and the GPS sentences of
// one of our own data files reassembled from their record groups. Pure, so
// that they are tested and fuzzed on the host.
#pragma once
#include <cstddef>

// Field n (1-based) of an ASCII line: each field starts at the next
// character of "+-.0123456789" and runs to the next delimiter (setting 0
// space, 1 comma, 2 tab, 3 semicolon). 0 when the line has no such field.
int AsciiField(const char* line, int n, int delimiter, char* out, size_t outSize);

// The two numbers of a line (columns 0-based, as the settings count them);
// 0 when either is missing or empty.
int AsciiPosition(const char* line, int latColumn, int lonColumn, int delimiter, double* lat,
                  double* lon);

// Every how many-th position is kept so that fewer than budget remain: 1
// when count fits, else the smallest k from 2 up with count / k < budget.
long ThinningStep(long count, long budget);

// 1 when rec is a data file's G header record: the GPS type it was
// recorded with (column 19; type 8 is written 9) in type, and the
// total-station units (column 17) in rtsUnits when it has them. An
// antenna offset wider than its seven columns shifts both; 0 when the
// type was cut off the record.
int RecordedGpsType(const char* rec, int* type, int* rtsUnits);

// Reassembles the GPS record groups of a data file, record by record: an
// '@' first record, '#' continuations, the '!' trailer. Other records pass.
struct RecordGroupReader {
    char Text[512];
    size_t Length;
    int Open;
};
// 1 when rec (26 characters and a line feed) closed a group of position
// tags; its text, trailing spaces cut, is in sentence.
int FeedDataRecord(RecordGroupReader* r, const char* rec, char* sentence, size_t sentenceSize);

// The byte-level rules of external position files: the columns of an ASCII
// coordinate line and what counts as a number in them, the thinning of a
// long file, the GPS sentences and label records of one of our own data
// files reassembled from their record groups, and the tally the operator
// is told. Pure, so that it is tested and fuzzed on the host.
#pragma once
#include <cstddef>
#include <cwchar>

// Why a row gave no position. The texts are shown to the operator.
enum RowVerdict {
    ROW_USED = 0,
    ROW_NO_COLUMN,    // the line has fewer columns than the settings name
    ROW_NOT_A_NUMBER, // a column empty, text, or a number with text around it
    ROW_NOT_FINITE,   // too large for a double ("1e999")
    ROW_OUT_OF_RANGE, // outside what the projection or the map takes
    ROW_NO_POSITION,  // a recorded position sentence or label record that decodes to none
    ROW_VERDICTS
};
const char* RowVerdictText(int verdict);

// A whole field as a number: blanks around it, an optional sign, digits
// with at most one decimal point (or a decimal comma when commaIsDecimal),
// an optional exponent, and optionally one hemisphere letter of
// hemispheres (such as "NS") before or after it; the second letter
// negates. Hexadecimal, "inf", "nan" and trailing text are not numbers.
int ParseCoordinate(const char* text, size_t length, int commaIsDecimal, const char* hemispheres,
                    double* value);

// Column (0-based) of a line: columns are separated by each delimiter
// character (setting 1 comma, 2 tab, 3 semicolon; an empty column still
// counts) or, for setting 0, by any run of blanks. 1 with the column's
// text in [*start, *start + *length) when the line has it. Columns are not
// found by where a number starts: a text, empty or "NaN" column would
// shift every column after it.
int AsciiColumn(const char* line, int column, int delimiter, const char** start, size_t* length);

// 1 when a line holds nothing but blanks (not a row at all).
int BlankLine(const char* line);

// The two numbers of a row (columns 0-based, as the settings count them):
// the latitude or northing may carry N/S, the longitude or easting E/W,
// in the column or as a lone letter in the column after it. ROW_USED or
// why not.
int AsciiRow(const char* line, int latColumn, int lonColumn, int delimiter, double* lat,
             double* lon);

// ROW_USED when a position fits the projection (type 0: latitude -80..84,
// longitude -180..180) or the map (UTM metres: none beyond 20,000 km).
int CoordinateRange(int coordinateType, double a, double b);

// What the first bytes of a file say about it as text.
enum TextKind { TEXT_PLAIN, TEXT_UTF16, TEXT_BINARY };
int TextKindOf(const unsigned char* head, size_t length);

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

// A total station's recorded label record (">...37=n,...38=e..."): the
// northing and easting in its own units, both found and numbers.
int LabelRecordPosition(const char* text, double* northing, double* easting);

// Rows of a file as they were judged.
struct LoadTally {
    long Used, Skipped;
    long FirstSkipped; // its line (or record) number, 1-based
    int FirstReason;
};
void TallyRow(LoadTally* t, long line, int verdict);

// What the operator is told after a load: the positions, the thinning,
// the rows used and skipped with the first skipped one. unit names what a
// row is ("line", "record").
void LoadSummaryText(const LoadTally& t, long shown, long step, const wchar_t* unit, wchar_t* out,
                     size_t outChars);
// Why a file gave no position at all (textKind from TextKindOf).
void LoadFailureText(const LoadTally& t, int textKind, const wchar_t* unit, wchar_t* out,
                     size_t outChars);

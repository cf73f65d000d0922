// External position files.
#include "map/position_file.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }
bool LineEnd(char c) { return c == 0 || c == '\r' || c == '\n'; }
bool Digit(char c) { return c >= '0' && c <= '9'; }

// 1 for the first hemisphere letter, 2 for the second (negating), else 0.
int Hemisphere(char c, const char* hemispheres)
{
    if (!hemispheres) return 0;
    const char u = (char)std::toupper((unsigned char)c);
    return u == hemispheres[0] ? 1 : u == hemispheres[1] ? 2 : 0;
}

void Trim(const char** s, size_t* n)
{
    while (*n && Blank(**s)) ++*s, --*n;
    while (*n && Blank((*s)[*n - 1])) --*n;
}

// A plain decimal of at most 15 digits and no exponent is an exact integer
// scaled by an exact power of ten: one division rounds it as strtod would,
// many times faster (a million-row file is mostly such numbers).
bool ExactDecimal(const char* p, size_t n, double* value)
{
    static const double Powers[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    size_t i = 0;
    const bool negative = p[0] == '-';
    if (p[0] == '+' || p[0] == '-') ++i;
    long long mantissa = 0;
    int digits = 0, decimals = -1;
    for (; i < n; ++i) {
        if (Digit(p[i])) {
            if (++digits > 15) return false;
            mantissa = mantissa * 10 + (p[i] - '0');
            if (decimals >= 0) ++decimals;
        } else if (p[i] == '.' || p[i] == ',') {
            decimals = 0;
        } else {
            return false; // an exponent
        }
    }
    const double v = (double)mantissa / Powers[decimals > 0 ? decimals : 0];
    *value = negative ? -v : v;
    return true;
}

// Past a number written with "%7.2f": blanks, a sign, digits, the point
// and two decimals (the digit after them is the next option); null when
// there is none.
const char* SkipOffset(const char* p)
{
    while (*p == ' ') ++p;
    if (*p == '-') ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9') ++p;
    if (p == digits || p[0] != '.' || p[1] < '0' || p[1] > '9' || p[2] < '0' || p[2] > '9')
        return nullptr;
    return p + 3;
}

} // namespace

const char* RowVerdictText(int verdict)
{
    static const char* const texts[ROW_VERDICTS] = {"used",         "column missing",
                                                    "not a number", "number too large",
                                                    "out of range", "no position decoded"};
    return verdict >= 0 && verdict < ROW_VERDICTS ? texts[verdict] : "unknown";
}

int ParseCoordinate(const char* text, size_t length, int commaIsDecimal, const char* hemispheres,
                    double* value)
{
    const char* p = text;
    size_t n = length;
    Trim(&p, &n);
    int letter = 0;
    if (n && (letter = Hemisphere(p[0], hemispheres)) != 0) {
        ++p, --n;
    } else if (n && (letter = Hemisphere(p[n - 1], hemispheres)) != 0) {
        --n;
    }
    Trim(&p, &n);
    // Longer than any coordinate is written: not one.
    char number[100];
    if (n == 0 || n >= sizeof number) return ROW_NOT_A_NUMBER;
    size_t i = 0, digits = 0;
    if (p[0] == '+' || p[0] == '-') {
        // "-75 W" says west twice, or means east: neither is taken.
        if (p[0] == '-' && letter) return ROW_NOT_A_NUMBER;
        ++i;
    }
    for (bool point = false; i < n; ++i) {
        if (Digit(p[i])) {
            ++digits;
        } else if (!point && (p[i] == '.' || (commaIsDecimal && p[i] == ','))) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return ROW_NOT_A_NUMBER;
    if (i < n && (p[i] == 'e' || p[i] == 'E')) {
        size_t k = i + 1;
        if (k < n && (p[k] == '+' || p[k] == '-')) ++k;
        if (k == n || !Digit(p[k])) return ROW_NOT_A_NUMBER;
        for (i = k; i < n && Digit(p[i]);) ++i;
    }
    if (i != n) return ROW_NOT_A_NUMBER;
    double v;
    if (!ExactDecimal(p, n, &v)) {
        for (i = 0; i < n; ++i) number[i] = p[i] == ',' ? '.' : p[i];
        number[n] = 0;
        v = std::strtod(number, nullptr);
    }
    if (!std::isfinite(v)) return ROW_NOT_FINITE;
    *value = letter == 2 ? -v : v;
    return ROW_USED;
}

int AsciiColumn(const char* line, int column, int delimiter, const char** start, size_t* length)
{
    if (column < 0) return 0;
    const char* p = line;
    if (delimiter < 1 || delimiter > 3) {
        for (int k = 0;; ++k) {
            while (!LineEnd(*p) && Blank(*p)) ++p;
            if (LineEnd(*p)) return 0;
            const char* s = p;
            while (!LineEnd(*p) && !Blank(*p)) ++p;
            if (k == column) {
                *start = s, *length = (size_t)(p - s);
                return 1;
            }
        }
    }
    const char stop = ",\t;"[delimiter - 1];
    for (int k = 0;; ++k) {
        const char* s = p;
        while (!LineEnd(*p) && *p != stop) ++p;
        if (k == column) {
            *start = s, *length = (size_t)(p - s);
            return 1;
        }
        if (*p != stop) return 0;
        ++p;
    }
}

int BlankLine(const char* line)
{
    while (!LineEnd(*line) && Blank(*line)) ++line;
    return LineEnd(*line);
}

int AsciiRow(const char* line, int latColumn, int lonColumn, int delimiter, double* lat,
             double* lon)
{
    const int columns[2] = {latColumn, lonColumn};
    const char* const hemispheres[2] = {"NS", "EW"};
    double v[2];
    for (int i = 0; i < 2; ++i) {
        const char* s;
        size_t n;
        if (!AsciiColumn(line, columns[i], delimiter, &s, &n)) return ROW_NO_COLUMN;
        const int verdict = ParseCoordinate(s, n, delimiter != 1, hemispheres[i], &v[i]);
        if (verdict != ROW_USED) return verdict;
        bool ownLetter = false;
        for (size_t k = 0; k < n; ++k) ownLetter = ownLetter || Hemisphere(s[k], hemispheres[i]);
        // "75.4567 W" in a file split at blanks: the letter is a column of
        // its own, right after its number.
        const char* h;
        size_t m;
        if (ownLetter || columns[i] + 1 == columns[1 - i] ||
            !AsciiColumn(line, columns[i] + 1, delimiter, &h, &m))
            continue;
        Trim(&h, &m);
        const int letter = m == 1 ? Hemisphere(h[0], hemispheres[i]) : 0;
        if (letter == 2 && v[i] < 0) return ROW_NOT_A_NUMBER;
        if (letter == 2) v[i] = -v[i];
    }
    *lat = v[0], *lon = v[1];
    return ROW_USED;
}

int CoordinateRange(int coordinateType, double a, double b)
{
    if (coordinateType == 0)
        return a >= -80 && a <= 84 && b >= -180 && b <= 180 ? ROW_USED : ROW_OUT_OF_RANGE;
    const double limit = 2e7; // metres
    return std::fabs(a) <= limit && std::fabs(b) <= limit ? ROW_USED : ROW_OUT_OF_RANGE;
}

int TextKindOf(const unsigned char* head, size_t length)
{
    if (length >= 2 &&
        ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF)))
        return TEXT_UTF16;
    size_t zeros[2] = {0, 0}, controls = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = head[i];
        if (c == 0)
            ++zeros[i % 2];
        else if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != 0x1A)
            ++controls;
    }
    // UTF-16 of Latin text has a zero in every other byte.
    if (length >= 4 && (zeros[0] >= length / 2 * 9 / 10 || zeros[1] >= length / 2 * 9 / 10))
        return TEXT_UTF16;
    return zeros[0] + zeros[1] + controls > length / 100 ? TEXT_BINARY : TEXT_PLAIN;
}

long ThinningStep(long count, long budget)
{
    if (budget < 1) budget = 1;
    if (count <= budget) return 1;
    long k = count / budget > 2 ? count / budget : 2;
    while (k > 2 && count / (k - 1) < budget) --k;
    while (count / k >= budget) ++k;
    return k;
}

int RecordedGpsType(const char* rec, int* type, int* rtsUnits)
{
    if (rec[0] != 'G') return 0;
    // The options follow the two antenna offsets ("%7.2f" each, columns
    // 1-14); a wider offset shifts them to the right.
    char text[27];
    std::memcpy(text, rec, 26);
    text[26] = 0;
    const char* options = text + 1;
    for (int i = 0; i < 2 && options; ++i) options = SkipOffset(options);
    if (!options || options + 4 >= text + 26 || options[4] < '0' || options[4] > '9') return 0;
    *type = options[4] == '9' ? 8 : options[4] - '0';
    if (options[2] >= '0' && options[2] <= '2') *rtsUnits = options[2] - '0';
    return 1;
}

int FeedDataRecord(RecordGroupReader* r, const char* rec, char* sentence, size_t sentenceSize)
{
    enum { TEXT_CHARS = 25 };
    const char tag = rec[0];
    if (tag == '@') {
        std::memcpy(r->Text, rec + 1, TEXT_CHARS);
        r->Length = TEXT_CHARS;
        r->Open = 1;
    } else if (tag == '#' && r->Open && r->Length + TEXT_CHARS < sizeof r->Text) {
        std::memcpy(r->Text + r->Length, rec + 1, TEXT_CHARS);
        r->Length += TEXT_CHARS;
    } else if (tag == '!' && r->Open) {
        r->Open = 0;
        size_t n = r->Length;
        while (n > 0 && r->Text[n - 1] == ' ') --n;
        if (n >= sentenceSize) n = sentenceSize - 1;
        std::memcpy(sentence, r->Text, n);
        sentence[n] = 0;
        return 1;
    } else if (tag != '#') {
        r->Open = 0; // any other record ends a group that lost its trailer
    }
    return 0;
}

int LabelRecordPosition(const char* text, double* northing, double* easting)
{
    // A value runs from its 3-character label to the next ','.
    const char* const labels[2] = {"37=", "38="};
    double* const values[2] = {northing, easting};
    for (int i = 0; i < 2; ++i) {
        const char* at = std::strstr(text, labels[i]);
        if (!at) return 0;
        at += 3;
        const char* end = std::strchr(at, ',');
        const size_t n = end ? (size_t)(end - at) : std::strlen(at);
        if (ParseCoordinate(at, n, 0, nullptr, values[i]) != ROW_USED) return 0;
    }
    return 1;
}

void TallyRow(LoadTally* t, long line, int verdict)
{
    if (verdict == ROW_USED) {
        ++t->Used;
        return;
    }
    if (t->Skipped++ == 0) t->FirstSkipped = line, t->FirstReason = verdict;
}

namespace {

void Reason(int verdict, wchar_t* out, size_t outChars)
{
    const char* s = RowVerdictText(verdict);
    size_t i = 0;
    for (; s[i] && i + 1 < outChars; ++i) out[i] = (wchar_t)s[i];
    out[i] = 0;
}

size_t Append(wchar_t* out, size_t outChars, size_t at, const LoadTally& t, const wchar_t* unit)
{
    if (at >= outChars) return at;
    wchar_t reason[32];
    Reason(t.FirstReason, reason, 32);
    int n = std::swprintf(out + at, outChars - at, L"\r\nRows used: %ld, skipped: %ld", t.Used,
                          t.Skipped);
    if (n > 0) at += (size_t)n;
    if (t.Skipped && at < outChars) {
        n = std::swprintf(out + at, outChars - at, L"\r\nFirst skipped: %ls %ld, %ls", unit,
                          t.FirstSkipped, reason);
        if (n > 0) at += (size_t)n;
    }
    return at;
}

} // namespace

void LoadSummaryText(const LoadTally& t, long shown, long step, const wchar_t* unit, wchar_t* out,
                     size_t outChars)
{
    int n;
    if (step <= 1)
        n = std::swprintf(out, outChars, L"%ls %ld\r\n %ls %ld\r\n%ls",
                          L"Total Number of Positions:", t.Used, L"Number of Positions to Display:",
                          shown, L"All positions will be displayed");
    else
        n = std::swprintf(out, outChars, L"%ls %ld\r\n%ls %ld\r\n%ls%3d%ls",
                          L"Total Number of Positions:", t.Used, L"Number of Positions to display:",
                          shown, L"Every", (int)step, L"position will be displayed");
    Append(out, outChars, n > 0 ? (size_t)n : 0, t, unit);
}

void LoadFailureText(const LoadTally& t, int textKind, const wchar_t* unit, wchar_t* out,
                     size_t outChars)
{
    const wchar_t* why = textKind == TEXT_UTF16
                             ? L"The file is UTF-16 (Unicode) text:\r\nsave it as ANSI text."
                         : textKind == TEXT_BINARY ? L"The file is not text."
                                                   : L"No position in the file.";
    const int n = std::swprintf(out, outChars, L"%ls\r\n%ls", L"Format not supported", why);
    if (textKind == TEXT_PLAIN) Append(out, outChars, n > 0 ? (size_t)n : 0, t, unit);
}

// External position files.
#include "gps/position_file.h"

#include <cstdlib>
#include <cstring>

namespace {

char DelimiterChar(int delimiter)
{
    static const char chars[4] = {' ', ',', '\t', ';'};
    return delimiter >= 0 && delimiter < 4 ? chars[delimiter] : ' ';
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

bool StartsNumber(char c) { return c && std::strchr("+-.0123456789", c) != nullptr; }

} // namespace

int AsciiField(const char* line, int n, int delimiter, char* out, size_t outSize)
{
    const char stop = DelimiterChar(delimiter);
    const char* p = line;
    for (int k = 1; k <= n; ++k) {
        while (*p && !StartsNumber(*p)) ++p;
        if (!*p) return 0;
        const char* start = p;
        while (*p && *p != stop && *p != '\r' && *p != '\n') ++p;
        if (k == n) {
            size_t length = (size_t)(p - start);
            if (length >= outSize) length = outSize - 1;
            std::memcpy(out, start, length);
            out[length] = 0;
            return 1;
        }
    }
    return 0;
}

int AsciiPosition(const char* line, int latColumn, int lonColumn, int delimiter, double* lat,
                  double* lon)
{
    char a[40], b[40];
    if (latColumn < 0 || lonColumn < 0 ||
        !AsciiField(line, latColumn + 1, delimiter, a, sizeof a) ||
        !AsciiField(line, lonColumn + 1, delimiter, b, sizeof b) || !a[0] || !b[0])
        return 0;
    char* endA = nullptr;
    char* endB = nullptr;
    *lat = std::strtod(a, &endA);
    *lon = std::strtod(b, &endB);
    return endA != a && endB != b;
}

long ThinningStep(long count, long budget)
{
    if (budget < 1) budget = 1;
    if (count <= budget) return 1;
    long k = 2;
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

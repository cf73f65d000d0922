#include "logging/file_naming.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>

namespace {

// Appends as much of text as fits, always terminating.
void AppendWide(wchar_t* out, size_t outChars, const wchar_t* text)
{
    if (outChars == 0) return;
    size_t used = std::wcslen(out);
    while (*text && used + 1 < outChars) out[used++] = *text++;
    out[used] = 0;
}

} // namespace

void FormatDatePart(wchar_t* out, size_t outChars, int month, int day, int hour)
{
    char digits[40];
    std::snprintf(digits, sizeof digits, "%02d%02d%02d", month, day, hour);
    size_t i = 0;
    for (; digits[i] && i + 1 < outChars; ++i) out[i] = (wchar_t)(unsigned char)digits[i];
    if (outChars) out[i] = 0;
}

void ComposeCandidatePath(wchar_t* out, size_t outChars, const wchar_t* prefix,
                          const wchar_t* datePart, wchar_t letter, const wchar_t* extension)
{
    const wchar_t letterText[2] = {letter, 0};
    if (outChars == 0) return;
    out[0] = 0;
    AppendWide(out, outChars, prefix);
    AppendWide(out, outChars, datePart);
    AppendWide(out, outChars, letterText);
    AppendWide(out, outChars, extension);
}

wchar_t ProposeDataFileName(wchar_t* name, size_t nameChars, const wchar_t* prefix,
                            const wchar_t* datePart, const wchar_t* extension,
                            CandidateTakenFn isTaken, void* context)
{
    wchar_t candidate[520];
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        ComposeCandidatePath(candidate, sizeof candidate / sizeof candidate[0], prefix, datePart,
                             letter, extension);
        if (!isTaken(candidate, context)) {
            ComposeCandidatePath(name, nameChars, L"", datePart, letter, L"");
            return letter;
        }
    }
    // No free letter this hour: hand the last candidate to the user, who
    // has to choose another name in the dialog.
    if (nameChars) {
        name[0] = 0;
        AppendWide(name, nameChars, candidate);
    }
    return 0;
}

void ExtractBaseName(const wchar_t* path, char* out, size_t outSize)
{
    if (outSize == 0) return;
    const wchar_t* start = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/') start = p + 1;
    size_t n = 0;
    for (const wchar_t* p = start; *p && *p != L'.' && n + 1 < outSize; ++p)
        out[n++] = (char)(*p & 0xFF);
    out[n] = 0;
}

void MatchExtensionCase(wchar_t* path, const wchar_t* extension)
{
    size_t pathLen = std::wcslen(path), extLen = std::wcslen(extension);
    if (extLen == 0 || pathLen <= extLen) return;
    wchar_t* tail = path + pathLen - extLen;
    for (size_t i = 0; i < extLen; ++i)
        if (std::towupper(tail[i]) != std::towupper(extension[i])) return;
    for (size_t i = 0; i < extLen; ++i) tail[i] = extension[i];
}

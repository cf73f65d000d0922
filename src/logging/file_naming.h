// Proposed names of new data files ("MMDDHH" and a free letter) and the
// base name stored in the file header. Free of Win32 so it builds natively.
#pragma once
#include <cstddef>

// "%02d%02d%02d" of month, day and hour: "120408" for 4 December, 08 h.
void FormatDatePart(wchar_t* out, size_t outChars, int month, int day, int hour);

// prefix + datePart + letter + extension.
void ComposeCandidatePath(wchar_t* out, size_t outChars, const wchar_t* prefix,
                          const wchar_t* datePart, wchar_t letter, const wchar_t* extension);

// Asks whether a candidate file is already there.
typedef bool (*CandidateTakenFn)(const wchar_t* path, void* context);

// Tries the letters 'A' to 'Z' in order. The proposal is the date part and
// the first free letter ("120408C"), returned as that letter. When every
// letter is taken the proposal is the whole path of the 'Z' candidate and the
// result is 0.
wchar_t ProposeDataFileName(wchar_t* name, size_t nameChars, const wchar_t* prefix,
                            const wchar_t* datePart, const wchar_t* extension,
                            CandidateTakenFn isTaken, void* context);

// The characters after the last backslash (or slash) and before the first
// dot that follows it, each stored as its low byte: "X:\dir\a.b.P61" -> "a".
void ExtractBaseName(const wchar_t* path, char* out, size_t outSize);

// When path ends in extension apart from letter case, gives it the exact
// case of extension (a dialog may append the default one in lower case).
void MatchExtensionCase(wchar_t* path, const wchar_t* extension);

// Configuration text held in memory, handed to the reader a line at a time
// as the file would give it; shared by the text test and its fuzz target.
#pragma once
#include <cstddef>

#include "settings/config_text.h"

struct ConfigBytes {
    const char* Data;
    size_t Size, At;
};

inline int NextConfigLine(void* source, char* buffer)
{
    ConfigBytes& b = *static_cast<ConfigBytes*>(source);
    size_t used = 0;
    const int n = TakeConfigLine(b.Data + b.At, b.Size - b.At, &used, buffer);
    b.At += used;
    return n;
}

inline void NoDerivedValues(int) {}

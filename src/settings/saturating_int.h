// Float to int conversion for values read from a settings file.
#pragma once
#include <cstdint>

// Truncation toward zero that saturates instead of overflowing: a settings
// file can hold any number, and an out-of-range conversion is undefined.
inline int32_t TruncToInt(double value)
{
    if (!(value == value)) return 0; // NaN
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return (int32_t)value;
}

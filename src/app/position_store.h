// Sizing of the GPS position store against the free physical memory.
#pragma once
#include <cstdint>

enum { POSITION_STORE_FULL = 14400, POSITION_STORE_STEP = 1800, POSITION_STORE_SPARE = 200 };
enum { POSITION_BYTES = 24 }; // two 4-byte and two 8-byte values per position

// Number of 1800-position reductions needed so that the store takes less
// than four fifths of availPhys bytes; above 6 it does not fit at all.
// maxPositions and capacity receive the reduced sizes.
int SizePositionStore(uint64_t availPhys, int32_t* maxPositions, int32_t* capacity);

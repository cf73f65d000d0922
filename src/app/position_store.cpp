// Memory steps of the GPS position store.
#include "app/position_store.h"

int SizePositionStore(uint64_t availPhys, int32_t* maxPositions, int32_t* capacity)
{
    // 64-bit so that a desktop's gigabytes cannot wrap the budget negative.
    const int64_t budget = (int64_t)(availPhys / 5) * 4;
    int32_t maxPos = POSITION_STORE_FULL;
    int32_t cap = maxPos + POSITION_STORE_SPARE;
    int r = 0;
    while ((int64_t)cap * POSITION_BYTES >= budget) {
        ++r;
        maxPos -= POSITION_STORE_STEP;
        cap = maxPos + POSITION_STORE_SPARE;
    }
    *maxPositions = maxPos;
    *capacity = cap;
    return r;
}

// Sizing of the GPS position store against free memory.
#include "app/position_store.h"
#include "test_check.h"

static int Steps(uint64_t availPhys, int32_t* maxPositions, int32_t* capacity)
{
    return SizePositionStore(availPhys, maxPositions, capacity);
}

static void TestFullSizeWhenMemoryIsPlenty()
{
    int32_t maxPos = 0, cap = 0;
    CHECK_EQ(Steps(64u * 1024 * 1024, &maxPos, &cap), 0);
    CHECK_EQ(maxPos, 14400);
    CHECK_EQ(cap, 14600);
    // A desktop's gigabytes must not wrap the budget negative.
    CHECK_EQ(Steps(16ull * 1024 * 1024 * 1024, &maxPos, &cap), 0);
    CHECK_EQ(Steps(3000000000ull, &maxPos, &cap), 0);
}

static void TestReducedSteps()
{
    int32_t maxPos = 0, cap = 0;
    // Budget 320000: 14600 x 24 = 350400 does not fit, 12800 x 24 = 307200 does.
    CHECK_EQ(Steps(400000, &maxPos, &cap), 1);
    CHECK_EQ(maxPos, 12600);
    CHECK_EQ(cap, 12800);

    // The boundary is "not below the budget": equal still steps down.
    // 14600 x 24 = 350400 = budget exactly when availPhys = 438000.
    CHECK_EQ(Steps(438000, &maxPos, &cap), 1);
    CHECK_EQ(Steps(438005, &maxPos, &cap), 0);

    // Six steps still run (3800 x 24 = 91200 < 96000 budget).
    CHECK_EQ(Steps(120000, &maxPos, &cap), 6);
    CHECK_EQ(maxPos, 3600);
    CHECK_EQ(cap, 3800);
}

static void TestTooLittleMemory()
{
    int32_t maxPos = 0, cap = 0;
    CHECK_EQ(Steps(100000, &maxPos, &cap), 7);       // budget 80000: does not fit
    CHECK(Steps(0, &maxPos, &cap) > 6);
}

int main()
{
    TestFullSizeWhenMemoryIsPlenty();
    TestReducedSteps();
    TestTooLittleMemory();
    return TestSummary("test_position_store");
}

// The map's arithmetic: pixels of positions, the follow rule, grid lines
// through the origin, and the y-sorted mark list.
#include <vector>

#include "map/map_geometry.h"
#include "test_check.h"

namespace {

void Collect(int p, void* v) { ((std::vector<int>*)v)->push_back(p); }

void TestPixelsAndFollow()
{
    int32_t x, y;
    MapPixel(105.0, 210.0, 100.0, 200.0, 10.0, 100, 80, &x, &y); // 10 m east, 5 m north
    CHECK(x == 200 && y == 30);
    MapPixel(1e300, -1e300, 0, 0, 1.0, 0, 0, &x, &y); // a wild position saturates
    CHECK(x == -1000000000 && y == -1000000000);
    // View 0..200, margin 10, recentre 30.
    CHECK_EQ(FollowShift(100, 0, 200, 10, 30), 0);
    CHECK_EQ(FollowShift(190, 0, 200, 10, 30), 0);
    CHECK_EQ(FollowShift(191, 0, 200, 10, 30), 21); // 191 ends 30 from the new right edge 221
    CHECK_EQ(FollowShift(5, 0, 200, 10, 30), -25);
}

void TestGridAndList()
{
    std::vector<int> lines;
    CHECK_EQ(ForEachGridLine(100.0, 32.25, 0, 215, Collect, &lines), 7);
    CHECK(lines == std::vector<int>({3, 36, 68, 100, 132, 165, 197}));
    lines.clear();
    CHECK_EQ(ForEachGridLine(-500.0, 20.0, 10, 50, Collect, &lines), 2); // origin far off the pane
    CHECK(lines == std::vector<int>({20, 40}));
    lines.clear();
    ForEachGridLine(0.6, 10.0, 1, 20, Collect, &lines); // 0.6 rounds into the range
    CHECK(lines == std::vector<int>({1, 11}));
    CHECK_EQ(ForEachGridLine(100.0, 1.5, 0, 215, Collect, &lines), 0); // too dense: none

    int32_t xs[5], ys[5];
    PixelList list = {xs, ys, 0, 5};
    const int points[][2] = {{1, 50}, {2, 10}, {3, 50}, {4, 30}, {5, 10}};
    for (const auto& p : points) CHECK(InsertPixel(&list, p[0], p[1]));
    CHECK(!InsertPixel(&list, 6, 0)); // full
    CHECK(std::vector<int>(ys, ys + 5) == std::vector<int>({10, 10, 30, 50, 50}));
    CHECK(std::vector<int>(xs, xs + 5) == std::vector<int>({2, 5, 4, 1, 3}));
    CHECK_EQ(FirstRowAtOrBelow(list, 30), 2);
    CHECK_EQ(FirstRowAtOrBelow(list, 31), 3);
    CHECK_EQ(FirstRowAtOrBelow(list, 99), 5);
}

} // namespace

int main()
{
    TestPixelsAndFollow();
    TestGridAndList();
    return TestSummary("test_map_geometry");
}

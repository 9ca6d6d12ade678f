#include "api/ring.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Ring = kvx::CTRing<int>;

int CursorValue(const Ring& ring) { return ring.cursor() ? ring.cursor()->data : -1; }

std::vector<int> FromCursor(const Ring& ring) {
    std::vector<int> out;
    ring.ForEach([&](int v) { out.push_back(v); });
    return out;
}

Ring::Node* FindValue(Ring& ring, int value) {
    return ring.Find([value](int v) { return v == value; });
}

TEST(Ring, NewElementGoesBeforeTheCursorAndBecomesIt) {
    Ring ring;
    ring.AddElement(1);
    EXPECT_EQ(ring.cursor()->next, ring.cursor());
    EXPECT_EQ(ring.cursor()->prev, ring.cursor());
    ring.AddElement(2);
    ring.AddElement(3);
    EXPECT_EQ(ring.count(), 3u);
    EXPECT_EQ(CursorValue(ring), 3);
    // 3 was linked in before 2, which was linked in before 1.
    EXPECT_EQ(FromCursor(ring), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(ring.cursor()->prev->data, 1);
}

TEST(Ring, FindLeavesTheCursorOnTheMatchOrOnTheLastNodeOfThePass) {
    Ring ring;
    for (int v : {1, 2, 3}) ring.AddElement(v);  // order from cursor: 3 2 1

    for (int v : {1, 2, 3}) {
        ASSERT_NE(FindValue(ring, v), nullptr);
        EXPECT_EQ(CursorValue(ring), v);
    }
    // A second lookup of the same value needs one comparison.
    int comparisons = 0;
    ring.Find([&](int v) {
        ++comparisons;
        return v == 3;
    });
    EXPECT_EQ(comparisons, 1);

    // Failed find from 3: passes 3, 2, 1 and stops on 1, the predecessor of 3.
    EXPECT_EQ(FindValue(ring, 42), nullptr);
    EXPECT_EQ(CursorValue(ring), 1);
    // From 1 the pass is 1, 3, 2.
    EXPECT_EQ(FindValue(ring, 42), nullptr);
    EXPECT_EQ(CursorValue(ring), 2);
}

TEST(Ring, FindInAnEmptyRingFindsNothing) {
    Ring ring;
    EXPECT_EQ(FindValue(ring, 1), nullptr);
    EXPECT_EQ(ring.cursor(), nullptr);
}

TEST(Ring, RemovingTheOnlyNodeEmptiesTheRing) {
    Ring ring;
    ring.AddElement(7);
    ASSERT_NE(FindValue(ring, 7), nullptr);
    ring.RemoveCursor();
    EXPECT_EQ(ring.count(), 0u);
    EXPECT_EQ(ring.cursor(), nullptr);
    // A new element starts a new ring of one.
    ring.AddElement(8);
    EXPECT_EQ(ring.count(), 1u);
    EXPECT_EQ(ring.cursor()->next, ring.cursor());
}

TEST(Ring, RemoveRelinksNeighboursAndMovesToTheSuccessor) {
    Ring ring;
    for (int v : {1, 2, 3, 4}) ring.AddElement(v);  // 4 3 2 1
    ASSERT_NE(FindValue(ring, 3), nullptr);
    ring.RemoveCursor();
    EXPECT_EQ(ring.count(), 3u);
    EXPECT_EQ(CursorValue(ring), 2);
    EXPECT_EQ(FromCursor(ring), (std::vector<int>{2, 1, 4}));
    EXPECT_EQ(ring.cursor()->prev->data, 4);
    EXPECT_EQ(ring.cursor()->prev->prev->data, 1);
}

}  // namespace

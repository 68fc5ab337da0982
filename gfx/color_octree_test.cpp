#include "gfx/color_octree.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace ossen {
namespace {

struct Colour {
  BYTE red, green, blue;
};

int OctantAt(const Colour& c, int depth) { return ColorOctree::OctantOf(c.red, c.green, c.blue, depth); }

// The nearest-lookup rule replayed over a plain list of colours, without a tree: at each
// depth the children are the distinct octants of the colours still on the chosen path.
// Returns the index (into `colours`) of the first colour on the final path, -1 when empty.
int SlowNearest(const std::vector<Colour>& colours, Colour query) {
  static constexpr int kDistance[8] = {0, 1, 1, 2, 1, 2, 2, 3};
  std::vector<int> candidates;
  for (int i = 0; i < static_cast<int>(colours.size()); ++i) candidates.push_back(i);
  if (candidates.empty()) return -1;
  int wanted = 0, chosen = 0;
  for (int depth = 0; depth < 8; ++depth) {
    bool present[8] = {};
    for (int i : candidates) present[OctantAt(colours[i], depth)] = true;
    const int own = OctantAt(query, depth);
    int want = 0;
    for (int bit = 0; bit < 3; ++bit) {
      const int w = (wanted >> bit) & 1, c = (chosen >> bit) & 1, q = (own >> bit) & 1;
      const int channel = (c == w) ? q : (w == 1 ? 1 : 0);
      want |= channel << bit;
    }
    int pick = want;
    if (!present[want]) {
      int best = 4;
      for (int octant = 7; octant >= 0; --octant) {
        if (present[octant] && kDistance[octant ^ want] < best) {
          best = kDistance[octant ^ want];
          pick = octant;
        }
      }
    }
    std::vector<int> next;
    for (int i : candidates) {
      if (OctantAt(colours[i], depth) == pick) next.push_back(i);
    }
    candidates.swap(next);
    wanted = want;
    chosen = pick;
  }
  return candidates.front();  // the first added colour holds the leaf
}

TEST(ColorOctreeTest, FirstValueForAColourStaysAndExactLookupFollowsTheBits) {
  ColorOctree tree;
  EXPECT_EQ(tree.FindNearest(1, 2, 3), nullptr);
  const ColorOctree::Node* leaf = tree.Add(10, 20, 30, 4);
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->colour, 0x0A141Eu);
  EXPECT_EQ(tree.Add(10, 20, 30, 9), nullptr);
  EXPECT_EQ(tree.LeafCount(), 1u);
  EXPECT_EQ(tree.FindExact(10, 20, 30)->value, 4u);
  EXPECT_EQ(tree.FindExact(10, 20, 31), nullptr);
  ASSERT_NE(tree.Add(10, 20, 31, 5), nullptr);
  // The two colours part only at the last bit of blue: their parent at level 7 branches.
  EXPECT_EQ(tree.BranchingNodes(7).Count(), 1u);
  EXPECT_EQ(tree.BranchingNodes(0).Count(), 0u);
  EXPECT_EQ(tree.FindExact(10, 20, 31)->value, 5u);
}

TEST(ColorOctreeTest, NearestFollowsTheTreeRuleOverRandomPalettes) {
  std::mt19937 random(1234);
  for (int round = 0; round < 40; ++round) {
    const int count = 1 + static_cast<int>(random() % 256);
    std::vector<Colour> colours;
    ColorOctree tree;
    for (int i = 0; i < count; ++i) {
      // Narrow ranges in some rounds force shared paths and fallbacks deep in the tree.
      const unsigned mask = (round % 3 == 0) ? 0xF3 : 0xFF;
      const Colour c{static_cast<BYTE>(random() & mask), static_cast<BYTE>(random() & mask),
                     static_cast<BYTE>(random() & mask)};
      colours.push_back(c);
      tree.Add(c.red, c.green, c.blue, static_cast<DWORD>(i));
    }
    for (int q = 0; q < 500; ++q) {
      const Colour query{static_cast<BYTE>(random()), static_cast<BYTE>(random()), static_cast<BYTE>(random())};
      const ColorOctree::Node* leaf = tree.FindNearest(query.red, query.green, query.blue);
      ASSERT_NE(leaf, nullptr);
      const int expected = SlowNearest(colours, query);
      ASSERT_EQ(static_cast<int>(leaf->value), expected) << "round " << round << " query " << int(query.red) << ","
                                                          << int(query.green) << "," << int(query.blue);
      const Colour& found = colours[expected];
      EXPECT_EQ(leaf->colour, DWORD{found.red} << 16 | DWORD{found.green} << 8 | found.blue);
    }
  }
}

TEST(ColorOctreeTest, NearestIsTheTreesAnswerNotAlwaysTheClosestColour) {
  // 128 and 127 differ in every bit: the top bit decides first, so 128 goes towards 200
  // although 127 is one step away.
  ColorOctree tree;
  tree.Add(127, 0, 0, 0);
  tree.Add(200, 0, 0, 1);
  EXPECT_EQ(tree.FindNearest(128, 0, 0)->value, 1u);
  // Ties between equally distant octants go to the higher octant: wanted octant 0 is
  // missing, 1 (blue) and 2 (green) differ in one bit each, 2 wins.
  ColorOctree ties;
  ties.Add(0, 0, 255, 10);
  ties.Add(0, 255, 0, 20);
  EXPECT_EQ(ties.FindNearest(0, 0, 0)->value, 20u);
  // A channel whose choice fell below what it wanted asks for 1 at the next depth, whatever
  // the query's own bit there: 0x80 goes to 0x40, not to 0x00 that its next bit spells.
  ColorOctree below;
  below.Add(0x00, 0, 0, 1);
  below.Add(0x40, 0, 0, 2);
  EXPECT_EQ(below.FindNearest(0x80, 0, 0)->value, 2u);
  // and, having got it, follows the query's bits again: 0x80 lands on 0x40 although 0x60
  // is nearer.
  below.Add(0x60, 0, 0, 3);
  EXPECT_EQ(below.FindNearest(0x80, 0, 0)->value, 2u);
}

}  // namespace
}  // namespace ossen

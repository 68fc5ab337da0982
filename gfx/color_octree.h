// An RGB octree over the colours of a palette: the path to a leaf spells its colour's bits
// from the most significant down (octant = red bit << 2 | green bit << 1 | blue bit), and
// the leaf keeps the palette index. Nearest lookup follows the tree's own rule, which is
// fast and deterministic but not always the nearest colour by distance (see FindNearest).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "gfx/object_list.h"
#include "platform/base/win_types.h"

namespace ossen {

class ColorOctree {
 public:
  static constexpr int kDepth = 8;

  struct Node {
    Node* parent = nullptr;
    int octant = 0;  // in the parent
    std::array<std::unique_ptr<Node>, 8> children;
    int level = 0;  // 1 to 8; the root is 0
    DWORD colour = 0;  // leaves: red << 16 | green << 8 | blue
    DWORD value = 0;   // leaves: the palette index
    ObjectList::Node* listNode = nullptr;  // in the list of its level, once it branches
    int childCount = 0;
  };

  ColorOctree();
  ColorOctree(const ColorOctree&) = delete;
  ColorOctree& operator=(const ColorOctree&) = delete;

  // Adds a colour; the new leaf, or null when the colour is already present (the first
  // value added for a colour stays) or memory ran out.
  const Node* Add(BYTE red, BYTE green, BYTE blue, DWORD value);

  // The leaf of exactly this colour, or null.
  const Node* FindExact(BYTE red, BYTE green, BYTE blue) const;

  // The leaf the tree's rule reaches for this colour, or null when the tree has no leaves.
  // At each depth each channel wants the colour's own bit while every earlier choice of
  // that channel matched what it wanted; once a choice fell below the wanted side it wants
  // 1 (the largest remaining), once above, 0. A missing wanted child is replaced by the
  // existing child whose octant differs in the fewest bits, scanning octants 7 down to 0
  // and keeping the first of equal distance (ties go to the higher octant).
  const Node* FindNearest(BYTE red, BYTE green, BYTE blue) const;

  std::uint32_t LeafCount() const { return leafCount_; }
  // Nodes with two or more children at a level (0 to 8).
  const ObjectList& BranchingNodes(int level) const { return branching_[level]; }

  static int OctantOf(BYTE red, BYTE green, BYTE blue, int depth) {
    const int mask = 0x80 >> depth;
    return ((red & mask) ? 4 : 0) | ((green & mask) ? 2 : 0) | ((blue & mask) ? 1 : 0);
  }

 private:
  std::unique_ptr<Node> root_;
  std::uint32_t leafCount_ = 0;
  std::array<ObjectList, kDepth + 1> branching_;
};

}  // namespace ossen

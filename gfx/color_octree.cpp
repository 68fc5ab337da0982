#include "gfx/color_octree.h"

#include <new>

namespace ossen {

namespace {

// Bits that differ between two octants, indexed by their XOR.
constexpr int kOctantDistance[8] = {0, 1, 1, 2, 1, 2, 2, 3};

}  // namespace

ColorOctree::ColorOctree() : root_(new (std::nothrow) Node) {}

const ColorOctree::Node* ColorOctree::Add(BYTE red, BYTE green, BYTE blue, DWORD value) {
  if (!root_) return nullptr;
  Node* node = root_.get();
  bool created = false;
  for (int depth = 0; depth < kDepth; ++depth) {
    const int octant = OctantOf(red, green, blue, depth);
    std::unique_ptr<Node>& child = node->children[octant];
    if (!child) {
      child.reset(new (std::nothrow) Node);
      if (!child) return nullptr;
      child->parent = node;
      child->octant = octant;
      child->level = depth + 1;
      ++node->childCount;
      if (node->childCount >= 2 && !node->listNode) node->listNode = branching_[node->level].Append(node);
      created = true;
    }
    node = child.get();
  }
  if (!created) return nullptr;
  node->colour = DWORD{red} << 16 | DWORD{green} << 8 | blue;
  node->value = value;
  ++leafCount_;
  return node;
}

const ColorOctree::Node* ColorOctree::FindExact(BYTE red, BYTE green, BYTE blue) const {
  const Node* node = root_.get();
  for (int depth = 0; node && depth < kDepth; ++depth) {
    node = node->children[OctantOf(red, green, blue, depth)].get();
  }
  return node;
}

const ColorOctree::Node* ColorOctree::FindNearest(BYTE red, BYTE green, BYTE blue) const {
  if (!root_ || leafCount_ == 0) return nullptr;
  // Per channel (bit 2 red, 1 green, 0 blue): what the previous depth wanted and chose.
  int wanted = 0;
  int chosen = 0;
  const Node* node = root_.get();
  for (int depth = 0; depth < kDepth; ++depth) {
    const int own = OctantOf(red, green, blue, depth);
    const int matched = ~(wanted ^ chosen) & 7;  // channels whose choices so far matched
    const int wentBelow = wanted & ~chosen & 7;  // wanted 1, got 0: now want the most
    const int want = (own & matched) | wentBelow;
    int pick = want;
    if (!node->children[want]) {
      int best = 4;
      for (int octant = 7; octant >= 0; --octant) {
        if (node->children[octant] && kOctantDistance[octant ^ want] < best) {
          best = kOctantDistance[octant ^ want];
          pick = octant;
        }
      }
    }
    wanted = want;
    chosen = pick;
    node = node->children[pick].get();
  }
  return node;
}

}  // namespace ossen

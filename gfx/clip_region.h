// A clip rectangle that a surface may carry: blits, fills, lines and tints on the surface
// stay inside it. Counted by hand like palettes and surfaces; listed with the graphics
// context while one exists.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "gfx/object_list.h"
#include "platform/base/win_types.h"
#include "platform/draw/device_context.h"

namespace ossen {

class ClipRegionRef;

class ClipRegion {
 public:
  // A new clip without a region, reference count 1; null when memory ran out.
  static ClipRegionRef New();

  ClipRegion(const ClipRegion&) = delete;
  ClipRegion& operator=(const ClipRegion&) = delete;

  // 1 before the first SetRect; else left, top, right, bottom and 0.
  int GetBounds(RECT& bounds) const;
  // The region becomes [x, x + w) x [y, y + h). 2 (unchanged) for a negative size or edges
  // that do not fit 32 bits.
  int SetRect(int x, int y, int w, int h);
  std::int32_t GetUserValue() const { return userValue_; }
  int SetUserValue(std::int32_t value);
  // Takes over the other clip's rectangle; 2 when it is null or has no region.
  int CreateFrom(const ClipRegion* other);
  // A new clip with this one's rectangle (without a region when this has none).
  ClipRegionRef Clone() const;

  bool HasRegion() const { return hasRegion_; }

  std::uint16_t AddRef() { return ++referenceCount_; }
  // Drops one reference; a count left below 1 deletes the clip. The count left.
  std::uint16_t Release();
  std::uint16_t ReferenceCount() const { return referenceCount_; }

  // Used only by the context's shut-down: deletes the clip whatever its count.
  static void DeleteForShutdown(ClipRegion* clip);

 private:
  ClipRegion();
  ~ClipRegion();
  friend struct std::default_delete<ClipRegion>;

  ObjectList::Node* registryNode_ = nullptr;
  RECT bounds_{};
  bool hasRegion_ = false;
  std::int32_t userValue_ = 0;
  std::uint16_t referenceCount_ = 1;
};

// A counted reference to a clip: copying adds a reference, destruction releases one.
class ClipRegionRef {
 public:
  ClipRegionRef() = default;
  static ClipRegionRef Adopt(ClipRegion* clip) { return ClipRegionRef(clip); }
  static ClipRegionRef Share(ClipRegion* clip) {
    if (clip) clip->AddRef();
    return ClipRegionRef(clip);
  }
  ClipRegionRef(const ClipRegionRef& other) : clip_(other.clip_) {
    if (clip_) clip_->AddRef();
  }
  ClipRegionRef(ClipRegionRef&& other) noexcept : clip_(std::exchange(other.clip_, nullptr)) {}
  ClipRegionRef& operator=(ClipRegionRef other) noexcept {
    std::swap(clip_, other.clip_);
    return *this;
  }
  ~ClipRegionRef() {
    if (clip_) clip_->Release();
  }

  ClipRegion* get() const { return clip_; }
  ClipRegion* operator->() const { return clip_; }
  explicit operator bool() const { return clip_ != nullptr; }
  ClipRegion* Detach() { return std::exchange(clip_, nullptr); }

 private:
  explicit ClipRegionRef(ClipRegion* clip) : clip_(clip) {}
  ClipRegion* clip_ = nullptr;
};

}  // namespace ossen

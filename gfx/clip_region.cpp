#include "gfx/clip_region.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "gfx/object_registry.h"

namespace ossen {

ClipRegionRef ClipRegion::New() {
  std::unique_ptr<ClipRegion> clip(new (std::nothrow) ClipRegion);
  return ClipRegionRef::Adopt(clip.release());
}

ClipRegion::ClipRegion() { registryNode_ = RegisterObject(ClipRegionRegistry(), this); }

ClipRegion::~ClipRegion() { UnregisterObject(ClipRegionRegistry(), registryNode_); }

void ClipRegion::DeleteForShutdown(ClipRegion* clip) { std::unique_ptr<ClipRegion> owned(clip); }

int ClipRegion::GetBounds(RECT& bounds) const {
  if (!hasRegion_) return 1;
  bounds = bounds_;
  return 0;
}

int ClipRegion::SetRect(int x, int y, int w, int h) {
  const std::int64_t right = std::int64_t{x} + w;
  const std::int64_t bottom = std::int64_t{y} + h;
  if (w < 0 || h < 0 || right > std::numeric_limits<LONG>::max() || bottom > std::numeric_limits<LONG>::max()) {
    return 2;
  }
  bounds_ = RECT{x, y, static_cast<LONG>(right), static_cast<LONG>(bottom)};
  hasRegion_ = true;
  return 0;
}

int ClipRegion::SetUserValue(std::int32_t value) {
  userValue_ = value;
  return 0;
}

int ClipRegion::CreateFrom(const ClipRegion* other) {
  if (!other || !other->hasRegion_) return 2;
  bounds_ = other->bounds_;
  hasRegion_ = true;
  return 0;
}

ClipRegionRef ClipRegion::Clone() const {
  ClipRegionRef copy = New();
  if (copy && hasRegion_) copy->CreateFrom(this);
  return copy;
}

std::uint16_t ClipRegion::Release() {
  const std::uint16_t left = referenceCount_ > 0 ? static_cast<std::uint16_t>(referenceCount_ - 1) : 0;
  referenceCount_ = left;
  if (left < 1) DeleteForShutdown(this);
  return left;
}

}  // namespace ossen

#include "gfx/row_scaler.h"

#include <tmmintrin.h>

#include "platform/draw/nearest_stepper.h"

namespace ossen {
namespace {

constexpr int kGroup = 16;

__attribute__((target("ssse3"))) void ShuffleGroups(const std::uint8_t* source, const std::uint32_t* starts,
                                                    const std::uint8_t* shuffles, int groups, std::uint8_t* target) {
  for (int g = 0; g < groups; ++g) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + starts[g]));
    const __m128i order = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffles + g * kGroup));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + g * kGroup), _mm_shuffle_epi8(bytes, order));
  }
}

}  // namespace

RowScaler8::RowScaler8(int sourceWidth, int targetWidth)
    : targetWidth_(targetWidth), offsets_(static_cast<std::size_t>(targetWidth)) {
  NearestStepper columns(0, sourceWidth, targetWidth);
  for (std::uint32_t& offset : offsets_) {
    offset = static_cast<std::uint32_t>(columns.Column());
    columns.Advance();
  }
  if (!__builtin_cpu_supports("ssse3")) return;
  // Groups are taken from the left while they fit: their source pixels within 16 bytes
  // that end inside the row. Enlarging, only the groups at the row's end miss; reducing,
  // hardly any fit, and the plain loop makes the row.
  for (int g = 0; (g + 1) * kGroup <= targetWidth; ++g) {
    const std::uint32_t start = offsets_[static_cast<std::size_t>(g * kGroup)];
    const std::uint32_t last = offsets_[static_cast<std::size_t>(g * kGroup + kGroup - 1)];
    if (last - start >= kGroup || start + kGroup > static_cast<std::uint32_t>(sourceWidth)) break;
    groupStart_.push_back(start);
    for (int i = 0; i < kGroup; ++i)
      shuffles_.push_back(static_cast<std::uint8_t>(offsets_[static_cast<std::size_t>(g * kGroup + i)] - start));
    ++groups_;
  }
}

void RowScaler8::Scale(const std::uint8_t* source, std::uint8_t* target) const {
  if (groups_ > 0) ShuffleGroups(source, groupStart_.data(), shuffles_.data(), groups_, target);
  const std::uint32_t* offsets = offsets_.data();
  int x = groups_ * kGroup;
  for (; x + 4 <= targetWidth_; x += 4) {
    target[x] = source[offsets[x]];
    target[x + 1] = source[offsets[x + 1]];
    target[x + 2] = source[offsets[x + 2]];
    target[x + 3] = source[offsets[x + 3]];
  }
  for (; x < targetWidth_; ++x) target[x] = source[offsets[x]];
}

}  // namespace ossen

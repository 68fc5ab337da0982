// Nearest-neighbour scaling steps, shared by the graphics library's scaled blits and the
// device context's StretchBlt, so both pick the same source pixel for every target pixel.
#pragma once

#include <cstdint>

namespace ossen {

// Walks the source columns (or rows) of a scaled span: target pixel j takes source
// first + floor(j x sourceSpan / targetSpan), or first - that when walking backwards
// (mirrored or flipped). After each pixel an accumulator gains the remainder of
// sourceSpan / targetSpan and the column steps once more when it reaches targetSpan; the
// whole quotient is taken once, not per pixel. Spans must be positive.
class NearestStepper {
 public:
  NearestStepper(std::int64_t first, std::int64_t sourceSpan, std::int64_t targetSpan, bool backwards = false)
      : column_(first),
        wholeStep_((backwards ? -1 : 1) * (sourceSpan / targetSpan)),
        unit_(backwards ? -1 : 1),
        remainder_(sourceSpan % targetSpan),
        targetSpan_(targetSpan) {}

  std::int64_t Column() const { return column_; }

  void Advance() {
    column_ += wholeStep_;
    accumulator_ += remainder_;
    if (accumulator_ >= targetSpan_) {
      column_ += unit_;
      accumulator_ -= targetSpan_;
    }
  }

  // As `steps` calls of Advance, for a span whose first target pixels are clipped away.
  void Skip(std::int64_t steps) {
    const std::int64_t carried = accumulator_ + steps * remainder_;
    column_ += steps * wholeStep_ + unit_ * (carried / targetSpan_);
    accumulator_ = carried % targetSpan_;
  }

 private:
  std::int64_t column_;
  std::int64_t wholeStep_;
  std::int64_t unit_;
  std::int64_t remainder_;
  std::int64_t targetSpan_;
  std::int64_t accumulator_ = 0;
};

}  // namespace ossen

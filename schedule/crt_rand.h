// The C run-time library's linear congruential rand, never seeded, so that the default
// schedule draws the same dates on every machine and every run. Our own copy: the host's
// rand has a different generator.
#pragma once

#include <cstdint>

namespace ossen {

class CrtRand {
 public:
  // The next value, 0 to 32767.
  int Next();

 private:
  std::uint32_t state_ = 1;
};

}  // namespace ossen

#include "platform/base/cpu.h"

#include <limits>
#include <unistd.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace ossen {

namespace {

constexpr unsigned kMmxBit = 1u << 23;
constexpr std::size_t kLeadPages = 16;  // how far ahead the second read of each pair runs

std::size_t SystemPageSize() {
  long size = ::sysconf(_SC_PAGESIZE);
  return size > 0 ? static_cast<std::size_t>(size) : 4096;
}

}  // namespace

int HasMmx() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return 0;  // no leaf 1 (or no CPUID)
  return (edx & kMmxBit) != 0 ? 1 : 0;
#else
  return 0;
#endif
}

std::vector<std::size_t> PageOffsetsToTouch(std::uintptr_t address, std::size_t length, std::size_t pageSize) {
  std::vector<std::size_t> offsets;
  if (pageSize == 0 || length > std::numeric_limits<std::uintptr_t>::max() - address) return offsets;

  // Start at the first page boundary inside the block; a short block may end before it.
  std::size_t skip = address % pageSize == 0 ? 0 : pageSize - address % pageSize;
  if (skip >= length) return offsets;
  std::size_t wholePages = (length - skip) / pageSize;
  if (wholePages <= kLeadPages) return offsets;
  std::size_t usable = wholePages * pageSize;

  for (std::size_t k = kLeadPages * pageSize; k < usable; k += pageSize) {
    offsets.push_back(skip + k - kLeadPages * pageSize);
    offsets.push_back(skip + k);
  }
  return offsets;
}

std::size_t TouchPages(const void* address, std::size_t length) {
  const volatile unsigned char* bytes = static_cast<const volatile unsigned char*>(address);
  std::size_t sum = 0;
  for (std::size_t offset : PageOffsetsToTouch(reinterpret_cast<std::uintptr_t>(address), length, SystemPageSize()))
    sum += bytes[offset];
  return sum;
}

}  // namespace ossen

// Processor helpers: the MMX test and touching the pages of a block ahead of use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ossen {

// 1 when the processor reports MMX (CPUID leaf 1, EDX bit 23), else 0; 0 on processors
// without the identification instruction.
int HasMmx();

// Byte offsets from `address` that TouchPages reads in a block of `length` bytes, for
// pages of `pageSize` bytes. Only whole pages count, from the first page boundary at or
// after `address`; a block of 16 whole pages or fewer gives nothing. For N whole pages
// the list reads, pair by pair, pages 0 and 16, 1 and 17, ... N-17 and N-1.
std::vector<std::size_t> PageOffsetsToTouch(std::uintptr_t address, std::size_t length, std::size_t pageSize);

// Reads one byte in the pages PageOffsetsToTouch names, with the system's page size, so
// the system brings them in before they are used. Returns the sum of the bytes read.
std::size_t TouchPages(const void* address, std::size_t length);

}  // namespace ossen

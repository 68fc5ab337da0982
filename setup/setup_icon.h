// The program's icon as the menu entry shows it.
#pragma once

#include <cstdint>
#include <vector>

namespace ossen::setup {

// The program's icon (icon 128 of the program module this installer carries), its largest
// image as PNG bytes; empty when it cannot be read.
std::vector<std::uint8_t> ProgramIconPng();

}  // namespace ossen::setup

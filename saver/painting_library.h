// The picture library as the screen saver reads it: painting n is the JPEG file stored as
// resource "A<n>" of type "BIN", shown in full colour.
#pragma once

#include "gfx/dib_section_surface.h"
#include "platform/win32/module.h"

namespace ossen {

class PaintingLibrary {
 public:
  // The library in the program folder the installer recorded ("sourcepath"), else the first
  // one the module search order finds (the executable's folder, the current folder, the
  // system and Windows folders, PATH). A library that is missing or refused leaves it closed.
  static PaintingLibrary Open();
  // The library file at `winPath` only.
  static PaintingLibrary OpenFile(const char* winPath);

  PaintingLibrary() = default;
  PaintingLibrary(PaintingLibrary&& other) noexcept;
  PaintingLibrary& operator=(PaintingLibrary&& other) noexcept;
  PaintingLibrary(const PaintingLibrary&) = delete;
  PaintingLibrary& operator=(const PaintingLibrary&) = delete;
  ~PaintingLibrary();

  bool IsOpen() const { return module_ != nullptr; }
  // The library's module (its catalogue among its resources); null when closed.
  HMODULE Module() const { return module_; }
  // Painting n decoded into a 24-bit section, rows top-down; null when the library is closed,
  // has no such painting, or its bytes do not decode.
  SurfaceRef<DibSectionSurface> LoadPainting(int n) const;

 private:
  explicit PaintingLibrary(HMODULE module) : module_(module) {}
  HMODULE module_ = nullptr;
};

}  // namespace ossen

// The catalogue of a home-made picture collection, plain text, one picture per line:
//
//   # comments and blank lines are skipped
//   harbour.jpg|Harbour at Dawn|A. Painter
//
// Pictures are numbered 1, 2, ... in the order of their lines; at most 35. Blanks around
// each field are dropped; the file name and the title must not be empty, the painter may.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ossen {

inline constexpr int kMaxCataloguePictures = 35;

struct CataloguePicture {
  std::string file;  // as written: relative to the catalogue's folder, or absolute
  std::string title;
  std::string painter;
  int line = 0;  // 1-based line number in the catalogue
};

// Parses `text` into `pictures`. On a bad line returns false with `error` saying which line
// and why ("line 3: expected file|title|painter") and no pictures; also false for no
// pictures at all, more than 35, or a NUL byte anywhere.
bool ParseCatalogue(std::string_view text, std::vector<CataloguePicture>& pictures, std::string& error);

}  // namespace ossen

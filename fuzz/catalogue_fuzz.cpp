// Drives the catalogue parser of home-made picture collections with arbitrary text.
//
// Checks what every accepted catalogue promises: 1 to 35 pictures in line order, each with
// a file and a title, no field holding the separator, a line break or blanks at its ends.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "res/library/picture_catalogue.h"

namespace {

bool Clean(const std::string& field) {
  if (field.find_first_of("|\n") != std::string::npos) return false;
  return field.empty() || (field.front() != ' ' && field.back() != ' ' && field.back() != '\r');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<ossen::CataloguePicture> pictures;
  std::string error;
  if (!ossen::ParseCatalogue(text, pictures, error)) {
    if (error.empty() || !pictures.empty()) std::abort();
    return 0;
  }
  if (pictures.empty() || pictures.size() > 35 || !error.empty()) std::abort();
  int lastLine = 0;
  for (const ossen::CataloguePicture& picture : pictures) {
    if (picture.line <= lastLine || picture.file.empty() || picture.title.empty()) std::abort();
    if (!Clean(picture.file) || !Clean(picture.title) || !Clean(picture.painter)) std::abort();
    if (picture.file.front() == '#') std::abort();
    lastLine = picture.line;
  }
  return 0;
}

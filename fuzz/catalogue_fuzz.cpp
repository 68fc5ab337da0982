// Drives the catalogue parser of home-made picture collections with arbitrary text, as
// piclib reads a person's file and the program reads a library's catalogue resource.
//
// Checks what every accepted catalogue promises: 1 to 35 pictures in line order, each with
// a file and a title, no field holding the separator, a line break or blanks at its ends;
// and that the rows a new schedule takes from it are exactly those pictures, each text
// short enough for a record and free of NUL bytes, the other rows built-in.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "schedule/catalogue.h"
#include "schedule/picture_catalogue.h"

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
  const bool parsed = ossen::ParseCatalogue(text, pictures, error);

  static const ossen::SlotCatalogue builtIn = ossen::BuiltInSlotCatalogue();
  ossen::SlotCatalogue rows = builtIn;
  const int taken = ossen::TakeCatalogueRows(text, rows);
  if (taken != static_cast<int>(pictures.size())) std::abort();
  for (int row = 0; row < ossen::CatalogueCount; ++row) {
    for (const std::string* field : {&rows.titles[row], &rows.artists[row]}) {
      if (field->size() > 259 || field->find('\0') != std::string::npos) std::abort();
    }
    if (row >= taken && (rows.titles[row] != builtIn.titles[row] || rows.artists[row] != builtIn.artists[row])) {
      std::abort();
    }
    if (row < taken && rows.titles[row].empty()) std::abort();
  }

  if (!parsed) {
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

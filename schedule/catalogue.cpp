#include "schedule/catalogue.h"

#include <vector>

#include "platform/base/trace.h"
#include "platform/base/win_types.h"
#include "schedule/picture_catalogue.h"

namespace ossen {

// Each painter keeps to one manner, which the picture painter relies on:
//   Marrow       seascapes and harbours      Quillan    gardens
//   Veldmoor     pointillist dabs            Adelsten   geometric grids
//   Oriel        abstract colour fields      Brannock   still lifes
//   Lindqvar     winter landscapes           Pellamy    landscapes at different hours
//   Tessaro      harbours by night and dusk  the rest   one painting each, manner noted
// "Harbour at Dusk" and "Still Life with Quinces" are painted more than once.

const char* const CatalogueArtists[CatalogueCount] = {
    "Marrow, Edvin Alard",       // 1
    "Marrow, Edvin Alard",       // 2
    "Marrow, Edvin Alard",       // 3
    "Marrow, Edvin Alard",       // 4
    "Quillan, Rosa Ilse",        // 5
    "Quillan, Rosa Ilse",        // 6
    "Quillan, Rosa Ilse",        // 7
    "Veldmoor, Jan Kasper",      // 8
    "Veldmoor, Jan Kasper",      // 9
    "Veldmoor, Jan Kasper",      // 10
    "Veldmoor, Jan Kasper",      // 11
    "Adelsten, Joost Harmen",    // 12
    "Adelsten, Joost Harmen",    // 13
    "Adelsten, Joost Harmen",    // 14
    "Oriel, Cass",               // 15
    "Oriel, Cass",               // 16
    "Oriel, Cass",               // 17
    "Brannock, Wendell Thomas",  // 18
    "Brannock, Wendell Thomas",  // 19
    "Brannock, Wendell Thomas",  // 20
    "Lindqvar, Sigrun",          // 21
    "Lindqvar, Sigrun",          // 22
    "Pellamy, Joris Anselm",     // 23
    "Pellamy, Joris Anselm",     // 24
    "Tessaro, Lucia Maren",      // 25
    "Tessaro, Lucia Maren",      // 26
    "Greythorne, Wilhelmina",    // 27 garden in blossom
    "Hallorby, Edmund Crane",    // 28 autumn landscape
    "Master of the Salt Marsh",  // 29 night landscape (an unnamed hand)
    "Ambrecht, Tobias",          // 30 still life
    "Ferrowyn, Idalie",          // 31 pointillist field
    "Drummaker, Quentin",        // 32 geometric grid
    "Sorrenlund, Aksel",         // 33 spring seascape
    "Vantreece, Ottilie",        // 34 garden in autumn
    "Brisbarre, Noel Auguste",   // 35 estuary at sunset
};

const char* const CatalogueTitles[CatalogueCount] = {
    "Harbour at Dusk",                                            // 1
    "North Sea, Morning Squall",                                  // 2
    "Fishing Boats Drawn Up at Low Tide",                         // 3
    "The Breakwater in November",                                 // 4
    "The Walled Garden in June",                                  // 5
    "Hollyhocks by the Glasshouse",                               // 6
    "Rose Arbour after Rain",                                     // 7
    "Sunday on the River Meadow",                                 // 8
    "Poplars in the Noon Heat",                                   // 9
    "Harbour at Dusk",                                            // 10
    "Lavender Rows under a White Sky",                            // 11
    "Composition in Ochre and Slate",                             // 12
    "Grid with One Red Square",                                   // 13
    "Lattice for a Winter Window",                                // 14
    "Vermilion over Umber",                                       // 15
    "Field of Deep Indigo",                                       // 16
    "Two Bands of Evening Gold",                                  // 17
    "Still Life with Quinces",                                    // 18
    "Pewter Jug and Lemons",                                      // 19
    "Still Life with Quinces",                                    // 20
    "Birch Wood under First Snow",                                // 21
    "Frozen Lake at Midwinter Noon",                              // 22
    "Wheat Fields before the Storm",                              // 23
    "Valley Road at First Light",                                 // 24
    "Harbour at Dusk",                                            // 25
    "Lanterns on the Quay, Midsummer Night",                      // 26
    "Orchard in Blossom, Late April",                             // 27
    "Autumn Beeches above the Weir",                              // 28
    "Moonrise over the Salt Marsh",                               // 29
    "Still Life with Blue Bowl and Pears",                        // 30
    "Poppy Field at Evening",                                     // 31
    "Chequerboard in Rust and Cream",                             // 32
    "Fjord Light in Early Spring",                                // 33
    "The Kitchen Garden in September",                            // 34
    "The Estuary at Sunset, with Gulls and a Distant Sail",       // 35
};

}  // namespace ossen

// ---- The catalogue of a new schedule ----

namespace ossen {
namespace {

// The length of the UTF-8 sequence starting at text[i] and its code point, or 0 when the
// bytes there are not one.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& point) {
  const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  if (lead < 0x80) {
    point = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    point = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    point = (point << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and points beyond Unicode are not UTF-8.
  static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
  return length;
}

// The record's single-byte form of a catalogue text, cut to what a record field holds.
std::string SingleByteText(std::string_view text) {
  std::string decoded;
  bool utf8 = true;
  for (std::size_t i = 0; i < text.size();) {
    char32_t point = 0;
    const std::size_t length = DecodeUtf8(text, i, point);
    if (length == 0) {
      utf8 = false;
      break;
    }
    decoded += point <= 0xFF ? static_cast<char>(point) : '?';
    i += length;
  }
  std::string result = utf8 ? decoded : std::string(text);
  if (result.size() > static_cast<std::size_t>(MAX_PATH - 1)) result.resize(MAX_PATH - 1);
  return result;
}

}  // namespace

SlotCatalogue BuiltInSlotCatalogue() {
  SlotCatalogue catalogue;
  for (int i = 0; i < CatalogueCount; ++i) {
    catalogue.titles[i] = CatalogueTitles[i];
    catalogue.artists[i] = CatalogueArtists[i];
  }
  return catalogue;
}

int TakeCatalogueRows(std::string_view text, SlotCatalogue& catalogue) {
  std::vector<CataloguePicture> pictures;
  std::string error;
  if (!ParseCatalogue(text, pictures, error)) {
    Trace("The picture library's catalogue is not used: %s", error.c_str());
    return 0;
  }
  const int rows = static_cast<int>(pictures.size() < CatalogueCount ? pictures.size() : CatalogueCount);
  for (int i = 0; i < rows; ++i) {
    catalogue.titles[i] = SingleByteText(pictures[i].title);
    catalogue.artists[i] = SingleByteText(pictures[i].painter);
  }
  return rows;
}

SlotCatalogue LibrarySlotCatalogue(HMODULE library) {
  SlotCatalogue catalogue = BuiltInSlotCatalogue();
  if (library == nullptr) return catalogue;
  const HRSRC found = FindResource(library, "CATALOGUE", "TXT");
  const void* bytes = found ? LockResource(LoadResource(library, found)) : nullptr;
  if (bytes != nullptr) {
    TakeCatalogueRows(std::string_view(static_cast<const char*>(bytes), SizeofResource(library, found)), catalogue);
  }
  return catalogue;
}

}  // namespace ossen

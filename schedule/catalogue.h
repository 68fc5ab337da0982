// The built-in catalogue of the 35 paintings, from which a fresh schedule is made.
// Row n - 1 of both tables belongs to slotId n.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/win32/module.h"

namespace ossen {

inline constexpr int CatalogueCount = 35;

// Painters, mostly "Surname, Given names", at most 24 characters (the book's narrow column).
extern const char* const CatalogueArtists[CatalogueCount];
// Painting titles, at most 57 characters.
extern const char* const CatalogueTitles[CatalogueCount];

// The titles and painters a new schedule gives the paintings: row n - 1 for slotId n.
struct SlotCatalogue {
  std::array<std::string, CatalogueCount> titles;
  std::array<std::string, CatalogueCount> artists;
};

// The built-in tables as a SlotCatalogue.
SlotCatalogue BuiltInSlotCatalogue();

// Takes rows from a picture library's catalogue text ("file|Title|Painter" lines, see
// schedule/picture_catalogue.h): picture n replaces row n - 1, the other rows stay. The
// texts become single-byte text as the records hold it (UTF-8 decoded, characters beyond
// Latin-1 as '?'; other bytes taken as Latin-1) cut to 259 characters. A text that is not
// a catalogue changes nothing. Returns the number of rows taken.
int TakeCatalogueRows(std::string_view text, SlotCatalogue& catalogue);

// The catalogue a new schedule takes with this picture library: the built-in rows, with
// the library's own "TXT"/"CATALOGUE" resource over them where it has one. A null module
// gives the built-in catalogue (never the program's own module).
SlotCatalogue LibrarySlotCatalogue(HMODULE library);

}  // namespace ossen

// The built-in catalogue of the 35 paintings, from which a fresh schedule is made.
// Row n - 1 of both tables belongs to slotId n.
#pragma once

namespace ossen {

inline constexpr int CatalogueCount = 35;

// Painters, mostly "Surname, Given names", at most 24 characters (the book's narrow column).
extern const char* const CatalogueArtists[CatalogueCount];
// Painting titles, at most 57 characters.
extern const char* const CatalogueTitles[CatalogueCount];

}  // namespace ossen

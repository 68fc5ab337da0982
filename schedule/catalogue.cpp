#include "schedule/catalogue.h"

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

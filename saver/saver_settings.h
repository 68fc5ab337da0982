// What the screen saver is told by the scheduler: the registry values under the product's
// Config key and the screen-saver entry of system.ini, and which picture a run shows.
#pragma once

#include <string>

#include "platform/base/win_types.h"
#include "saver/saver_command.h"
#include "schedule/catalogue.h"

namespace ossen {

// Paintings are numbered 1 to this.
inline constexpr int kPaintingCount = 35;

struct SaverSettings {
  DWORD pic = 0;   // "Pic": the painting of idle runs, 0 = none fixed
  DWORD prev = 0;  // "prev": the painting of a preview run
  DWORD mute = 0;  // "Mute": 1 = sound off (the collection has no sound to play)
  // "SCRNSAVE.EXE" of section "boot": false when the key is there and empty, which is what
  // applying "Windows Default" with Saver leaves: the person chose no picture.
  bool saverNamed = true;
};

// Reads the values; a missing value reads as 0, a missing key or file as named.
SaverSettings ReadSaverSettings();

struct ShowPlan {
  enum Kind {
    kPainting,  // one painting, `painting`
    kRandom,    // every painting in a random order
    kBlack,     // a black screen
  };
  Kind kind = kRandom;
  int painting = 0;
};

// A preview shows "prev", an idle run "Pic"; a number outside 1 to 35 (0 among them) gives
// the random order. An idle run while system.ini names no saver shows black.
ShowPlan PlanShow(SaverRun run, const SaverSettings& settings);

// What the /c dialog says of an idle run's plan (single-byte text), naming a painting by its
// title and painter in `catalogue`: the picture library's own (LibrarySlotCatalogue).
std::string DescribeShowPlan(const ShowPlan& plan, const SlotCatalogue& catalogue);

}  // namespace ossen

#include "res/painter/painter.h"

#include <cstdint>

#include "res/painter/canvas.h"
#include "res/painter/paintings.h"

namespace ossen {

namespace {

constexpr int kPaintingCount = 35;
constexpr int kLargestSide = 4096;

// A hand's brushwork over the finished picture (see Canvas::Impasto); density 0 for none.
struct Brushwork {
  float density;
  float length;
  float width;
  float angle;
  float jitter;
  float alpha;
};

constexpr Brushwork kNone = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
constexpr Brushwork kMarrow = {9000.0f, 0.028f, 0.007f, 0.0f, 0.12f, 0.45f};
constexpr Brushwork kTessaro = {7000.0f, 0.025f, 0.006f, 1.5708f, 0.2f, 0.5f};
constexpr Brushwork kQuillan = {12000.0f, 0.02f, 0.008f, 0.0f, 3.14f, 0.6f};
constexpr Brushwork kBrannock = {6000.0f, 0.02f, 0.006f, 0.6f, 0.6f, 0.35f};
constexpr Brushwork kAmbrecht = {4000.0f, 0.03f, 0.006f, 0.0f, 0.1f, 0.3f};
constexpr Brushwork kLindqvar = {8000.0f, 0.025f, 0.005f, 1.5708f, 0.15f, 0.45f};
constexpr Brushwork kPellamy = {10000.0f, 0.035f, 0.009f, 0.3f, 0.5f, 0.55f};
constexpr Brushwork kGreythorne = {9000.0f, 0.014f, 0.006f, 0.0f, 3.14f, 0.4f};
constexpr Brushwork kHallorby = {10000.0f, 0.03f, 0.008f, -0.8f, 0.4f, 0.55f};
constexpr Brushwork kSaltMarsh = {6000.0f, 0.04f, 0.006f, 0.0f, 0.05f, 0.45f};
constexpr Brushwork kSorrenlund = {8000.0f, 0.035f, 0.006f, 0.0f, 0.1f, 0.45f};
constexpr Brushwork kVantreece = {10000.0f, 0.02f, 0.008f, 0.8f, 1.0f, 0.55f};
constexpr Brushwork kBrisbarre = {9000.0f, 0.04f, 0.007f, 0.0f, 0.08f, 0.5f};

struct Painting {
  void (*paint)(Canvas&, Brush);
  Brushwork brushwork;
  float weave;     // how strongly the canvas threads show through
  float vignette;  // how much the corners darken
};

// Row n - 1 is catalogue painting n.
constexpr Painting kPaintings[kPaintingCount] = {
    {PaintMarrowHarbourAtDusk, kMarrow, 0.05f, 0.25f},
    {PaintNorthSeaMorningSquall, kMarrow, 0.05f, 0.25f},
    {PaintFishingBoatsAtLowTide, kMarrow, 0.05f, 0.2f},
    {PaintBreakwaterInNovember, kMarrow, 0.05f, 0.25f},
    {PaintWalledGardenInJune, kQuillan, 0.04f, 0.2f},
    {PaintHollyhocksByTheGlasshouse, kQuillan, 0.04f, 0.2f},
    {PaintRoseArbourAfterRain, kQuillan, 0.04f, 0.25f},
    {PaintSundayOnTheRiverMeadow, kNone, 0.03f, 0.1f},
    {PaintPoplarsInTheNoonHeat, kNone, 0.03f, 0.1f},
    {PaintVeldmoorHarbourAtDusk, kNone, 0.03f, 0.15f},
    {PaintLavenderRows, kNone, 0.03f, 0.1f},
    {PaintCompositionInOchreAndSlate, kNone, 0.04f, 0.05f},
    {PaintGridWithOneRedSquare, kNone, 0.04f, 0.05f},
    {PaintLatticeForAWinterWindow, kNone, 0.04f, 0.1f},
    {PaintVermilionOverUmber, kNone, 0.05f, 0.2f},
    {PaintFieldOfDeepIndigo, kNone, 0.05f, 0.2f},
    {PaintTwoBandsOfEveningGold, kNone, 0.05f, 0.2f},
    {PaintStillLifeWithQuinces, kBrannock, 0.05f, 0.35f},
    {PaintPewterJugAndLemons, kBrannock, 0.05f, 0.35f},
    {PaintQuincesOnAPlate, kBrannock, 0.05f, 0.35f},
    {PaintBirchWoodUnderFirstSnow, kLindqvar, 0.04f, 0.15f},
    {PaintFrozenLakeAtNoon, kLindqvar, 0.04f, 0.15f},
    {PaintWheatFieldsBeforeTheStorm, kPellamy, 0.05f, 0.3f},
    {PaintValleyRoadAtFirstLight, kPellamy, 0.05f, 0.2f},
    {PaintTessaroHarbourAtDusk, kTessaro, 0.05f, 0.35f},
    {PaintLanternsOnTheQuay, kTessaro, 0.05f, 0.35f},
    {PaintOrchardInBlossom, kGreythorne, 0.04f, 0.15f},
    {PaintAutumnBeechesAboveTheWeir, kHallorby, 0.05f, 0.25f},
    {PaintMoonriseOverTheSaltMarsh, kSaltMarsh, 0.05f, 0.35f},
    {PaintBlueBowlAndPears, kAmbrecht, 0.04f, 0.15f},
    {PaintPoppyFieldAtEvening, kNone, 0.04f, 0.2f},
    {PaintChequerboardInRustAndCream, kNone, 0.05f, 0.1f},
    {PaintFjordLightInSpring, kSorrenlund, 0.04f, 0.2f},
    {PaintKitchenGardenInSeptember, kVantreece, 0.04f, 0.2f},
    {PaintEstuaryAtSunset, kBrisbarre, 0.04f, 0.25f},
};

}  // namespace

RgbImage PaintCatalogueImage(int number, int width, int height) {
  if (number < 1 || number > kPaintingCount || width < 1 || width > kLargestSide || height < 1 ||
      height > kLargestSide) {
    return {};
  }
  const Painting& painting = kPaintings[number - 1];
  const auto seed = static_cast<std::uint64_t>(number) * 0x9E3779B97F4A7C15ull + 0x5EED;
  Rng rng(seed);
  const Noise noise(seed ^ 0xA5A5A5A5ull);
  const Noise detail(seed ^ 0x3C3C3C3C00ull);
  Canvas canvas(width, height);
  painting.paint(canvas, Brush{rng, noise, detail});
  const Brushwork& work = painting.brushwork;
  if (work.density > 0.0f) {
    Rng strokes(seed ^ 0xB5B5B5B5ull);
    canvas.Impasto(work.density, work.length, work.width, work.angle, work.jitter, work.alpha, strokes);
  }
  canvas.Finish(painting.weave, painting.vignette, detail);
  return canvas.ToImage();
}

}  // namespace ossen

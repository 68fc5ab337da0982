#include "res/painter/painter.h"

#include <cstdint>

#include "res/painter/canvas.h"
#include "res/painter/paintings.h"

namespace ossen {

namespace {

constexpr int kPaintingCount = 35;
constexpr int kLargestSide = 4096;

struct Painting {
  void (*paint)(Canvas&, Brush);
  float weave;     // how strongly the canvas threads show through
  float vignette;  // how much the corners darken
};

// Row n - 1 is catalogue painting n.
constexpr Painting kPaintings[kPaintingCount] = {
    {PaintMarrowHarbourAtDusk, 0.05f, 0.25f},
    {PaintNorthSeaMorningSquall, 0.05f, 0.25f},
    {PaintFishingBoatsAtLowTide, 0.05f, 0.2f},
    {PaintBreakwaterInNovember, 0.05f, 0.25f},
    {PaintWalledGardenInJune, 0.04f, 0.2f},
    {PaintHollyhocksByTheGlasshouse, 0.04f, 0.2f},
    {PaintRoseArbourAfterRain, 0.04f, 0.25f},
    {PaintSundayOnTheRiverMeadow, 0.03f, 0.1f},
    {PaintPoplarsInTheNoonHeat, 0.03f, 0.1f},
    {PaintVeldmoorHarbourAtDusk, 0.03f, 0.15f},
    {PaintLavenderRows, 0.03f, 0.1f},
    {PaintCompositionInOchreAndSlate, 0.04f, 0.05f},
    {PaintGridWithOneRedSquare, 0.04f, 0.05f},
    {PaintLatticeForAWinterWindow, 0.04f, 0.1f},
    {PaintVermilionOverUmber, 0.05f, 0.2f},
    {PaintFieldOfDeepIndigo, 0.05f, 0.2f},
    {PaintTwoBandsOfEveningGold, 0.05f, 0.2f},
    {PaintStillLifeWithQuinces, 0.05f, 0.35f},
    {PaintPewterJugAndLemons, 0.05f, 0.35f},
    {PaintQuincesOnAPlate, 0.05f, 0.35f},
    {PaintBirchWoodUnderFirstSnow, 0.04f, 0.15f},
    {PaintFrozenLakeAtNoon, 0.04f, 0.15f},
    {PaintWheatFieldsBeforeTheStorm, 0.05f, 0.3f},
    {PaintValleyRoadAtFirstLight, 0.05f, 0.2f},
    {PaintTessaroHarbourAtDusk, 0.05f, 0.35f},
    {PaintLanternsOnTheQuay, 0.05f, 0.35f},
    {PaintOrchardInBlossom, 0.04f, 0.15f},
    {PaintAutumnBeechesAboveTheWeir, 0.05f, 0.25f},
    {PaintMoonriseOverTheSaltMarsh, 0.05f, 0.35f},
    {PaintBlueBowlAndPears, 0.04f, 0.15f},
    {PaintPoppyFieldAtEvening, 0.04f, 0.2f},
    {PaintChequerboardInRustAndCream, 0.05f, 0.1f},
    {PaintFjordLightInSpring, 0.04f, 0.2f},
    {PaintKitchenGardenInSeptember, 0.04f, 0.2f},
    {PaintEstuaryAtSunset, 0.04f, 0.25f},
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
  canvas.Finish(painting.weave, painting.vignette, detail);
  return canvas.ToImage();
}

}  // namespace ossen

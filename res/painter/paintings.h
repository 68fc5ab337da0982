// One function per catalogue painting, grouped in files by the kind of picture.
// Each paints the whole canvas from the given randomness; the caller finishes the surface.
#pragma once

#include "res/painter/canvas.h"

namespace ossen {

struct Brush {
  Rng& rng;
  const Noise& noise;   // large-scale shapes: ridges, clouds, mottling
  const Noise& detail;  // small-scale texture
};

// Harbours and seas.
void PaintMarrowHarbourAtDusk(Canvas& canvas, Brush brush);
void PaintNorthSeaMorningSquall(Canvas& canvas, Brush brush);
void PaintFishingBoatsAtLowTide(Canvas& canvas, Brush brush);
void PaintBreakwaterInNovember(Canvas& canvas, Brush brush);
void PaintTessaroHarbourAtDusk(Canvas& canvas, Brush brush);
void PaintLanternsOnTheQuay(Canvas& canvas, Brush brush);
void PaintFjordLightInSpring(Canvas& canvas, Brush brush);
void PaintEstuaryAtSunset(Canvas& canvas, Brush brush);
// Gardens.
void PaintWalledGardenInJune(Canvas& canvas, Brush brush);
void PaintHollyhocksByTheGlasshouse(Canvas& canvas, Brush brush);
void PaintRoseArbourAfterRain(Canvas& canvas, Brush brush);
void PaintOrchardInBlossom(Canvas& canvas, Brush brush);
void PaintKitchenGardenInSeptember(Canvas& canvas, Brush brush);
// Dots and dashes of divided colour.
void PaintSundayOnTheRiverMeadow(Canvas& canvas, Brush brush);
void PaintPoplarsInTheNoonHeat(Canvas& canvas, Brush brush);
void PaintVeldmoorHarbourAtDusk(Canvas& canvas, Brush brush);
void PaintLavenderRows(Canvas& canvas, Brush brush);
void PaintPoppyFieldAtEvening(Canvas& canvas, Brush brush);
// Grids and colour fields.
void PaintCompositionInOchreAndSlate(Canvas& canvas, Brush brush);
void PaintGridWithOneRedSquare(Canvas& canvas, Brush brush);
void PaintLatticeForAWinterWindow(Canvas& canvas, Brush brush);
void PaintVermilionOverUmber(Canvas& canvas, Brush brush);
void PaintFieldOfDeepIndigo(Canvas& canvas, Brush brush);
void PaintTwoBandsOfEveningGold(Canvas& canvas, Brush brush);
void PaintChequerboardInRustAndCream(Canvas& canvas, Brush brush);
// Still lifes.
void PaintStillLifeWithQuinces(Canvas& canvas, Brush brush);
void PaintPewterJugAndLemons(Canvas& canvas, Brush brush);
void PaintQuincesOnAPlate(Canvas& canvas, Brush brush);
void PaintBlueBowlAndPears(Canvas& canvas, Brush brush);
// Landscapes.
void PaintBirchWoodUnderFirstSnow(Canvas& canvas, Brush brush);
void PaintFrozenLakeAtNoon(Canvas& canvas, Brush brush);
void PaintWheatFieldsBeforeTheStorm(Canvas& canvas, Brush brush);
void PaintValleyRoadAtFirstLight(Canvas& canvas, Brush brush);
void PaintAutumnBeechesAboveTheWeir(Canvas& canvas, Brush brush);
void PaintMoonriseOverTheSaltMarsh(Canvas& canvas, Brush brush);

}  // namespace ossen

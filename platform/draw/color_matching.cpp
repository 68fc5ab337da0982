#include "platform/draw/color_matching.h"

#include <algorithm>
#include <limits>

namespace ossen {

int NearestColorIndex(const RGBQUAD* table, int count, COLORREF rgb) {
  if (table == nullptr || count <= 0) return 0;
  count = std::min(count, 256);
  const int red = GetRValue(rgb), green = GetGValue(rgb), blue = GetBValue(rgb);
  int best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = 0; i < count; ++i) {
    const int dr = table[i].rgbRed - red;
    const int dg = table[i].rgbGreen - green;
    const int db = table[i].rgbBlue - blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {  // strict: ties keep the lower index
      best = i;
      bestDistance = distance;
      if (distance == 0) break;  // an exact entry wins outright
    }
  }
  return best;
}

}  // namespace ossen

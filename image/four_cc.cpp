#include "image/four_cc.h"

#include <cstdio>

namespace ossen {

DWORD FourCCFromString(const char* text) {
  if (!text) return 0;
  char chars[4] = {' ', ' ', ' ', ' '};
  for (int i = 0; i < 4 && text[i]; ++i) chars[i] = text[i];
  return MakeFourCC(chars[0], chars[1], chars[2], chars[3]);
}

std::string FourCCText(DWORD code) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    char c = static_cast<char>((code >> (8 * i)) & 0xFF);
    if (c < 0x20 || c > 0x7E) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
      return hex;
    }
    text += c;
  }
  return text;
}

}  // namespace ossen

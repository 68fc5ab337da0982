#include "saver/saver_settings.h"

#include <cstring>

#include "platform/win32/profile.h"
#include "platform/win32/registry.h"
#include "platform/win32/registry_helpers.h"

namespace ossen {

namespace {

DWORD ReadConfigDword(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kConfigKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  const LONG read = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : 0;
}

}  // namespace

SaverSettings ReadSaverSettings() {
  SaverSettings settings;
  settings.pic = ReadConfigDword(kPicValue);
  settings.prev = ReadConfigDword(kPrevValue);
  settings.mute = ReadConfigDword(kMuteValue);
  // A default that no path can be tells a missing key from an empty one.
  constexpr char kMissing[] = "?";
  char entry[MAX_PATH] = "";
  GetPrivateProfileString("boot", "SCRNSAVE.EXE", kMissing, entry, sizeof entry, "system.ini");
  settings.saverNamed = entry[0] != '\0';
  return settings;
}

ShowPlan PlanShow(SaverRun run, const SaverSettings& settings) {
  ShowPlan plan;
  if (run != SaverRun::kPreview && !settings.saverNamed) {
    plan.kind = ShowPlan::kBlack;
    return plan;
  }
  const DWORD number = run == SaverRun::kPreview ? settings.prev : settings.pic;
  if (number >= 1 && number <= kPaintingCount) {
    plan.kind = ShowPlan::kPainting;
    plan.painting = static_cast<int>(number);
  }
  return plan;
}

std::string DescribeShowPlan(const ShowPlan& plan, const SlotCatalogue& catalogue) {
  std::string text;
  switch (plan.kind) {
    case ShowPlan::kBlack:
      text = "No painting is set: the screen saver shows a black screen.";
      break;
    case ShowPlan::kRandom:
      text = "The screen saver shows the paintings one after another, in a random order.";
      break;
    case ShowPlan::kPainting:
      if (plan.painting >= 1 && plan.painting <= CatalogueCount) {
        const auto row = static_cast<std::size_t>(plan.painting - 1);
        text = "The screen saver shows \"" + catalogue.titles[row] + "\" by " + catalogue.artists[row] + ".";
      }
      break;
  }
  return text + "\n\nChoose the painting with the Saver button of ossen's book.";
}

}  // namespace ossen

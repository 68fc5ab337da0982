#include "res/program/art/text_resources.h"

#include "res/program/program_resources.h"

namespace ossen::art {

const std::vector<StringResource>& ProgramStrings() {
  static const std::vector<StringResource> strings = {
      {kStringAbout, "&About Brantwell Ossen Screen Saver..."},
      {kStringAppTitle, "Vintra Ossens Screen Savers"},
      {kStringHelp1Left,
       "Help Section\r\n"
       "\r\n"
       "Vintra Ossens Screen Savers changes your desktop to one of its paintings at the dates "
       "and times you set on the Content page.\r\n"
       "\r\n"
       "The scheduling features on the Content page work only while the program is active. "
       "Leave it running: it waits quietly beside the clock and looks at the schedule every "
       "few seconds.\r\n"
       "\r\n"
       "The red \"Close\" tab at the top of the book only hides this window. The program stays "
       "active, and your paintings still arrive on time."},
      {kStringHelp1Right,
       "The small picture-frame icon near the clock on the task bar belongs to this program. "
       "Click it to open its menu:\r\n"
       "\r\n"
       "\"Properties\" shows this window again.\r\n"
       "\"Exit\" quits the program and stops all scheduled items.\r\n"
       "\r\n"
       "To change when a painting appears, click its row, change the TIME first and then the "
       "DATE.\r\n"
       "\r\n"
       "To keep a painting from showing, give it a date far in the future. Dates until 2037 "
       "are accepted."},
      {kStringHelp2Left,
       "Help Section\r\n"
       "\r\n"
       "The last slot on page 3 is \"Windows default\". Tick the options you want back and "
       "click \"Apply\": the system's own wallpaper, start-up image and screen saver return.\r\n"
       "\r\n"
       "Elements of different paintings can be mixed. For example, apply \"Orchard in "
       "Blossom, Late April\" with only Wallpaper ticked, then apply \"Moonrise over the Salt "
       "Marsh\" with only Saver ticked: the orchard stays on the desktop while the moonlit "
       "marsh becomes the screen saver."},
      {kStringHelp2Right,
       "Options\r\n"
       "\r\n"
       "Saver: the painting becomes the screen saver.\r\n"
       "Wallpaper: the painting covers the desktop.\r\n"
       "Startup: the painting is shown while Windows starts.\r\n"
       "Timer: \"On\" lets the scheduled dates change the desktop; \"Off\" holds them until you "
       "tick it again.\r\n"
       "\r\n"
       "The preview window shows the painting of the selected row. The Preview button shows "
       "your choices as the screen saver will."},
      {kStringBoot, "boot"},
      {kStringScreenSaverKey, "SCRNSAVE.EXE"},
      {kStringApplyNow, "Do you want to apply the settings now?"},
  };
  return strings;
}

std::string TrayMenuText() {
  return std::to_string(kCommandProperties) + " Properties\n0 -\n" + std::to_string(kCommandExit) + " Exit\n";
}

}  // namespace ossen::art

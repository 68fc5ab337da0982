// Names and ids of the resources in the program's own module (root "/ossen" in the
// executable), and the places on the book's pages that the art is drawn for.
//
// The page images are type "BIN", 8-bit "PKC1" packed DIBs with a 14-byte "BM" header:
//   "BOOK"      640 x 1920  Cover, Content, Help and Credit backgrounds, page N in rows
//                           480N..480N+479; its pixels use entries 0..135 and 236..255 only
//   "TITLE"     602 x 422   the Cover picture        } pixels in entries 0..99, the band the
//   "CREDITS1"  590 x 414   the Credit pictures      } window copies to 136..235
//   "CREDITS2"  590 x 414
// Bitmaps (RT_BITMAP, 8-bit packed DIBs without file header, uncompressed): the 20 button
// images named in kButtonPlaces (colour table = BOOK's), "INTRO" 500 x 375 and "ABOUTBOX",
// each with its own palette. Cursor kCursorHand is a .CUR file, icon kIconApp an .ICO file
// (16, 32 and 48 pixels), menu kMenuTray the text form of menu_resource.h.
#pragma once

#include "product/product_names.h"

namespace ossen {

inline constexpr char kResourceTypeBin[] = "BIN";
inline constexpr char kBookResource[] = "BOOK";
inline constexpr char kTitleResource[] = "TITLE";
inline constexpr char kCredits1Resource[] = "CREDITS1";
inline constexpr char kCredits2Resource[] = "CREDITS2";
inline constexpr char kIntroResource[] = "INTRO";
inline constexpr char kAboutBoxResource[] = "ABOUTBOX";

inline constexpr int kCursorHand = 132;  // RT_GROUP_CURSOR; hot spot (4, 1)
inline constexpr int kIconApp = 128;     // RT_GROUP_ICON
inline constexpr int kMenuTray = 129;    // RT_MENU

// String ids (RT_STRING).
inline constexpr int kStringAbout = 101;           // "&About Brantwell Ossen Screen Saver..."
inline constexpr int kStringAppTitle = 57344;      // "Vintra Ossens Screen Savers"
inline constexpr int kStringHelp1Left = 57345;
inline constexpr int kStringHelp1Right = 57346;
inline constexpr int kStringHelp2Left = 57347;
inline constexpr int kStringHelp2Right = 57348;
inline constexpr int kStringBoot = 57355;          // "boot"
inline constexpr int kStringScreenSaverKey = 57369;  // "SCRNSAVE.EXE"
inline constexpr int kStringApplyNow = 57377;      // "Do you want to apply the settings now?"

// Tray menu commands.
using product::kCommandProperties;
using product::kCommandExit;

// Page sizes and the picture band of the window palette.
inline constexpr int kPageWidth = 640;
inline constexpr int kPageHeight = 480;
inline constexpr int kPageCount = 4;  // Cover, Content, Help, Credit
inline constexpr int kPictureBandFirst = 136;
inline constexpr int kPictureBandCount = 100;

// The pages a button shows on.
enum class ButtonPage { kAll, kContent, kHelp, kCredit };

// One bitmap button: its images and its place in the client area. Index i has command
// id 103 + i. The Help and Credit sub-page buttons reuse the Set1 and Set2 images.
struct ButtonPlace {
  const char* caption;
  const char* upImage;
  const char* downImage;  // null: no pressed image
  int x, y, width, height;
  ButtonPage page;
};

inline constexpr int kButtonCount = 20;
inline constexpr ButtonPlace kButtonPlaces[kButtonCount] = {
    {"Cover", "BTNCOVERU", nullptr, 43, 7, 78, 41, ButtonPage::kAll},
    {"Content", "BTNCONTENTU", nullptr, 148, 7, 101, 39, ButtonPage::kAll},
    {"Help", "BTNHELPU", nullptr, 366, 8, 69, 36, ButtonPage::kAll},
    {"Credit", "BTNCREDITU", nullptr, 438, 7, 92, 41, ButtonPage::kAll},
    {"Close", "BTNCLOSEU", nullptr, 535, 6, 68, 39, ButtonPage::kAll},
    {"Preview", "BTNPREVIEWU", "BTNPREVIEWD", 381, 242, 145, 53, ButtonPage::kContent},
    {"Apply", "BTNAPPLYU", "BTNAPPLYD", 414, 289, 86, 40, ButtonPage::kContent},
    {"Saver", "BTNSAVERU", "BTNSAVERD", 343, 330, 108, 33, ButtonPage::kContent},
    {"Wallpaper", "BTNWALLPAPERU", "BTNWALLPAPERD", 464, 330, 84, 34, ButtonPage::kContent},
    {"Startup", "BTNSTARTUPU", "BTNSTARTUPD", 464, 365, 78, 29, ButtonPage::kContent},
    {"Sound", "BTNSOUNDU", "BTNSOUNDD", 386, 390, 68, 32, ButtonPage::kContent},
    {"Random", "BTNRANDOMU", "BTNRANDOMD", 376, 362, 79, 31, ButtonPage::kContent},
    {"Timer", "BTNTIMERU", "BTNTIMERD", 466, 394, 60, 25, ButtonPage::kContent},
    {"Set1", "BTNSET1U", "BTNSET1D", 309, 72, 23, 34, ButtonPage::kContent},
    {"Set2", "BTNSET2U", "BTNSET2D", 306, 154, 26, 33, ButtonPage::kContent},
    {"Set3", "BTNSET3U", "BTNSET3D", 311, 244, 28, 35, ButtonPage::kContent},
    {"Credit1", "BTNSET1U", "BTNSET1D", 309, 72, 23, 34, ButtonPage::kCredit},
    {"Credit2", "BTNSET2U", "BTNSET2D", 306, 154, 26, 33, ButtonPage::kCredit},
    {"Help1", "BTNSET1U", "BTNSET1D", 309, 72, 23, 34, ButtonPage::kHelp},
    {"Help2", "BTNSET2U", "BTNSET2D", 306, 154, 26, 33, ButtonPage::kHelp},
};
// The first 16 entries name every distinct button image.
inline constexpr int kDistinctButtonImages = 16;

// The six option check boxes (12 x 16), each right of its word button.
struct CheckBoxPlace {
  int id, x, y;
};
inline constexpr int kCheckBoxWidth = 12;
inline constexpr int kCheckBoxHeight = 16;
inline constexpr CheckBoxPlace kCheckBoxPlaces[6] = {
    {1001, 453, 343}, {1002, 563, 343}, {1003, 563, 371}, {1004, 453, 398}, {1005, 453, 371}, {1006, 563, 398},
};

}  // namespace ossen

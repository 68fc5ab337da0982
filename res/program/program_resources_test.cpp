// The program's own module as the program reads it: through FindResource on the executable.
#include <gtest/gtest.h>

#include <QtGui/QImage>
#include <QtGui/QImageReader>

#include <QtCore/QBuffer>
#include <QtCore/QByteArray>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "image/four_cc.h"
#include "image/packed_dib.h"
#include "image/pkc_codec.h"
#include "platform/draw/device_context.h"
#include "platform/win32/module.h"
#include "res/program/menu_resource.h"
#include "res/program/program_resources.h"
#include "schedule/catalogue.h"

namespace ossen {
namespace {

ByteView Resource(const ResourceId& name, const ResourceId& type) {
  HRSRC found = FindResource(nullptr, name, type);
  if (found == nullptr) return {};
  const void* bytes = LockResource(LoadResource(nullptr, found));
  return ByteView(static_cast<const std::uint8_t*>(bytes), SizeofResource(nullptr, found));
}

std::uint32_t Read32(ByteView bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::uint16_t Read16(ByteView bytes, std::size_t at) {
  std::uint16_t value = 0;
  std::memcpy(&value, bytes.data() + at, 2);
  return value;
}

// A decoded 8-bit picture: indices top row first, and its colour table.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;
  std::vector<std::uint32_t> table;  // the stored entries, blue-green-red-0 as one word

  std::uint8_t At(int x, int y) const { return indices[static_cast<std::size_t>(y) * width + x]; }
};

// Reads an uncompressed 8-bit packed DIB with a full colour table, checking every size.
bool ReadPicture(ByteView dib, Picture& picture) {
  PackedDibLayout layout{};
  if (!ReadPackedDib(dib, layout)) return false;
  EXPECT_EQ(layout.header.bitCount, 8);
  EXPECT_EQ(layout.header.compression, 0u);
  EXPECT_EQ(layout.headerSize, kInfoHeaderBytes + 1024);
  if (layout.header.bitCount != 8 || layout.header.compression != 0 || layout.headerSize != kInfoHeaderBytes + 1024) {
    return false;
  }
  picture.width = layout.header.width;
  picture.height = layout.header.height;
  for (int i = 0; i < 256; ++i) picture.table.push_back(Read32(dib, kInfoHeaderBytes + 4 * static_cast<std::size_t>(i)));
  const std::uint8_t* rows = dib.data() + layout.headerSize;
  for (int y = picture.height - 1; y >= 0; --y) {
    const std::uint8_t* row = rows + static_cast<std::size_t>(y) * layout.stride;
    picture.indices.insert(picture.indices.end(), row, row + picture.width);
  }
  return true;
}

// A page image: the file header values every page image carries, "PKC1", and its pixels.
void ExpectPageImage(const char* name, int width, int height, Picture& picture) {
  SCOPED_TRACE(name);
  const ByteView stored = Resource(name, kResourceTypeBin);
  ASSERT_GT(stored.size(), kFileHeaderBytes + kInfoHeaderBytes + 1024);
  EXPECT_EQ(stored[0], 'B');
  EXPECT_EQ(stored[1], 'M');
  const std::uint8_t sizeField[4] = {0x45, 0x00, 0x94, 0x0C};
  EXPECT_EQ(std::memcmp(stored.data() + 2, sizeField, 4), 0);
  EXPECT_EQ(Read16(stored, 6), 159);
  EXPECT_EQ(Read32(stored, 10), 1078u);

  const ByteView dib = FindInfoHeader(stored);
  BitmapInfoHeader header{};
  ASSERT_TRUE(ReadInfoHeader(dib, header));
  EXPECT_EQ(header.width, width);
  EXPECT_EQ(header.height, height);
  EXPECT_EQ(header.bitCount, 8);
  EXPECT_EQ(header.compression, kCompressionPkc1);
  EXPECT_EQ(header.colorsUsed, 0u);
  // The compressed block is exactly what follows the header, starting at byte 1078.
  EXPECT_EQ(header.imageSize, stored.size() - 1078);

  GlobalBlock decoded = PkcDecompress(dib);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded.size(), kInfoHeaderBytes + 1024 + RowStride(kFormatIndexed8, width) * static_cast<std::size_t>(height));
  ASSERT_TRUE(ReadPicture(decoded.view(), picture));
}

TEST(PageImages, BookUsesOnlyTheEntriesOutsideThePictureBand) {
  Picture book;
  ExpectPageImage(kBookResource, kPageWidth, kPageHeight * kPageCount, book);
  ASSERT_FALSE(book.indices.empty());
  std::set<int> used(book.indices.begin(), book.indices.end());
  for (int index : used) {
    EXPECT_FALSE(index >= kPictureBandFirst && index < kPictureBandFirst + kPictureBandCount) << index;
  }
  // Enough shades for paper, leather, gold and five tabs, and real colours behind them.
  EXPECT_GT(used.size(), 100u);
  std::set<std::uint32_t> colours;
  for (int index : used) colours.insert(book.table[static_cast<std::size_t>(index)]);
  EXPECT_EQ(colours.size(), used.size());
}

TEST(PageImages, PicturesKeepTheirColoursInTheBandTheWindowCopies) {
  const struct {
    const char* name;
    int width, height;
  } pictures[] = {{kTitleResource, 602, 422}, {kCredits1Resource, 590, 414}, {kCredits2Resource, 590, 414}};
  for (const auto& expected : pictures) {
    Picture picture;
    ExpectPageImage(expected.name, expected.width, expected.height, picture);
    std::set<int> used(picture.indices.begin(), picture.indices.end());
    ASSERT_FALSE(used.empty());
    EXPECT_LT(*used.rbegin(), kPictureBandCount) << expected.name;
    EXPECT_GT(used.size(), 40u) << expected.name;
  }
}

class ButtonImages : public ::testing::Test {
 protected:
  void SetUp() override {
    ExpectPageImage(kBookResource, kPageWidth, kPageHeight * kPageCount, book_);
  }

  static bool ShownOn(const ButtonPlace& button, int page) {
    switch (button.page) {
      case ButtonPage::kAll: return true;
      case ButtonPage::kContent: return page == 1;
      case ButtonPage::kHelp: return page == 2;
      case ButtonPage::kCredit: return page == 3;
    }
    return false;
  }

  // Where a button's bitmap meets the page it is shown on, every pixel of its outer ring
  // equals the page's: no seam.
  void ExpectSeamless(const ButtonPlace& button, const Picture& image, int page) {
    int mismatches = 0;
    for (int y = 0; y < button.height; ++y) {
      for (int x = 0; x < button.width; ++x) {
        if (x != 0 && y != 0 && x != button.width - 1 && y != button.height - 1) continue;
        if (image.At(x, y) != book_.At(button.x + x, kPageHeight * page + button.y + y)) ++mismatches;
      }
    }
    EXPECT_EQ(mismatches, 0) << button.caption << " on page " << page;
  }

  Picture book_;
};

TEST_F(ButtonImages, HaveTheirSizeTheBookColoursAndNoSeamOnTheirPages) {
  for (const ButtonPlace& button : kButtonPlaces) {
    SCOPED_TRACE(button.caption);
    for (const char* name : {button.upImage, button.downImage}) {
      if (name == nullptr) continue;
      const ByteView dib = Resource(name, RT_BITMAP);
      ASSERT_FALSE(dib.empty()) << name;
      EXPECT_NE(dib[0], 'B') << "no file header in a bitmap resource";
      EXPECT_EQ(PackedDibTotalSize(dib), dib.size());
      Picture image;
      ASSERT_TRUE(ReadPicture(dib, image));
      EXPECT_EQ(image.width, button.width);
      EXPECT_EQ(image.height, button.height);
      EXPECT_EQ(image.table, book_.table);
      for (std::uint8_t index : image.indices) {
        ASSERT_FALSE(index >= kPictureBandFirst && index < kPictureBandFirst + kPictureBandCount) << name;
      }
      for (int page = 0; page < kPageCount; ++page) {
        if (ShownOn(button, page)) ExpectSeamless(button, image, page);
      }
    }
  }
}

TEST_F(ButtonImages, PressedImagesDifferAndTheWordIsDrawn) {
  for (const ButtonPlace& button : kButtonPlaces) {
    Picture up;
    ASSERT_TRUE(ReadPicture(Resource(button.upImage, RT_BITMAP), up));
    // The word: the up image is not just the page beneath it.
    int drawn = 0;
    for (int y = 0; y < button.height; ++y) {
      for (int x = 0; x < button.width; ++x) drawn += up.At(x, y) != book_.At(button.x + x, kPageHeight + button.y + y);
    }
    EXPECT_GT(drawn, 20) << button.caption;
    if (button.downImage == nullptr) continue;
    Picture down;
    ASSERT_TRUE(ReadPicture(Resource(button.downImage, RT_BITMAP), down));
    int differing = 0;
    for (std::size_t i = 0; i < up.indices.size(); ++i) differing += up.indices[i] != down.indices[i];
    EXPECT_GT(differing, 20) << button.caption;
  }
}

TEST_F(ButtonImages, SharedPlacesLookTheSameOnEveryPageThatShowsThem) {
  // The tabs' strip on all four pages, the Set1 and Set2 places on Content, Help and Credit.
  auto differing = [&](const ButtonPlace& button, int page, int otherPage) {
    int count = 0;
    for (int y = button.y; y < button.y + button.height; ++y) {
      for (int x = button.x; x < button.x + button.width; ++x) {
        count += book_.At(x, y + kPageHeight * page) != book_.At(x, y + kPageHeight * otherPage);
      }
    }
    return count;
  };
  for (int tab = 0; tab < 5; ++tab) {
    for (int page = 1; page < kPageCount; ++page) EXPECT_EQ(differing(kButtonPlaces[tab], 0, page), 0) << tab;
  }
  for (int set = 13; set <= 14; ++set) {
    EXPECT_EQ(differing(kButtonPlaces[set], 1, 2), 0) << set;
    EXPECT_EQ(differing(kButtonPlaces[set], 1, 3), 0) << set;
  }
}

TEST(OwnPalettePictures, IntroAndAboutBoxAreEightBitWithTheirPalettes) {
  const struct {
    const char* name;
    int width, height;
  } pictures[] = {{kIntroResource, 500, 375}, {kAboutBoxResource, 400, 260}};
  for (const auto& expected : pictures) {
    SCOPED_TRACE(expected.name);
    const ByteView dib = Resource(expected.name, RT_BITMAP);
    Picture picture;
    ASSERT_TRUE(ReadPicture(dib, picture));
    EXPECT_EQ(picture.width, expected.width);
    EXPECT_EQ(picture.height, expected.height);
    std::set<int> used(picture.indices.begin(), picture.indices.end());
    EXPECT_GT(used.size(), 64u);
  }
}

TEST(HandCursor, IsOneMonochrome32PixelImageWithItsHotSpotOnTheFingertip) {
  const ByteView cursor = Resource(kCursorHand, RT_GROUP_CURSOR);
  ASSERT_GE(cursor.size(), 6u + 16u);
  EXPECT_EQ(Read16(cursor, 0), 0);
  EXPECT_EQ(Read16(cursor, 2), 2);  // cursor
  EXPECT_EQ(Read16(cursor, 4), 1);
  EXPECT_EQ(cursor[6], 32);
  EXPECT_EQ(cursor[7], 32);
  EXPECT_EQ(Read16(cursor, 10), 4);  // hot spot x
  EXPECT_EQ(Read16(cursor, 12), 1);  // hot spot y
  const std::uint32_t size = Read32(cursor, 14);
  const std::uint32_t offset = Read32(cursor, 18);
  ASSERT_EQ(std::size_t{offset} + size, cursor.size());
  const ByteView bitmap = cursor.subspan(offset);
  EXPECT_EQ(Read32(bitmap, 0), 40u);
  EXPECT_EQ(static_cast<std::int32_t>(Read32(bitmap, 4)), 32);
  EXPECT_EQ(static_cast<std::int32_t>(Read32(bitmap, 8)), 64);  // colour mask and AND mask
  EXPECT_EQ(Read16(bitmap, 14), 1);
  ASSERT_EQ(bitmap.size(), 40u + 8u + 2u * 128u);

  // XOR rows then AND rows, bottom-up, 4 bytes each: count white, black and see-through.
  auto bit = [&](std::size_t maskStart, int x, int y) {
    const std::uint8_t byte = bitmap[maskStart + static_cast<std::size_t>(31 - y) * 4 + static_cast<std::size_t>(x / 8)];
    return (byte >> (7 - x % 8)) & 1;
  };
  int white = 0, black = 0, clear = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const int colour = bit(48, x, y);
      const int screen = bit(48 + 128, x, y);
      white += !screen && colour;
      black += !screen && !colour;
      clear += screen && !colour;
    }
  }
  EXPECT_GT(white, 150);
  EXPECT_GT(black, 50);
  EXPECT_GT(clear, 400);
  EXPECT_EQ(bit(48 + 128, 4, 1), 0) << "the hot spot lies on the hand";
}

TEST(AppIcon, HoldsThreeSizesThatQtReads) {
  const ByteView icon = Resource(kIconApp, RT_GROUP_ICON);
  ASSERT_GE(icon.size(), 6u + 3u * 16u);
  EXPECT_EQ(Read16(icon, 2), 1);
  ASSERT_EQ(Read16(icon, 4), 3);
  std::set<int> sizes;
  for (std::size_t i = 0; i < 3; ++i) {
    sizes.insert(icon[6 + 16 * i]);
    EXPECT_LE(std::size_t{Read32(icon, 6 + 16 * i + 12)} + Read32(icon, 6 + 16 * i + 8), icon.size());
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));

  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QByteArray bytes(reinterpret_cast<const char*>(icon.data()), static_cast<qsizetype>(icon.size()));
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "ico");
  EXPECT_EQ(reader.imageCount(), 3);
  const QImage first = reader.read();
  EXPECT_FALSE(first.isNull()) << reader.errorString().toStdString();
}

std::string String(int id) {
  char buffer[4096];
  const int length = LoadString(nullptr, static_cast<UINT>(id), buffer, sizeof buffer);
  return std::string(buffer, static_cast<std::size_t>(length));
}

TEST(Strings, HoldTheProgramsTexts) {
  EXPECT_EQ(String(kStringAbout), "&About Brantwell Ossen Screen Saver...");
  EXPECT_EQ(String(kStringAppTitle), "Vintra Ossens Screen Savers");
  EXPECT_EQ(String(kStringBoot), "boot");
  EXPECT_EQ(String(kStringScreenSaverKey), "SCRNSAVE.EXE");
  EXPECT_EQ(String(kStringApplyNow), "Do you want to apply the settings now?");
}

TEST(Strings, HelpTextsBreakLinesWithCrLfAndNameTwoPaintingsOfTheCatalogue) {
  for (int id = kStringHelp1Left; id <= kStringHelp2Right; ++id) {
    const std::string text = String(id);
    ASSERT_FALSE(text.empty()) << id;
    EXPECT_EQ(text.find('&'), std::string::npos) << "DrawText would take '&' for a mnemonic, in " << id;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
      EXPECT_TRUE(at > 0 && text[at - 1] == '\r') << id;
    }
  }
  EXPECT_EQ(String(kStringHelp1Left).rfind("Help Section\r\n", 0), 0u);
  EXPECT_EQ(String(kStringHelp2Left).rfind("Help Section\r\n", 0), 0u);
  EXPECT_EQ(String(kStringHelp2Right).rfind("Options\r\n", 0), 0u);
  int named = 0;
  for (const char* title : CatalogueTitles) named += String(kStringHelp2Left).find(title) != std::string::npos;
  EXPECT_GE(named, 2);
}

TEST(Strings, HelpTextsFitTheirColumnsAtTheWindowsTwelvePixelFont) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::vector<BYTE> pixels(640 * 480);
  DeviceContext dc(PixelTarget{pixels.data(), 640, 640, 480, 8});
  const Font largeFont = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH | FF_SWISS, nullptr);
  dc.SelectObject(&largeFont);
  const struct {
    int id;
    RECT column;
  } columns[] = {{kStringHelp1Left, {50, 60, 288, 410}},
                 {kStringHelp1Right, {352, 60, 575, 410}},
                 {kStringHelp2Left, {50, 60, 288, 410}},
                 {kStringHelp2Right, {352, 60, 575, 410}}};
  for (const auto& column : columns) {
    const std::string text = String(column.id);
    RECT needed = column.column;
    ASSERT_GT(dc.DrawText(text.c_str(), -1, &needed, DT_WORDBREAK | DT_CALCRECT), 0);
    EXPECT_LE(needed.right, column.column.right) << column.id;
    EXPECT_LE(needed.bottom, column.column.bottom) << column.id;
  }
}

TEST(TrayMenu, ParsesToPropertiesSeparatorExit) {
  const ByteView menu = Resource(kMenuTray, RT_MENU);
  const std::vector<MenuItem> items = ParseMenuResource(menu.data(), menu.size());
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].command, kCommandProperties);
  EXPECT_EQ(items[0].text, "Properties");
  EXPECT_TRUE(items[1].IsSeparator());
  EXPECT_EQ(items[2].command, kCommandExit);
  EXPECT_EQ(items[2].text, "Exit");
}

}  // namespace
}  // namespace ossen

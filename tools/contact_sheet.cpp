// contact_sheet: one PNG that shows every picture of the program's own module as the book
// window puts them together, so that seams, colours and cramped text can be judged.
//
//   contact_sheet OUT.png [OssenDLL.rcc]
//
// The sheet holds the four book pages (each also written beside it, OUT-cover.png,
// OUT-content.png, OUT-help.png, OUT-credit.png) with their tabs, page buttons, texts and pictures in
// place; every button image up and down; INTRO, ABOUTBOX, TITLE, CREDITS1 and CREDITS2 at
// full size; and, when a picture library is given, its 35 previews "A1P".."A35P".
// Exit code 0 on success, 1 when a resource or the library cannot be read, 2 for bad usage.
#include <QtCore/QBuffer>
#include <QtCore/QByteArray>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QImageReader>
#include <QtGui/QPainter>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "book/surface_image.h"
#include "gfx/dib_image.h"
#include "platform/base/ascii_case.h"
#include "platform/base/file_io.h"
#include "platform/win32/module.h"
#include "res/program/program_resources.h"
#include "schedule/catalogue.h"

namespace ossen {
namespace {

constexpr int kMargin = 16;
constexpr int kSheetWidth = 2 * kPageWidth + 3 * kMargin;

// A stored image from a module, decoded, as a Qt image; null when missing or not 8-bit.
QImage LoadResourceImage(HMODULE module, const char* name, const ResourceId& type) {
  SurfaceRef<DibImage> image = DibImage::New();
  if (!image || image->Load(name, kLoadFromResource | kLoadCopyBytes | kLoadDecompress, module, type, nullptr,
                            nullptr) != 0) {
    return {};
  }
  const QImage indexed = ImageFromSurface(image.get());
  return indexed.isNull() ? QImage() : indexed.convertToFormat(QImage::Format_ARGB32);
}

QString LoadText(int id) {
  char buffer[2048];
  const int length = LoadString(nullptr, static_cast<UINT>(id), buffer, sizeof buffer);
  return QString::fromLatin1(buffer, length).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Text as the book window draws it: no anti-aliasing, black.
void DrawPlainText(QPainter& painter, const QRect& box, const QString& text, int pixels, int flags) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setStyleStrategy(QFont::NoAntialias);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(box, flags, text);
}

// "sheet.png" and "Cover" give "sheet-cover.png".
std::string BesidePath(const std::string& outPath, const char* page) {
  std::string stem = outPath;
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".png") == 0) stem.resize(stem.size() - 4);
  return stem + "-" + AsciiLowered(page) + ".png";
}

class Sheet {
 public:
  explicit Sheet(HMODULE library) : library_(library) {}

  bool Build(const std::string& outPath);

 private:
  QImage Page(int page);
  void Label(QPainter& painter, int x, int y, const QString& text);
  void DrawCursorAndIcon(QPainter& painter, int x, int y);
  void Missing(const char* name) {
    std::fprintf(stderr, "contact_sheet: resource %s is missing or unreadable\n", name);
    ok_ = false;
  }
  QImage Need(const char* name, const ResourceId& type) {
    QImage image = LoadResourceImage(nullptr, name, type);
    if (image.isNull()) Missing(name);
    return image;
  }

  HMODULE library_;
  bool ok_ = true;
  QImage book_;
};

QImage Sheet::Page(int page) {
  QImage image = book_.copy(0, kPageHeight * page, kPageWidth, kPageHeight);
  QPainter painter(&image);
  auto place = [&](const char* name, int x, int y) {
    const QImage picture = Need(name, kResourceTypeBin);
    if (!picture.isNull()) painter.drawImage(x, y, picture);
  };
  if (page == 0) place(kTitleResource, 11, 48);
  if (page == 3) place(kCredits1Resource, 12, 41);
  if (page == 2) {
    DrawPlainText(painter, QRect(50, 60, 238, 350), LoadText(kStringHelp1Left), 12, Qt::TextWordWrap);
    DrawPlainText(painter, QRect(352, 60, 223, 350), LoadText(kStringHelp1Right), 12, Qt::TextWordWrap);
  }
  if (page == 1) {
    // A sample of rows, a preview and its caption, as the window shows them.
    for (int r = 0; r < 12; ++r) {
      const int y = 132 + 24 * r;
      DrawPlainText(painter, QRect(36, y, 130, 14), QString::fromLatin1(CatalogueArtists[r]), 10, 0);
      DrawPlainText(painter, QRect(172, y, 60, 14), QStringLiteral("%1/%2/27").arg(r % 12 + 1).arg(r * 2 + 3), 10, 0);
      DrawPlainText(painter, QRect(236, y, 60, 14), QStringLiteral("09:%1 AM").arg(r * 5, 2, 10, QChar('0')), 10, 0);
    }
    const QImage preview = library_ ? LoadResourceImage(library_, "A1P", kResourceTypeBin) : QImage();
    if (!preview.isNull()) painter.drawImage(QRect(369, 93, 169, 115), preview);
    DrawPlainText(painter, QRect(369, 218, 169, 32), QString::fromLatin1(CatalogueTitles[0]), 10,
                  Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap);
    for (const CheckBoxPlace& box : kCheckBoxPlaces) {
      painter.fillRect(QRect(box.x, box.y, kCheckBoxWidth, kCheckBoxHeight), QColor(255, 255, 0));
      painter.setPen(Qt::black);
      painter.drawRect(QRect(box.x, box.y + 2, kCheckBoxWidth - 1, kCheckBoxWidth - 1));
    }
  }
  for (const ButtonPlace& button : kButtonPlaces) {
    const bool shown = button.page == ButtonPage::kAll || (page == 1 && button.page == ButtonPage::kContent) ||
                       (page == 2 && button.page == ButtonPage::kHelp) || (page == 3 && button.page == ButtonPage::kCredit);
    if (!shown) continue;
    const QImage up = Need(button.upImage, RT_BITMAP);
    if (!up.isNull()) painter.drawImage(button.x, button.y, up);
  }
  return image;
}

// The hand cursor four times enlarged on light and dark grounds, and every icon size.
void Sheet::DrawCursorAndIcon(QPainter& painter, int x, int y) {
  auto read = [&](const ResourceId& name, const ResourceId& type, const char* format) {
    std::vector<QImage> images;
    HRSRC found = FindResource(nullptr, name, type);
    if (found == nullptr) return images;
    QByteArray bytes(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                     static_cast<qsizetype>(SizeofResource(nullptr, found)));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, format);
    for (QImage image = reader.read(); !image.isNull(); image = reader.read()) {
      images.push_back(image);
      if (!reader.jumpToNextImage()) break;
    }
    return images;
  };
  Label(painter, x, y + 12, QStringLiteral("Cursor 132 (4x), icon 128"));
  const std::vector<QImage> hand = read(kCursorHand, RT_GROUP_CURSOR, "cur");
  if (hand.empty()) Missing("cursor 132");
  for (const QImage& image : hand) {
    painter.fillRect(QRect(x, y + 18, 128, 128), QColor(200, 200, 200));
    painter.fillRect(QRect(x + 136, y + 18, 128, 128), QColor(20, 60, 120));
    painter.drawImage(QRect(x, y + 18, 128, 128), image);
    painter.drawImage(QRect(x + 136, y + 18, 128, 128), image);
    // The hot spot, marked.
    painter.fillRect(QRect(x + 4 * 4, y + 18 + 4, 4, 4), Qt::red);
  }
  const std::vector<QImage> icons = read(kIconApp, RT_GROUP_ICON, "ico");
  if (icons.size() != 3) Missing("icon 128");
  int at = x;
  for (const QImage& icon : icons) {
    painter.drawImage(at, y + 160, icon);
    painter.drawImage(QRect(at, y + 220, icon.width() * 2, icon.height() * 2), icon);
    at += icon.width() * 2 + 12;
  }
}

void Sheet::Label(QPainter& painter, int x, int y, const QString& text) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  painter.setFont(font);
  painter.setPen(QColor(230, 230, 230));
  painter.drawText(x, y, text);
}

bool Sheet::Build(const std::string& outPath) {
  book_ = Need(kBookResource, kResourceTypeBin);
  if (book_.isNull()) return false;

  // Drawn on a tall canvas, cut to what was used at the end.
  QImage sheet(kSheetWidth, 5000, QImage::Format_ARGB32);
  sheet.fill(QColor(48, 48, 52));
  QPainter painter(&sheet);
  static const char* const kPageNames[4] = {"Cover", "Content", "Help", "Credit"};
  int y = kMargin;
  for (int page = 0; page < 4; ++page) {
    const int x = kMargin + (page % 2) * (kPageWidth + kMargin);
    const int top = y + (page / 2) * (kPageHeight + 24);
    Label(painter, x, top + 12, QString::fromLatin1(kPageNames[page]));
    const QImage composed = Page(page);
    painter.drawImage(x, top + 18, composed);
    // Each page also on its own, to be looked at pixel by pixel.
    const std::string pagePath = BesidePath(outPath, kPageNames[page]);
    if (!composed.save(QString::fromStdString(pagePath), "PNG")) {
      std::fprintf(stderr, "contact_sheet: cannot write %s\n", pagePath.c_str());
      ok_ = false;
    }
  }
  y += 2 * (kPageHeight + 24);

  // Every distinct button image, up above down, at twice their size.
  int x = kMargin;
  Label(painter, x, y + 12, QStringLiteral("Buttons, up and down (2x)"));
  int rowTop = y + 20;
  int rowHeight = 0;
  for (int i = 0; i < kDistinctButtonImages; ++i) {
    const ButtonPlace& button = kButtonPlaces[i];
    const QImage up = Need(button.upImage, RT_BITMAP);
    const QImage down = button.downImage ? Need(button.downImage, RT_BITMAP) : QImage();
    if (up.isNull()) continue;
    if (x + 2 * up.width() > kSheetWidth - kMargin) {
      x = kMargin;
      rowTop += rowHeight + 8;
      rowHeight = 0;
    }
    painter.drawImage(QRect(x, rowTop, 2 * up.width(), 2 * up.height()), up);
    if (!down.isNull()) painter.drawImage(QRect(x, rowTop + 2 * up.height() + 2, 2 * down.width(), 2 * down.height()), down);
    rowHeight = std::max(rowHeight, 4 * up.height() + 2);
    x += 2 * up.width() + 8;
  }
  y = rowTop + rowHeight + 16;

  // The pictures at full size, three rows.
  struct Shown {
    const char* name;
    ResourceId type;
  };
  const Shown rows[3][2] = {{{kIntroResource, RT_BITMAP}, {kAboutBoxResource, RT_BITMAP}},
                            {{kTitleResource, kResourceTypeBin}, {kCredits1Resource, kResourceTypeBin}},
                            {{kCredits2Resource, kResourceTypeBin}, {nullptr, 0}}};
  int lastRowTop = y;
  for (const auto& row : rows) {
    lastRowTop = y;
    x = kMargin;
    int tallest = 0;
    for (const Shown& shown : row) {
      if (shown.name == nullptr) continue;
      const QImage picture = Need(shown.name, shown.type);
      Label(painter, x, y + 12, QString::fromLatin1(shown.name));
      if (picture.isNull()) continue;
      painter.drawImage(x, y + 18, picture);
      x += picture.width() + kMargin;
      tallest = std::max(tallest, picture.height());
    }
    y += 18 + tallest + 16;
  }
  DrawCursorAndIcon(painter, kMargin + 590 + kMargin, lastRowTop);

  if (library_) {
    Label(painter, kMargin, y + 12, QStringLiteral("Library previews A1P..A35P"));
    for (int i = 1; i <= 35; ++i) {
      const std::string name = "A" + std::to_string(i) + "P";
      const QImage preview = LoadResourceImage(library_, name.c_str(), kResourceTypeBin);
      const int px = kMargin + ((i - 1) % 7) * 185;
      const int py = y + 20 + ((i - 1) / 7) * 150;
      if (preview.isNull()) {
        Missing(name.c_str());
        continue;
      }
      painter.drawImage(QRect(px, py, 169, 115), preview);
      Label(painter, px, py + 130, QString::fromStdString(name));
    }
    y += 20 + 5 * 150;
  }
  painter.end();
  if (!sheet.copy(0, 0, kSheetWidth, y + kMargin).save(QString::fromStdString(outPath), "PNG")) {
    std::fprintf(stderr, "contact_sheet: cannot write %s\n", outPath.c_str());
    return false;
  }
  return ok_;
}

}  // namespace
}  // namespace ossen

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: contact_sheet OUT.png [OssenDLL.rcc]\n");
    return 2;
  }
  // The sheet is drawn off screen: the tool needs no display.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  ossen::HMODULE library = nullptr;
  if (argc == 3) {
    std::vector<std::uint8_t> bytes;
    if (ossen::ReadFileBytes(argv[2], ossen::kMaxModuleFileBytes, bytes) != ossen::ReadResult::kOk ||
        (library = ossen::LoadModuleFromImage(std::move(bytes))) == nullptr) {
      std::fprintf(stderr, "contact_sheet: %s is not a readable picture library\n", argv[2]);
      return 1;
    }
  }
  ossen::Sheet sheet(library);
  return sheet.Build(argv[1]) ? 0 : 1;
}

// The page view: the back buffer the pages are drawn into, the page pictures, the window's
// placement and its painting.
#include <QGuiApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>

#include "book/book_dialog.h"
#include "book/option_box.h"
#include "book/picture_button.h"
#include "book/program_strings.h"
#include "book/slot_field.h"
#include "book/surface_image.h"
#include "gfx/dib_image.h"
#include "image/packed_dib.h"
#include "platform/base/trace.h"

namespace ossen {
namespace {

constexpr char kPictureResourceType[] = "BIN";

// A page picture of the program's own module, decompressed into a section surface. The
// surface is made even when the picture is missing or undecodable: it is then empty.
SurfaceRef<DibSectionSurface> LoadPagePicture(const char* name) {
  SurfaceRef<DibSectionSurface> section = DibSectionSurface::New();
  SurfaceRef<DibImage> loaded = DibImage::New();
  if (section && loaded && loaded->Load(name, kLoadFromResource, nullptr, kPictureResourceType, nullptr, nullptr) == 0) {
    loaded->Decompress();
    section->CopyFrom(loaded.get());
  }
  return section;
}

}  // namespace

void BookDialog::PlaceWindow() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen != nullptr ? screen->geometry() : QRect();
  if (screenRect.width() == kBookWidth && screenRect.height() == kBookHeight) {
    // The client area fills the screen; frame and caption lie off it.
    const QPoint clientCorner = geometry().topLeft();
    if (clientCorner != QPoint(0, 0)) move(pos() - clientCorner);
  } else {
    const QRect frame = frameGeometry();
    if (frame.left() < 0 || frame.top() < 0) move(0, 0);
  }
  if (width() != kBookWidth && height() != kBookHeight) resize(kBookWidth, kBookHeight);
}

// The book itself at once; the Cover's and the Credit pages' own pictures when their page is
// first shown after this (PagePicture): the window opens on the Content page, and a start
// that shows it sooner is worth more than the two milliseconds a first Cover click costs.
void BookDialog::LoadPictures() {
  bookImage = LoadPagePicture("BOOK");
  if (bookImage) bookImage->SetPalette(bookImage->GetPalette());
  previewImage = DibSectionSurface::New();
}

// The page picture held in `picture`, decoded now if it is not yet; null while the pictures
// are freed (the window is hidden).
Surface* BookDialog::PagePicture(SurfaceRef<DibSectionSurface>& picture, const char* name) {
  if (!bookImage) return nullptr;
  if (!picture) picture = LoadPagePicture(name);
  return picture.get();
}

void BookDialog::FreePictures() {
  bookImage = {};
  titleImage = {};
  credits1Image = {};
  credits2Image = {};
  previewImage = {};
}

void BookDialog::ShowPage(int page, const QRect& rect) {
  CreateSlotFields();
  // The fields are hidden below: an edit in progress is committed first.
  FocusContentButton();
  if (backBuffer && bookImage && bookImage->format != 0) {
    backBuffer->BltTo(0, 0, kBookWidth, kBookHeight, bookImage.get(), 0, kBookHeight * page, kBookWidth, kBookHeight,
                      0, {});
  }
  ShowPageControls(-1);
  switch (page) {
    case kCoverPage:
      if (Surface* title = PagePicture(titleImage, "TITLE")) ShowPicture(title, 11, 48, 602, 422);
      break;
    case kContentPage:
      DrawSlotPage();
      ShowPageControls(kContentPage);
      break;
    case kHelpPage:
      DrawHelpPage(kCommandHelp1);
      ShowPageControls(kHelpPage);
      break;
    case kCreditPage:
      DrawCreditPage(kCommandCredit1);
      ShowPageControls(kCreditPage);
      break;
    default:
      break;
  }
  update(rect);
}

// -1 hides the fifteen page buttons, the check boxes and the fields; a page shows its own.
// The Content page shows all three fields, also where the last slot hid date and time.
void BookDialog::ShowPageControls(int page) {
  const ButtonPage shownOn = page == kContentPage ? ButtonPage::kContent
                             : page == kHelpPage  ? ButtonPage::kHelp
                             : page == kCreditPage ? ButtonPage::kCredit
                                                   : ButtonPage::kAll;
  fieldsQuiet_ = true;
  for (int i = 0; i < kButtonCount; ++i) {
    PictureButton* button = buttons_[static_cast<std::size_t>(i)];
    if (button == nullptr || kButtonPlaces[i].page == ButtonPage::kAll) continue;
    if (page < 0 && kButtonPlaces[i].page != ButtonPage::kAll) button->hide();
    if (page >= 0 && kButtonPlaces[i].page == shownOn) button->show();
  }
  const bool content = page == kContentPage;
  if (page < 0 || content) {
    for (OptionBox* box : boxes_) box->setVisible(content);
    for (SlotField* field : {nameField_, dateField_, timeField_}) {
      if (field != nullptr) field->setVisible(content);
    }
  }
  fieldsQuiet_ = false;
}

void BookDialog::TabCommand(int id) {
  if (id == kCommandClose) {
    // Posted: the click that asked for it finishes first.
    QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
    return;
  }
  cursor_.TurnTo(id - kCommandCover);
  ShowPage(cursor_.Page(), QRect(0, 0, kBookWidth, kBookHeight));
}

// The picture's first 100 colours become the window palette's band 136..235 and the back
// buffer's, so the copy below maps each picture colour onto its band entry.
void BookDialog::ShowPicture(Surface* picture, int x, int y, int width, int height) {
  std::array<PaletteEntry, 256> band{};
  if (const Palette* palette = picture->GetPalette()) palette->GetEntries(band, 0, kPictureBandCount);
  if (currentPalette_ != nullptr) {
    currentPalette_->SetEntries(band, kPictureBandFirst, kPictureBandCount);
    RealizeWindowPalette();
  }
  if (!backBuffer) return;
  if (Palette* own = backBuffer->GetPalette(); own != nullptr && own != currentPalette_) {
    own->SetEntries(band, kPictureBandFirst, kPictureBandCount);
  }
  backBuffer->WritePaletteToTable();
  DeviceContext* from = picture->GetDC();
  DeviceContext* to = backBuffer->GetDC();
  if (from != nullptr && to != nullptr) to->StretchBlt(x, y, width, height, *from, 0, 0, width, height, SRCCOPY);
  if (from != nullptr) picture->ReleaseDC(from);
  if (to != nullptr) backBuffer->ReleaseDC(to);
}

void BookDialog::DrawHelpPage(int id) {
  const bool first = id == kCommandHelp1;
  const std::string left = ProgramString(first ? kStringHelp1Left : kStringHelp2Left);
  const std::string right = ProgramString(first ? kStringHelp1Right : kStringHelp2Right);
  if (!backBuffer || !bookImage) return;
  backBuffer->BltTo(50, 60, 525, 350, bookImage.get(), 50, kPageHeight * cursor_.Page() + 60, 525, 350, 0, {});
  DeviceContext* dc = backBuffer->GetDC();
  if (dc == nullptr) return;
  const Font* oldFont = dc->SelectObject(&largeDcFont_);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(BookTextColour());
  RECT leftBox{50, 60, 288, 410};
  RECT rightBox{352, 60, 575, 410};
  dc->DrawText(left.c_str(), -1, &leftBox, DT_WORDBREAK | DT_VCENTER);
  dc->DrawText(right.c_str(), -1, &rightBox, DT_WORDBREAK | DT_VCENTER);
  dc->SelectObject(oldFont);
  backBuffer->ReleaseDC(dc);
  update(QRect(QPoint(50, 60), QPoint(574, 409)));
}

void BookDialog::DrawCreditPage(int id) {
  Surface* picture = id == kCommandCredit1 ? PagePicture(credits1Image, "CREDITS1")
                                           : PagePicture(credits2Image, "CREDITS2");
  if (picture != nullptr) ShowPicture(picture, 12, 41, 590, 414);
  update(QRect(QPoint(12, 41), QPoint(601, 454)));
}

// Text is black; the back buffer gets the book's own colour nearest to black, so that the
// picture band, whose colours change with every picture, never lends the text its colour.
COLORREF BookDialog::BookTextColour() const {
  const Palette* palette = bookImage ? bookImage->GetPalette() : nullptr;
  if (palette == nullptr) return RGB(0, 0, 0);
  const auto entries = palette->Entries();
  int best = -1;
  int bestDistance = 0;
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    if (i >= kPictureBandFirst && i < kPictureBandFirst + kPictureBandCount) continue;
    const PaletteEntry& entry = entries[static_cast<std::size_t>(i)];
    const int distance = entry.red * entry.red + entry.green * entry.green + entry.blue * entry.blue;
    if (best < 0 || distance < bestDistance) best = i, bestDistance = distance;
  }
  if (best < 0) return RGB(0, 0, 0);
  const PaletteEntry& darkest = entries[static_cast<std::size_t>(best)];
  return RGB(darkest.red, darkest.green, darkest.blue);
}

Palette* BookDialog::SetCurrentPalette(Palette* palette) {
  Palette* old = currentPalette_;
  currentPalette_ = palette;
  RealizeWindowPalette();
  return old;
}

// The window shows the back buffer through its colour table on a true-colour display:
// realising the palette remaps nothing.
int BookDialog::RealizeWindowPalette() { return 0; }

void BookDialog::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect();
  if (!DrawSurface(painter, area.topLeft(), backBuffer.get(), area)) painter.fillRect(area, Qt::black);
  if (cursor_.Page() == kContentPage) PaintPreview(painter);
  if (!painted_) {
    painted_ = true;
    Trace("first paint");
  }
}

}  // namespace ossen

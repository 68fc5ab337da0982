// The Content page: twelve rows of the current set drawn into the back buffer, the current
// slot shown with its preview, caption, fields and element boxes, and the row a click hits.
#include <QMouseEvent>
#include <QPainter>

#include "book/book_dialog.h"
#include "book/option_box.h"
#include "book/slot_field.h"
#include "book/surface_image.h"
#include "gfx/dib_image.h"
#include "platform/win32/date_format.h"
#include "schedule/local_time.h"

namespace ossen {
namespace {

constexpr int kRowLeft = 36;
constexpr int kRowTop = 132;
constexpr int kRowHeight = 24;
constexpr int kRowWidth = 256;
constexpr int kRowAreaHeight = 307;
constexpr int kDateColumn = 172;
constexpr int kTimeColumn = 236;
constexpr char kTimePicture[] = "hh:mm tt";
constexpr char kPreviewNameFormat[] = "A%iP";
const QRect kPreviewFrame(369, 93, 169, 115);
const QRect kCaptionBox(369, 218, 169, 32);
// The frame and the whole caption band beneath it, repainted whenever the current slot
// changes: a two-line title reaches below y = 231, and stopping there left its second line
// unpainted (or the previous title's second line standing).
const QRect kPreviewArea(kPreviewFrame.topLeft(), kCaptionBox.bottomRight());

int RowTop(int row) { return kRowTop + kRowHeight * row; }

// The preview scaled as a colour-on-colour stretch does it: target pixel j takes source
// pixel floor(j * source size / target size), rows and columns alike.
QImage ScaleToFrame(const QImage& source, const QSize& frame) {
  if (source.isNull()) return {};
  const QImage colours = source.convertToFormat(QImage::Format_RGB32);
  QImage scaled(frame, QImage::Format_RGB32);
  for (int y = 0; y < frame.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(colours.constScanLine(
        static_cast<int>(static_cast<long long>(y) * colours.height() / frame.height())));
    auto* to = reinterpret_cast<QRgb*>(scaled.scanLine(y));
    for (int x = 0; x < frame.width(); ++x) {
      to[x] = from[static_cast<long long>(x) * colours.width() / frame.width()];
    }
  }
  return scaled;
}

}  // namespace

void BookDialog::FormatSlotMoment(std::int64_t dueTime, std::string& dateText, std::string& timeText) const {
  LocalMoment local;
  dateText.clear();
  timeText.clear();
  if (!BreakDownMoment(dueTime, local)) return;
  SYSTEMTIME moment;
  moment.wYear = static_cast<WORD>(local.year);
  moment.wMonth = static_cast<WORD>(local.month);
  moment.wDay = static_cast<WORD>(local.day);
  moment.wHour = static_cast<WORD>(local.hour);
  moment.wMinute = static_cast<WORD>(local.minute);
  char text[MAX_PATH];
  if (GetDateFormat(LOCALE_USER_DEFAULT, 0, &moment, dateFormat.c_str(), text, MAX_PATH) > 0) dateText = text;
  if (GetTimeFormat(LOCALE_USER_DEFAULT, 0, &moment, kTimePicture, text, MAX_PATH) > 0) timeText = text;
}

int BookDialog::LoadPictureColours(Surface* surface) {
  const Palette* palette = surface != nullptr ? surface->GetPalette() : nullptr;
  if (palette == nullptr) return kPictureColoursFailed;
  std::array<PaletteEntry, 256> band{};
  palette->GetEntries(band, 0, kPictureBandCount);
  if (currentPalette_ != nullptr) {
    currentPalette_->SetEntries(band, kPictureBandFirst, kPictureBandCount);
    RealizeWindowPalette();
  }
  return kPictureColoursLoaded;
}

// Empties what shows the current slot: preview, caption, the three fields.
void BookDialog::EmptyCurrentSlot() {
  if (previewImage) previewImage->Destroy();
  previewShown_ = QImage();
  previewCaption.clear();
  fieldsQuiet_ = true;
  for (SlotField* field : {nameField_, dateField_, timeField_}) {
    if (field != nullptr) field->clear();
  }
  fieldsQuiet_ = false;
}

// Makes list item `index` the current slot on screen: caption, preview and its colours,
// the fields' texts and visibility, the element boxes. Off the Content page only the texts
// follow: the fields stay hidden, and the preview (whose colours would replace those of the
// Cover's or a Credit picture) waits until the Content page is shown.
void BookDialog::ShowCurrentSlot(int index) {
  const SlotList& schedule = host_.Slots();
  const SlotRecord* record = schedule.ItemData(index);
  if (record == nullptr) return;
  const bool onContent = cursor_.Page() == kContentPage;
  previewCaption = std::string(FieldText(record->title));
  if (previewImage && onContent) {
    char name[32];
    std::snprintf(name, sizeof name, kPreviewNameFormat, static_cast<int>(record->slotId));
    HMODULE library = host_.PictureLibrary();
    if (library != nullptr &&
        previewImage->Load(name, kLoadFromResource | kLoadCopyBytes, library, kResourceTypeBin, nullptr, nullptr) == 0) {
      LoadPictureColours(previewImage.get());
      previewShown_ = ScaleToFrame(ImageFromSurface(previewImage.get()), kPreviewFrame.size());
    }
  }
  if (nameField_ != nullptr) {
    std::string dateText;
    std::string timeText;
    FormatSlotMoment(record->dueTime, dateText, timeText);
    fieldsQuiet_ = true;
    nameField_->setText(QString::fromLatin1(schedule.ItemText(index).c_str()));
    dateField_->setText(QString::fromLatin1(dateText.c_str()));
    timeField_->setText(QString::fromLatin1(timeText.c_str()));
    nameField_->setVisible(onContent);
    dateField_->setVisible(onContent && index != kLastSlotIndex);
    timeField_->setVisible(onContent && index != kLastSlotIndex);
    fieldsQuiet_ = false;
  }
  for (int bit = 0; bit < 3; ++bit) CheckBox(kBoxSaver + bit, (record->elements & (1 << bit)) != 0);
}

void BookDialog::PlaceFields() {
  if (nameField_ == nullptr) return;
  const int top = RowTop(cursor_.Row());
  nameField_->setGeometry(34, top, 130, 14);
  dateField_->setGeometry(164, top, 72, 14);
  timeField_->setGeometry(230, top, 60, 14);
}

void BookDialog::DrawSlotPage() {
  // Without pictures (the window is hidden), or on another page (the clock moved a slot
  // while Cover, Help or Credit shows), nothing is drawn, but the fields still follow the
  // current slot: an edit committed later must never meet another slot's texts.
  const bool onContent = cursor_.Page() == kContentPage;
  const bool drawing = onContent && previewImage && bookImage && backBuffer;
  EmptyCurrentSlot();
  DeviceContext* dc = nullptr;
  if (drawing) {
    backBuffer->BltTo(kRowLeft, kRowTop, kRowWidth, kRowAreaHeight, bookImage.get(), kRowLeft,
                      kPageHeight * cursor_.Page() + kRowTop, kRowWidth, kRowAreaHeight, 0, {});
    dc = backBuffer->GetDC();
  }
  const Font* oldFont = nullptr;
  if (dc != nullptr) {
    oldFont = dc->SelectObject(&smallDcFont_);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(BookTextColour());
  }
  const SlotList& schedule = host_.Slots();
  for (int row = 0; row < kSlotsPerPage; ++row) {
    const int index = cursor_.IndexOfRow(row);
    const SlotRecord* record = schedule.ItemData(index);
    if (record == nullptr) continue;
    if (row == cursor_.Row()) ShowCurrentSlot(index);
    if (dc == nullptr) continue;
    std::string dateText;
    std::string timeText;
    FormatSlotMoment(record->dueTime, dateText, timeText);
    const std::string name = schedule.ItemText(index);
    // A long painter's name or date stops at the next column instead of running over the
    // calendar's ruling.
    const RECT nameColumn{kRowLeft, RowTop(row), kDateColumn - 6, RowTop(row) + kRowHeight};
    const RECT dateColumn{kDateColumn, RowTop(row), kTimeColumn - 4, RowTop(row) + kRowHeight};
    dc->ExtTextOut(kRowLeft, RowTop(row), ETO_CLIPPED, &nameColumn, name.c_str(), static_cast<UINT>(name.size()),
                   nullptr);
    dc->ExtTextOut(kDateColumn, RowTop(row), ETO_CLIPPED, &dateColumn, dateText.c_str(),
                   static_cast<UINT>(dateText.size()), nullptr);
    dc->TextOut(kTimeColumn, RowTop(row), timeText.c_str(), -1);
  }
  if (dc != nullptr) {
    dc->SelectObject(oldFont);
    backBuffer->ReleaseDC(dc);
  }
  PlaceFields();
  if (!onContent) return;
  update(QRect(kRowLeft, kRowTop, kRowWidth, kRowAreaHeight));
  update(kPreviewArea);
}

void BookDialog::SelectSlot() {
  EmptyCurrentSlot();
  ShowCurrentSlot(cursor_.Index());
  PlaceFields();
  if (cursor_.Page() != kContentPage) return;
  update(QRect(kRowLeft, RowTop(cursor_.Row()), kRowWidth, kRowHeight));
  update(kPreviewArea);
}

void BookDialog::MakeSlotCurrent(int index) {
  cursor_.MoveTo(index);
  SelectSlot();
}

void BookDialog::ClickSlotRow(const QPoint& point) {
  if (cursor_.Page() != kContentPage) return;
  // A field being edited commits first; that may move the slot and the page.
  FocusContentButton();
  for (int row = 0; row < kSlotsPerPage; ++row) {
    if (!QRect(kRowLeft, RowTop(row), kRowWidth, kRowHeight).contains(point)) continue;
    if (row != cursor_.Row()) {
      cursor_.SelectRow(row);
      SelectSlot();
    }
    return;
  }
}

void BookDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) ClickSlotRow(event->position().toPoint());
  QDialog::mousePressEvent(event);
}

void BookDialog::PaintPreview(QPainter& painter) {
  if (!previewShown_.isNull()) painter.drawImage(kPreviewFrame.topLeft(), previewShown_);
  if (host_.Slots().ItemData(cursor_.Index()) == nullptr) return;
  painter.setFont(smallFont_);
  painter.setPen(Qt::black);
  painter.drawText(kCaptionBox, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   QString::fromLatin1(previewCaption.c_str()));
}

}  // namespace ossen

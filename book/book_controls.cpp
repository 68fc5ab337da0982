// The book's controls: the twenty bitmap buttons, the six option check boxes with the
// switches behind them, and the three fields of the current row.
#include "book/book_dialog.h"
#include "book/option_box.h"
#include "book/picture_button.h"
#include "book/slot_field.h"
#include "platform/win32/registry_helpers.h"
#include "schedule/slot_store.h"

namespace ossen {

// The controls of the dialog template: they exist before the window is initialised, which
// places and shows them. The fields come with the first page drawn (CreateSlotFields).
void BookDialog::CreateControls() {
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    const int id = kCheckBoxPlaces[i].id;
    auto* box = new OptionBox(this);
    box->setObjectName(QString::number(id));
    connect(box, &QAbstractButton::clicked, this, [this, id] { Command(id); });
    boxes_[i] = box;
  }
}

// A field lays out its text as it is made, and that alone loads the fonts (some 3 MB): a
// start in the tray draws no page and so never pays for them. Until the fields exist no edit
// can be in progress and the next page drawn fills them.
void BookDialog::CreateSlotFields() {
  if (nameField_ != nullptr) return;
  nameField_ = new SlotField(this, smallFont_, true);
  dateField_ = new SlotField(this, smallFont_, false);
  timeField_ = new SlotField(this, smallFont_, false);
  nameField_->setObjectName(QString::number(kFieldName));
  dateField_->setObjectName(QString::number(kFieldDate));
  timeField_->setObjectName(QString::number(kFieldTime));
  for (SlotField* field : {nameField_, dateField_, timeField_}) field->hide();
  dateField_->OnFocusLeft([this] { CommitSlotEdit(); });
  timeField_->OnFocusLeft([this] { CommitSlotEdit(); });
}

void BookDialog::CreateButtons() {
  for (int i = 0; i < kButtonCount; ++i) {
    const ButtonPlace& place = kButtonPlaces[i];
    const int id = kFirstButtonCommand + i;
    auto* button = new PictureButton(this);
    button->setText(QString::fromLatin1(place.caption));
    button->setObjectName(QString::number(id));
    button->LoadBitmaps(place.upImage, place.downImage, nullptr, nullptr);
    button->setGeometry(place.x, place.y, place.width, place.height);
    connect(button, &QAbstractButton::clicked, this, [this, id] { Command(id); });
    button->show();
    buttons_[static_cast<std::size_t>(i)] = button;
  }
}

void BookDialog::DestroyButtons() {
  for (PictureButton*& button : buttons_) {
    delete button;
    button = nullptr;
  }
}

bool BookDialog::IsBoxChecked(int box) const {
  const int index = box - kBoxSaver;
  return index >= 0 && index < static_cast<int>(boxes_.size()) && boxes_[static_cast<std::size_t>(index)] != nullptr &&
         boxes_[static_cast<std::size_t>(index)]->isChecked();
}

void BookDialog::CheckBox(int box, bool checked) {
  const int index = box - kBoxSaver;
  if (index < 0 || index >= static_cast<int>(boxes_.size())) return;
  if (OptionBox* control = boxes_[static_cast<std::size_t>(index)]) control->setChecked(checked);
}

bool BookDialog::IsRandomTicked() const { return IsBoxChecked(kBoxRandom); }

// The word buttons flip their box; the boxes have flipped themselves. Either way the
// element bits of the current slot, or a switch, follow the box.
void BookDialog::OptionCommand(int id) {
  const bool fromWord = id < kBoxSaver;
  const int box = fromWord ? id + kButtonToBox : id;
  if (fromWord) CheckBox(box, !IsBoxChecked(box));
  if (box <= kBoxStartup) {
    ToggleElementOfCurrentSlot(box - kBoxSaver);
  } else {
    SwitchChanged(box, IsBoxChecked(box));
  }
}

void BookDialog::ToggleElementOfCurrentSlot(int bit) {
  ToggleElement(host_.Slots(), cursor_.Index(), static_cast<Element>(1 << bit));
}

void BookDialog::SwitchChanged(int box, bool ticked) {
  if (box == kBoxSound) {
    WriteConfigDword(kMuteValue, ticked ? 0 : 1);
  } else if (box == kBoxTimer) {
    host_.SetTimerOn(ticked);
    WriteConfigDword(kTimerValue, ticked ? 1 : 0);
  }
  // Random is only read when a slot is applied.
}

void BookDialog::WriteConfigDword(const char* name, DWORD value) {
  RegWriteDword(HKEY_CURRENT_USER, kConfigKeyPath, name, value);
}

}  // namespace ossen

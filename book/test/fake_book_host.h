// Test support: a stand-in for the resident program behind the book window. It loads the
// picture library of the current folder and the schedule as the program does, saves to
// the real file, and records what the window asked for.
#pragma once
#include <vector>

#include "book/book_host.h"
#include "platform/win32/module.h"
#include "product/product_names.h"
#include "schedule/catalogue.h"
#include "schedule/clock.h"
#include "schedule/slot_store.h"

namespace ossen::testing {

class FakeBookHost : public BookHost {
 public:
  FakeBookHost() : library_(LoadLibrary(product::kPictureLibraryName)) {
    LoadSlots(slots_, clock_, LibrarySlotCatalogue(library_));
  }
  ~FakeBookHost() override {
    if (library_ != nullptr) FreeLibrary(library_);
  }
  FakeBookHost(const FakeBookHost&) = delete;
  FakeBookHost& operator=(const FakeBookHost&) = delete;

  SlotList& Slots() override { return slots_; }
  HMODULE PictureLibrary() const override { return library_; }
  std::int64_t Now() const override { return clock_.Now(); }
  bool TimerOn() const override { return timerOn_; }
  void SetTimerOn(bool on) override { timerOn_ = on; }
  void ApplySlot(int index) override { applied_.push_back(index); }
  void PreviewSlot(int index) override { previewed_.push_back(index); }
  void SaveSchedule() override {
    ++saves_;
    SaveSlots(slots_);
  }

  // What the window asked for so far.
  const std::vector<int>& Applied() const { return applied_; }
  const std::vector<int>& Previewed() const { return previewed_; }
  int Saves() const { return saves_; }

 private:
  std::vector<int> applied_;
  std::vector<int> previewed_;
  int saves_ = 0;
  HMODULE library_;
  SystemClock clock_;
  SlotList slots_;
  bool timerOn_ = true;
};

}  // namespace ossen::testing

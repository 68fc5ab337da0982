// Test support: the book window as the program opens it, offscreen, with the real picture
// library in a temporary prefix and a stand-in for the resident program behind it, shown
// and active so that focus changes behave as on a desktop; and the few ways tests look at
// it (controls by id, the window's own rendering).
#pragma once
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "book/book_dialog.h"
#include "book/test/fake_book_host.h"
#include "book/test/qt_app.h"
#include "platform/base/trace.h"
#include "schedule/slot_record.h"
#include "test_support/temp_prefix.h"

namespace ossen::testing {

class OpenBook {
 public:
  // `beforeOpen` runs after the prefix exists and before the window is created (registry
  // settings such as the user's date picture).
  template <class BeforeOpen>
  explicit OpenBook(BeforeOpen beforeOpen) {
    TestApplication();
    std::filesystem::copy_file(OSSEN_PICTURE_LIBRARY_FILE, prefix_.programDir() + "/OssenDLL.rcc");
    beforeOpen();
    host_ = std::make_unique<FakeBookHost>();
    EXPECT_NE(host_->PictureLibrary(), nullptr);
    book_ = std::make_unique<BookDialog>(*host_);
    book_->OpenIntro();
    book_->InitialisePages(false);
    book_->show();
    QApplication::setActiveWindow(book_.get());
    (void)QTest::qWaitForWindowActive(book_.get(), 2000);
    QApplication::processEvents();
  }
  OpenBook() : OpenBook([] {}) {}

  BookDialog& book() { return *book_; }
  FakeBookHost& host() { return *host_; }
  SlotList& Slots() { return host_->Slots(); }
  const TempPrefix& prefix() const { return prefix_; }

  QWidget* Control(int id) const { return book_->findChild<QWidget*>(QString::number(id)); }
  QLineEdit* Field(int id) const { return book_->findChild<QLineEdit*>(QString::number(id)); }
  std::string FieldText(int id) const { return Field(id)->text().toStdString(); }

  // What the window shows now, painted afresh.
  QImage Shown() { return book_->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  void ClickAt(const QPoint& point) { QTest::mouseClick(book_.get(), Qt::LeftButton, Qt::NoModifier, point); }
  void ClickRow(int row) { ClickAt(QPoint(100, 132 + 24 * row + 8)); }
  void ClickControl(int id) {
    QWidget* control = Control(id);
    ASSERT_NE(control, nullptr) << id;
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(control->width() / 2, control->height() / 2));
  }

  // The current slot's record, null when the row is empty.
  const SlotRecord* Current() { return Slots().ItemData(book_->Cursor().Index()); }

 private:
  TempPrefix prefix_;
  // The window goes before the program behind it.
  std::unique_ptr<FakeBookHost> host_;
  std::unique_ptr<BookDialog> book_;
};

// Closes any message box that opens within the next moments, as a user would, and
// collects the trace lines meanwhile ("message box: ..." tells what it said).
class MessageBoxCloser {
 public:
  MessageBoxCloser() {
    traced().clear();
    old_ = SetTraceSink([](const char* line) { traced() += std::string(line) + "\n"; });
    QObject::connect(&timer_, &QTimer::timeout, [] {
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    timer_.start(20);
  }
  ~MessageBoxCloser() { SetTraceSink(old_); }
  static std::string& traced() {
    static std::string lines;
    return lines;
  }
  bool Said(const std::string& text) const { return traced().find("message box: " + text) != std::string::npos; }

 private:
  QTimer timer_;
  TraceSink old_ = nullptr;
};

}  // namespace ossen::testing

// Test support: the one QApplication of a test program, offscreen, made on first use.
#pragma once
#include <cstdlib>
#include <memory>

#include <QApplication>

namespace ossen::testing {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "book_tests";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QApplication> app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto made = std::make_unique<QApplication>(argc, argv);
    made->setQuitOnLastWindowClosed(false);
    return made;
  }();
  return *app;
}

}  // namespace ossen::testing

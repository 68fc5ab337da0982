// Test support: the one QApplication of a test program, offscreen, made on first use and
// deleted when the tests end, while Qt's own globals still exist (not at process exit).
#pragma once
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <gtest/gtest.h>

namespace ossen::testing {

class QtApplicationEnvironment : public ::testing::Environment {
 public:
  static QApplication& Get() {
    static int argc = 1;
    static char name[] = "qt_tests";
    static char* argv[] = {name, nullptr};
    if (!app_) {
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      app_ = std::make_unique<QApplication>(argc, argv);
      app_->setQuitOnLastWindowClosed(false);
    }
    return *app_;
  }
  void TearDown() override { app_.reset(); }

 private:
  static inline std::unique_ptr<QApplication> app_;
};

inline QApplication& TestApplication() {
  static const bool registered = [] {
    ::testing::AddGlobalTestEnvironment(std::make_unique<QtApplicationEnvironment>().release());
    return true;
  }();
  (void)registered;
  return QtApplicationEnvironment::Get();
}

}  // namespace ossen::testing

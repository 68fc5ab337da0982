// The book window's answers against one frame of a 60 Hz display (16.7 ms): a click on a
// slot row until the window has painted again, and a page switch until it has painted
// again. Offscreen, the real picture library, a prefix of its own.
//   book_bench [benchmark options]
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include "app/resident/resident_program.h"
#include "book/book_dialog.h"

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;
constexpr double kRowClickBudgetMs = 2.0;
constexpr double kPageSwitchBudgetMs = 4.0;

ossen::BookDialog* book = nullptr;

void Click(const QPoint& at) {
  QMouseEvent press(QEvent::MouseButtonPress, at, book->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(book, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, book->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(book, &release);
}

void Report(benchmark::State& state, double budgetMs) {
  char label[80];
  std::snprintf(label, sizeof label, "budget %.1f ms of a %.1f ms frame", budgetMs, kFrameMs);
  state.SetLabel(label);
}

// Alternates between two rows, so each click changes the current slot: the row strip,
// the preview (loaded and scaled) and its caption are redrawn and painted.
void RowClick(benchmark::State& state) {
  book->ShowPage(ossen::kContentPage, QRect(0, 0, 640, 480));
  book->repaint();
  int row = 0;
  for (auto _ : state) {
    row = row == 3 ? 4 : 3;
    Click(QPoint(100, 132 + 24 * row + 8));
    book->repaint();
  }
  Report(state, kRowClickBudgetMs);
}

// Content, Help, Credit, Cover in turn: the whole page redrawn and painted.
void PageSwitch(benchmark::State& state) {
  int tab = 0;
  const int tabs[] = {ossen::kCommandContent, ossen::kCommandHelp, ossen::kCommandCredit, ossen::kCommandCover};
  for (auto _ : state) {
    book->Command(tabs[tab]);
    tab = (tab + 1) % 4;
    book->repaint();
  }
  Report(state, kPageSwitchBudgetMs);
}

BENCHMARK(RowClick)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(PageSwitch)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char pattern[] = "/tmp/ossen-book-bench-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) return 1;
  const std::string root = made;
  std::filesystem::create_directories(root + "/program");
  std::filesystem::copy_file(OSSEN_PICTURE_LIBRARY_FILE, root + "/program/OssenDLL.rcc");
  setenv("OSSEN_PREFIX", (root + "/prefix").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  if (chdir((root + "/program").c_str()) != 0) return 1;

  QApplication app(argc, argv);
  {
    ossen::ResidentProgram resident(false);
    if (resident.Create() != ossen::kCreated) return 1;
    resident.Initialise([](ossen::HWND) {});
    resident.Book().show();
    QApplication::processEvents();
    book = &resident.Book();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    resident.Command(ossen::kCommandExit);
    book = nullptr;
  }
  std::filesystem::remove_all(root);
  return 0;
}

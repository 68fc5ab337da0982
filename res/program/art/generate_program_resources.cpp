// Draws every resource of the program's own module and writes them, with the .qrc that
// compiles them into the executable under "/ossen", into one folder:
//
//   generate_program_resources OUTPUT_FOLDER
//
// and, for the installed program's menu entry, its icon at the icon theme's sizes:
//
//   generate_program_resources --icons ICON_THEME_FOLDER ICON_NAME
//
// The output is the same bytes on every run. The build fails (exit 1) when a file cannot
// be written or a help text would not fit its column.
#include <QtCore/QDir>
#include <QtGui/QFontMetrics>
#include <QtGui/QGuiApplication>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <utility>
#include <string>
#include <vector>

#include "platform/base/ascii_case.h"
#include "res/program/art/book_art.h"
#include "res/program/art/drawing.h"
#include "res/program/art/picture_art.h"
#include "res/program/art/text_resources.h"
#include "res/program/program_resources.h"

namespace ossen::art {
namespace {

class ModuleWriter {
 public:
  explicit ModuleWriter(std::string folder) : folder_(std::move(folder)) {}

  // `alias` is the resource path under the module root ("BIN/BOOK"); `file` the file name.
  bool Add(const std::string& alias, const std::string& file, const std::string& bytes) {
    std::ofstream out(folder_ + "/" + file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "generate_program_resources: cannot write %s/%s\n", folder_.c_str(), file.c_str());
      return false;
    }
    entries_ += "    <file alias=\"" + alias + "\">" + file + "</file>\n";
    return true;
  }
  bool Add(const std::string& alias, const std::string& file, const Bytes& bytes) {
    return !bytes.empty() && Add(alias, file, std::string(bytes.begin(), bytes.end()));
  }

  bool WriteQrc() {
    return WriteText("program.qrc", "<RCC>\n  <qresource prefix=\"/ossen\">\n" + entries_ + "  </qresource>\n</RCC>\n");
  }

 private:
  bool WriteText(const std::string& file, const std::string& text) {
    std::ofstream out(folder_ + "/" + file, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
  }

  std::string folder_;
  std::string entries_;
};

// The help texts are drawn with a 12-pixel sans-serif font, wrapped at words.
bool HelpTextsFit() {
  bool fit = true;
  const QFontMetrics metrics(SansFont(12));
  for (const HelpColumn& column : kHelpColumns) {
    for (const StringResource& string : ProgramStrings()) {
      if (string.id != column.id) continue;
      QString text = QString::fromLatin1(string.text.c_str());
      text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
      const QRect needed = metrics.boundingRect(QRect(0, 0, column.width, 100000), Qt::TextWordWrap, text);
      if (needed.width() > column.width || needed.height() > column.height) {
        std::fprintf(stderr, "generate_program_resources: help text %d needs %d x %d, its column is %d x %d\n",
                     column.id, needed.width(), needed.height(), column.width, column.height);
        fit = false;
      }
    }
  }
  return fit;
}

// The program's icon for a desktop's icon theme: "<folder>/<n>x<n>/apps/<name>.png" at the
// sizes menus, launchers and software centres ask for.
int GenerateThemeIcons(const std::string& folder, const std::string& name) {
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const std::string sizeFolder = folder + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
    if (!QDir().mkpath(QString::fromStdString(sizeFolder)) ||
        !PaintAppIcon(size).save(QString::fromStdString(sizeFolder + "/" + name + ".png"), "PNG")) {
      std::fprintf(stderr, "generate_program_resources: cannot write the %d pixel icon in %s\n", size, sizeFolder.c_str());
      return 1;
    }
  }
  return 0;
}

int Generate(const std::string& folder) {
  if (!HelpTextsFit()) return 1;
  ModuleWriter module(folder);
  bool ok = true;

  const BookArt book = MakeBookArt();
  ok = ok && module.Add("BIN/BOOK", "book.bin", StoredPageImage(book.book));
  ok = ok && module.Add("BIN/TITLE", "title.bin", StoredPageImage(ReducePicture(PaintTitle(), kPictureBandCount)));
  ok = ok && module.Add("BIN/CREDITS1", "credits1.bin", StoredPageImage(ReducePicture(PaintCredits(1), kPictureBandCount)));
  ok = ok && module.Add("BIN/CREDITS2", "credits2.bin", StoredPageImage(ReducePicture(PaintCredits(2), kPictureBandCount)));
  for (const NamedPicture& button : book.buttons) {
    ok = ok && module.Add("#2/" + button.name, AsciiLowered(button.name) + ".dib", PackedDib8(button.picture));
  }
  ok = ok && module.Add("#2/INTRO", "intro.dib", PackedDib8(ReducePicture(PaintIntro(), 256)));
  ok = ok && module.Add("#2/ABOUTBOX", "aboutbox.dib", PackedDib8(ReducePicture(PaintAboutBox(), 256)));
  ok = ok && module.Add("#12/#" + std::to_string(kCursorHand), "hand.cur", MonochromeCursorFile(PaintHandCursor(), 4, 1));
  ok = ok && module.Add("#14/#" + std::to_string(kIconApp), "app.ico", IconFile(PaintAppIcons()));
  ok = ok && module.Add("#4/#" + std::to_string(kMenuTray), "tray_menu.txt", TrayMenuText());
  for (const StringResource& string : ProgramStrings()) {
    ok = ok && module.Add("#6/#" + std::to_string(string.id), "string_" + std::to_string(string.id) + ".txt", string.text);
  }
  ok = ok && module.WriteQrc();
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace ossen::art

int main(int argc, char** argv) {
  const bool icons = argc == 4 && std::strcmp(argv[1], "--icons") == 0;
  if (argc != 2 && !icons) {
    std::fprintf(stderr, "usage: generate_program_resources OUTPUT_FOLDER\n"
                         "       generate_program_resources --icons ICON_THEME_FOLDER ICON_NAME\n");
    return 2;
  }
  QGuiApplication application(argc, argv);
  return icons ? ossen::art::GenerateThemeIcons(argv[2], argv[3]) : ossen::art::Generate(argv[1]);
}

// The launcher's one form: a picture, the caption "Vintra Ossens Screen Savers" and the
// buttons Install, Run and Exit at the left margin, laid out in twips as the form was drawn.
#pragma once

#include <QPushButton>
#include <QWidget>

#include "launcher/disc_actions.h"

namespace discmenu {

// The form was laid out in twips, 15 to a pixel on the screens it was made for.
constexpr int PixelsFromTwips(int twips) { return twips / 15; }

inline constexpr int kClientWidthTwips = 7485;
inline constexpr int kClientHeightTwips = 5610;
inline constexpr int kFormLeftTwips = 3405;
inline constexpr int kFormTopTwips = 2385;
inline constexpr int kButtonLeftTwips = 240;
inline constexpr int kButtonWidthTwips = 855;
inline constexpr int kButtonHeightTwips = 375;
inline constexpr int kInstallTopTwips = 4080;
inline constexpr int kRunTopTwips = 4560;
inline constexpr int kExitTopTwips = 5040;

class DiscMenu : public QWidget {
 public:
  // `showMessage` null: messages go to a box titled "Information" with an OK button.
  DiscMenu(const std::string& discFolder, DiscActions::ShowMessage showMessage = nullptr);

  QPushButton* installButton() const { return install_; }
  QPushButton* runButton() const { return run_; }
  QPushButton* exitButton() const { return exit_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPushButton* AddButton(const char* caption, int topTwips);
  void ShowInformation(const std::string& text);

  DiscActions actions_;
  QPushButton* install_;
  QPushButton* run_;
  QPushButton* exit_;
};

}  // namespace discmenu

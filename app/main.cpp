// ossen: the resident desktop-theme scheduler.
#include "app/theme_app.h"

int main(int argc, char** argv) {
  ossen::ThemeApp app(argc, argv);
  app.InitInstance();
  return 0;
}

#include "saver/saver_command.h"

#include <gtest/gtest.h>

#include "saver/input_watch.h"
#include "saver/saver_settings.h"

namespace ossen {
namespace {

SaverCommand Parse(std::vector<std::string> arguments, const char* environmentWindow = nullptr) {
  return ParseSaverCommand(arguments, environmentWindow);
}

TEST(SaverCommand, WindowsFormsInAnyCase) {
  EXPECT_EQ(Parse({"-s"}).run, SaverRun::kPreview);
  EXPECT_EQ(Parse({"-S"}).run, SaverRun::kPreview);
  EXPECT_EQ(Parse({"/s"}).run, SaverRun::kIdle);
  EXPECT_EQ(Parse({"/S"}).run, SaverRun::kIdle);
  EXPECT_EQ(Parse({}).run, SaverRun::kIdle);
  EXPECT_EQ(Parse({}).windowId, 0u);
  EXPECT_EQ(Parse({"/c"}).run, SaverRun::kConfigure);
  EXPECT_EQ(Parse({"/C:4242"}).run, SaverRun::kConfigure);

  const SaverCommand small = Parse({"/p", "1234"});
  EXPECT_EQ(small.run, SaverRun::kIdle);
  EXPECT_EQ(small.windowId, 1234u);
  EXPECT_EQ(Parse({"/P:0x1f"}).windowId, 0x1Fu);
}

TEST(SaverCommand, XScreenSaverForms) {
  EXPECT_EQ(Parse({"-window-id", "0x2a00007"}).windowId, 0x2A00007u);
  EXPECT_EQ(Parse({"--window-id", "77"}).windowId, 77u);
  // -root (and an idle run) draws into the window XScreenSaver names, full screen without one.
  EXPECT_EQ(Parse({"-root"}, "0x400001").windowId, 0x400001u);
  EXPECT_EQ(Parse({"-root"}).windowId, 0u);
  EXPECT_EQ(Parse({}, "12").windowId, 12u);
  EXPECT_EQ(Parse({"/s"}, "12").windowId, 12u);
  // The Preview button's run is always full screen.
  EXPECT_EQ(Parse({"-s"}, "12").windowId, 0u);
  // A named window that is no id is not used.
  EXPECT_EQ(Parse({"-root"}, "none").windowId, 0u);
}

TEST(SaverCommand, RefusesWhatItCannotUse) {
  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"-x"}, {"-s", "extra"}, {"/p"}, {"/p", "zero"}, {"/p", "0"},
                                             {"-window-id"}, {"-window-id", "12", "13"}, {"/p:"},
                                             {"-window-id", "0x"}, {"-window-id", "-5"},
                                             {"-window-id", "99999999999999999999999"}}) {
    const SaverCommand command = Parse(bad);
    EXPECT_EQ(command.run, SaverRun::kBadUsage) << bad[0];
    EXPECT_FALSE(command.message.empty());
  }
}

TEST(SaverPlan, PreviewShowsPrevAndIdleShowsPic) {
  SaverSettings settings;
  settings.pic = 3;
  settings.prev = 12;
  EXPECT_EQ(PlanShow(SaverRun::kPreview, settings).painting, 12);
  EXPECT_EQ(PlanShow(SaverRun::kIdle, settings).kind, ShowPlan::kPainting);
  EXPECT_EQ(PlanShow(SaverRun::kIdle, settings).painting, 3);

  // Outside 1 to 35, and 0: the random order.
  for (DWORD number : {0u, 36u, 99u, 0xFFFFFFFFu}) {
    settings.pic = number;
    EXPECT_EQ(PlanShow(SaverRun::kIdle, settings).kind, ShowPlan::kRandom) << number;
  }
  settings.pic = 35;
  EXPECT_EQ(PlanShow(SaverRun::kIdle, settings).painting, 35);

  // system.ini naming no saver: the person chose no picture; a preview still shows "prev".
  settings.saverNamed = false;
  EXPECT_EQ(PlanShow(SaverRun::kIdle, settings).kind, ShowPlan::kBlack);
  EXPECT_EQ(PlanShow(SaverRun::kPreview, settings).painting, 12);
}

TEST(InputWatch, EndsOnKeysButtonsAndRealMovementOnly) {
  const InputWatch watch(100, 100);
  EXPECT_TRUE(watch.Ends(InputEvent{InputEvent::kKey, 100, 100}));
  EXPECT_TRUE(watch.Ends(InputEvent{InputEvent::kButton, 100, 100}));
  EXPECT_FALSE(watch.Ends(InputEvent{InputEvent::kMotion, 100, 100}));
  EXPECT_FALSE(watch.Ends(InputEvent{InputEvent::kMotion, 104, 96}));
  EXPECT_TRUE(watch.Ends(InputEvent{InputEvent::kMotion, 105, 100}));
  EXPECT_TRUE(watch.Ends(InputEvent{InputEvent::kMotion, 100, 90}));
}

}  // namespace
}  // namespace ossen

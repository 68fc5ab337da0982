#include "launcher/install_dir.h"

#include <gtest/gtest.h>

namespace discmenu {
namespace {

TEST(FindInstallDir, FindsTheFolderOfTheProductSectionHoweverTheFileWasWritten) {
  struct Case {
    const char* text;
    const char* folder;
  };
  const Case cases[] = {
      {"[X7352]\r\nINSTALLDIR=C:\\Program Files\\Vintra\r\n", "C:\\Program Files\\Vintra"},
      {"[X7352]\nINSTALLDIR=C:\\Vintra\\\n", "C:\\Vintra"},          // trailing backslash
      {"[X7352]\nINSTALLDIR=C:\\Vintra\\\\\\", "C:\\Vintra"},        // several, no line end
      {"[X7352]\rINSTALLDIR=C:\\Old\n[X7352]\nINSTALLDIR=C:\\Vintra \r\r\n", "C:\\Vintra"},  // stray CRs
      {"  [ x7352 ]  \n  installdir =  C:\\Vintra  \n", "C:\\Vintra"},  // blanks and case
      {"[X7352]\nINSTALLDIR=\"C:\\Program Files\\V\"\n", "C:\\Program Files\\V"},
      {"[X7352]\nINSTALLDIR=C:\\\n", "C:"},  // the drive's root: "C:" + "\Ossen.EXE"
      // Another section's INSTALLDIR is not ours, before or after ours.
      {"[Other]\nINSTALLDIR=C:\\Wrong\n[X7352]\nINSTALLDIR=C:\\Right\n[Later]\nINSTALLDIR=C:\\Wrong\n", "C:\\Right"},
      // The first line wins; comments and other keys are passed over.
      {"[X7352]\n;INSTALLDIR=C:\\Comment\nLANG=en\nINSTALLDIR=C:\\First\nINSTALLDIR=C:\\Second\n", "C:\\First"},
  };
  for (const Case& c : cases) {
    std::optional<std::string> folder = FindInstallDir(c.text);
    ASSERT_TRUE(folder.has_value()) << c.text;
    EXPECT_EQ(*folder, c.folder) << c.text;
  }
}

TEST(FindInstallDir, NoFolderWithoutTheSectionOrItsLine) {
  const char* const cases[] = {
      "",
      "INSTALLDIR=C:\\Vintra\n",                     // before any section
      "[X7353]\nINSTALLDIR=C:\\Vintra\n",            // another product
      "[X7352]\nLANG=en\n[Other]\nINSTALLDIR=C:\\V\n",  // only in a later section
      "[X7352]\nINSTALLDIR=\n",                      // empty value
      "[X7352]\nINSTALLDIR=\\\\\n",                  // nothing but separators
      "[X7352\nINSTALLDIR=C:\\Vintra\n",             // an unclosed header starts no section
      "[X7352]\nINSTALLDIRECTORY=C:\\Vintra\n",      // a longer key is another key
  };
  for (const char* text : cases) EXPECT_FALSE(FindInstallDir(text).has_value()) << text;
}

}  // namespace
}  // namespace discmenu

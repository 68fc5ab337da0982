// The program's strings and its tray menu, as the module stores them.
#pragma once

#include <string>
#include <vector>

namespace ossen::art {

struct StringResource {
  int id;
  std::string text;  // single-byte, "\r\n" line breaks
};

const std::vector<StringResource>& ProgramStrings();

// The tray menu in the text form that ParseMenuResource reads.
std::string TrayMenuText();

// Help columns: the string id and the column's width and height in pixels.
struct HelpColumn {
  int id;
  int width;
  int height;
};
inline constexpr HelpColumn kHelpColumns[4] = {
    {57345, 238, 350}, {57346, 223, 350}, {57347, 238, 350}, {57348, 223, 350}};

}  // namespace ossen::art

#include "res/program/menu_resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ossen {
namespace {

std::vector<MenuItem> Parse(const std::string& text) { return ParseMenuResource(text.data(), text.size()); }

TEST(MenuResource, ReadsItemsAndSeparatorsWithEitherLineEnd) {
  const auto items = Parse("32771 Properties\r\n0 -\n32773 E&xit");
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].command, 32771);
  EXPECT_EQ(items[0].text, "Properties");
  EXPECT_TRUE(items[1].IsSeparator());
  EXPECT_TRUE(items[1].text.empty());
  EXPECT_EQ(items[2].command, 32773);
  EXPECT_EQ(items[2].text, "E&xit");
  // Spaces inside the text are kept; the largest command id is allowed.
  const auto wide = Parse("65535 Open the book\n");
  ASSERT_EQ(wide.size(), 1u);
  EXPECT_EQ(wide[0].text, "Open the book");
}

TEST(MenuResource, RefusesTheWholeMenuForAnyBadLine) {
  const char* const bad[] = {
      "",                        // no item
      "\n",                      // an empty line
      "32771 Properties\n\n",    // a blank line after an item
      "32771Properties\n",       // no space
      " 32771 Properties\n",     // no command
      "032771 Properties\n",     // leading zero
      "65536 Too big\n",         // beyond 16 bits
      "999999 Too big\n",        // too many digits
      "-5 Negative\n",           // sign
      "+5 Positive\n",           // sign
      "12a Letters\n",           // not decimal
      "32771 \n",                // no text
      "0 Separator with text\n",  // a separator is "0 -" only
      "0\n",                     // nor a bare zero
      "32771 Tab\there\n",       // a control character
  };
  for (const char* text : bad) EXPECT_TRUE(Parse(text).empty()) << '"' << text << '"';
  const std::string withNul("32771 Nul\0byte\n", 15);
  EXPECT_TRUE(Parse(withNul).empty());
  EXPECT_TRUE(Parse("32771 Del\x7F\n").empty());
  EXPECT_TRUE(ParseMenuResource(nullptr, 0).empty());
  EXPECT_TRUE(ParseMenuResource(nullptr, 10).empty());
}

TEST(MenuResource, RefusesMenusBeyondItsLimits) {
  std::string many;
  for (std::size_t i = 0; i < kMaxMenuItems; ++i) many += std::to_string(100 + i) + " Item\n";
  EXPECT_EQ(Parse(many).size(), kMaxMenuItems);
  EXPECT_TRUE(Parse(many + "999 One more\n").empty());

  EXPECT_EQ(Parse("1 " + std::string(kMaxMenuTextLength, 'x')).size(), 1u);
  EXPECT_TRUE(Parse("1 " + std::string(kMaxMenuTextLength + 1, 'x')).empty());

  std::string large(kMaxMenuBytes + 1, 'x');
  large.replace(0, 2, "1 ");
  EXPECT_TRUE(Parse(large).empty());
}

}  // namespace
}  // namespace ossen

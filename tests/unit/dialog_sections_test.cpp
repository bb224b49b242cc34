// The extra sections of a resource dialog: headers, entries of every section, the
// item lines of lists and tabs, and texts that end early or hold rubbish.
#include <gtest/gtest.h>

#include <string>

#include "core/dialog_sections.h"

namespace qh {
namespace {

using namespace std::string_literals;

TEST(DialogSections, TheOffsetsDialogsEmptyHeadersApplyNothing) {
  const std::string text =
      "[Checks] \n[Menus] \n[Tabs] \n[Ranges] \n[Trackbars] \n[Grids] \n[Colours] \n[Lengths] \n"s +
      "\0\0"s;
  EXPECT_TRUE(ParseDialogSections(text).Empty());
}

TEST(DialogSections, EveryKindOfEntry) {
  const std::string text =
      "[Ranges]\n"
      "201 -10.5 1.5E2\n"
      "  202 0 10\n"
      "[Menus]\n"
      "208 3 2\n"
      "First   \n"
      "  Second\n"
      "[Ranges]\n"  // an item line, although it looks like a header
      "[Checks]\r\n"
      "210 1\r\n"
      "[Tabs]\n"
      "300 2 302\n"
      "301 General page\n"
      "302   Details  \n"
      "[Grids]\n"
      "400 3 columns wide\n"
      "[Colours]\n"
      "211 255 0 0 10 20 30\n"
      "[Trackbars]\n"
      "500 5 1 10 2 8\n"
      "[Lengths]\n"
      "206 5\n";
  const DialogSections s = ParseDialogSections(text);

  ASSERT_EQ(s.ranges.size(), 2u);
  EXPECT_EQ(s.ranges[0].field, 201);
  EXPECT_DOUBLE_EQ(s.ranges[0].low, -10.5);
  EXPECT_DOUBLE_EQ(s.ranges[0].high, 150.0);
  EXPECT_EQ(s.ranges[1].field, 202);
  EXPECT_DOUBLE_EQ(s.ranges[1].high, 10.0);

  ASSERT_EQ(s.menus.size(), 1u);
  EXPECT_EQ(s.menus[0].field, 208);
  EXPECT_EQ(s.menus[0].selected, 2);
  ASSERT_EQ(s.menus[0].items.size(), 3u);
  EXPECT_EQ(s.menus[0].items[0], "First") << "trailing blanks dropped";
  EXPECT_EQ(s.menus[0].items[1], "  Second") << "leading blanks kept";
  EXPECT_EQ(s.menus[0].items[2], "[Ranges]");

  ASSERT_EQ(s.checks.size(), 1u) << "a CR before the LF is no part of the header";
  EXPECT_EQ(s.checks[0].field, 210);
  EXPECT_EQ(s.checks[0].state, 1);

  ASSERT_EQ(s.tabs.size(), 1u);
  EXPECT_EQ(s.tabs[0].field, 300);
  EXPECT_EQ(s.tabs[0].selectDialog, 302);
  ASSERT_EQ(s.tabs[0].pages.size(), 2u);
  EXPECT_EQ(s.tabs[0].pages[0].dialogId, 301);
  EXPECT_EQ(s.tabs[0].pages[0].label, "General page");
  EXPECT_EQ(s.tabs[0].pages[1].dialogId, 302);
  EXPECT_EQ(s.tabs[0].pages[1].label, "Details");

  ASSERT_EQ(s.grids.size(), 1u);
  EXPECT_EQ(s.grids[0].field, 400);
  EXPECT_EQ(s.grids[0].description, "3 columns wide");

  ASSERT_EQ(s.colours.size(), 1u);
  EXPECT_EQ(s.colours[0].field, 211);
  EXPECT_EQ(s.colours[0].first, (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(s.colours[0].second, (std::array<int, 3>{10, 20, 30}));

  ASSERT_EQ(s.trackbars.size(), 1u);
  EXPECT_EQ(s.trackbars[0].values, (std::array<int, 5>{5, 1, 10, 2, 8}));

  ASSERT_EQ(s.lengths.size(), 1u);
  EXPECT_EQ(s.lengths[0].field, 206);
  EXPECT_EQ(s.lengths[0].length, 5);
}

TEST(DialogSections, UnsignedNumbersStopAtTheFirstNonDigitAndMissingOnesAreZero) {
  const DialogSections s = ParseDialogSections("[Lengths]\n206x 12abc\n207\n[Checks]\n210 -1\n");
  ASSERT_EQ(s.lengths.size(), 2u);
  EXPECT_EQ(s.lengths[0].field, 206);
  EXPECT_EQ(s.lengths[0].length, 12);
  EXPECT_EQ(s.lengths[1].field, 207);
  EXPECT_EQ(s.lengths[1].length, 0);
  ASSERT_EQ(s.checks.size(), 1u);
  EXPECT_EQ(s.checks[0].state, 0) << "a sign is no digit";
}

TEST(DialogSections, UnsignedNumbersTooLargeForAnIntStayAtTheLargest) {
  const DialogSections s = ParseDialogSections("[Checks]\n2999999999 99999999999\n2147483647 7\n");
  ASSERT_EQ(s.checks.size(), 2u);
  EXPECT_EQ(s.checks[0].field, 2147483647) << "no wrap round to a negative id";
  EXPECT_EQ(s.checks[0].state, 2147483647);
  EXPECT_EQ(s.checks[1].field, 2147483647);
  EXPECT_EQ(s.checks[1].state, 7);
}

TEST(DialogSections, LinesThatAreNoEntriesAreSkipped) {
  const DialogSections s = ParseDialogSections(
      "201 1 2\n"           // before any header
      "[Ranges]\n"
      "\n"
      "; a remark\n"
      "   \n"
      "202 1 2\n"
      "[Unknown]\n"         // not a header: no entry either, the section goes on
      "203 3 4\n");
  ASSERT_EQ(s.ranges.size(), 2u);
  EXPECT_EQ(s.ranges[0].field, 202);
  EXPECT_EQ(s.ranges[1].field, 203);
}

TEST(DialogSections, TheTextEndsAtItsFirstNulAndListsCutShortStopThere) {
  const std::string text = "[Menus]\n208 5 1\nOne\nTwo"s + "\0"s + "Three\n[Checks]\n210 1\n"s;
  const DialogSections s = ParseDialogSections(text);
  ASSERT_EQ(s.menus.size(), 1u);
  EXPECT_EQ(s.menus[0].items, (std::vector<std::string>{"One", "Two"}));
  EXPECT_TRUE(s.checks.empty());
  EXPECT_TRUE(ParseDialogSections("").Empty());
}

}  // namespace
}  // namespace qh

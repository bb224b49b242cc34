// quillhaven.ini: what is read from its lines, what is written, and the file around it
// (missing, unreadable, its folder made on the first write).
#include "formats/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

namespace qh {
namespace {

TEST(ParseSettingsTest, KeysValuesAndWhatIsPassedOver) {
  struct Case {
    const char* name;
    const char* text;
    RememberedSettings expected;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"both, CR LF", "[Quillhaven]\r\nOpenFolder=C:\\Maps\\\r\nNotes=Append\r\n", {"C:\\Maps\\", true}},
      {"LF, no header, blanks, any case", "  notes = APPEND \n openfolder =  D:\\A b\\  \n", {"D:\\A b\\", true}},
      {"last value wins", "Notes=Append\nNotes=Ignore\n", {"", false}},
      {"unknown notes value keeps the default", "Notes=yes\n", {"", false}},
      {"a folder without its separator is not taken", "OpenFolder=C:\\Maps\n", {"", false}},
      {"unknown keys, lines without =, other sections", "[Other]\nX=1\nnonsense\nNotes=Append", {"", true}},
      {"an empty key or value", "=Append\nNotes=\nOpenFolder=\n", {"", false}},
      {"binary", "\xFF\xFE=\x01\n\x7F=\x80", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseSettings(c.text), c.expected) << c.name;
  }
}

TEST(ParseSettingsTest, WhatIsWrittenReadsBackTheSame) {
  const RememberedSettings cases[] = {{}, {"C:\\Maps\\", false}, {"Z:\\tmp\\\xC5\x81\xC3\xB3" "d\xC5\xBA\\", true}};
  for (const RememberedSettings& s : cases) {
    const std::string text = SettingsText(s);
    EXPECT_EQ(ParseSettings(text), s) << text;
  }
  EXPECT_EQ(SettingsText({"C:\\M\\", true}), "[Quillhaven]\r\nOpenFolder=C:\\M\\\r\nNotes=Append\r\n");
  EXPECT_EQ(SettingsText({}), "[Quillhaven]\r\nNotes=Ignore\r\n");
}

TEST(SettingsFileTest, MissingUnreadableOrHugeGiveTheDefaults) {
  test::TempFolder folder;
  EXPECT_EQ(ReadSettingsFile(folder.File("none.ini")), RememberedSettings{});
  std::filesystem::create_directory(folder.File("a folder.ini"));
  EXPECT_EQ(ReadSettingsFile(folder.File("a folder.ini")), RememberedSettings{});
  test::WriteFile(folder.File("huge.ini"), "Notes=Append\r\n" + std::string(70 * 1024, ' '));
  EXPECT_EQ(ReadSettingsFile(folder.File("huge.ini")), RememberedSettings{});
}

TEST(SettingsFileTest, TheFirstWriteMakesTheFolderAndTheNextReplacesTheFile) {
  test::TempFolder folder;
  const std::string path = (folder.Path() / "Quillhaven" / "quillhaven.ini").string();
  ASSERT_TRUE(WriteSettingsFile(path, {"C:\\Maps\\", true}));
  EXPECT_EQ(ReadSettingsFile(path), (RememberedSettings{"C:\\Maps\\", true}));
  ASSERT_TRUE(WriteSettingsFile(path, {}));
  EXPECT_EQ(ReadSettingsFile(path), RememberedSettings{});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path() / "Quillhaven"),
                          std::filesystem::directory_iterator()), 1) << "a temporary file was left";
  // Only one level is made: a missing application-data folder is no place to write.
  EXPECT_FALSE(WriteSettingsFile((folder.Path() / "a" / "b" / "q.ini").string(), {}));
}

}  // namespace
}  // namespace qh

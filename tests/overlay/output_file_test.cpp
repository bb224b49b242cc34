#include <gtest/gtest.h>

#include <string>

#include "overlay/output_file.h"
#include "tests/overlay/temp_folder.h"

namespace qh {
namespace {

TEST(OutputFile, CommitReplacesAnExistingFileAndLeavesNoTemporary) {
  test::TempFolder folder;
  const std::string path = folder.File("out.ov2");
  test::WriteFile(path, "old contents that are longer");
  OutputFile file;
  ASSERT_TRUE(file.Open(path)) << file.ErrorMessage();
  EXPECT_EQ(test::ReadFile(path), "old contents that are longer");  // untouched meanwhile
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Write(std::string_view("\0!", 2)));
  ASSERT_TRUE(file.Commit()) << file.ErrorMessage();
  EXPECT_EQ(test::ReadFile(path), std::string("new\0!", 5));
  EXPECT_EQ(folder.Entries(), 1u);
}

TEST(OutputFile, AbandonKeepsTheOldFileAndRemovesTheTemporary) {
  test::TempFolder folder;
  const std::string path = folder.File("keep.ov2");
  test::WriteFile(path, "old");
  {
    OutputFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.Write("partial"));
    EXPECT_EQ(folder.Entries(), 2u);
    file.Abandon();
  }
  EXPECT_EQ(test::ReadFile(path), "old");
  EXPECT_EQ(folder.Entries(), 1u);
  {
    OutputFile dropped;  // destroyed without Commit
    ASSERT_TRUE(dropped.Open(path));
    ASSERT_TRUE(dropped.Write("partial"));
  }
  EXPECT_EQ(test::ReadFile(path), "old");
  EXPECT_EQ(folder.Entries(), 1u);
}

TEST(OutputFile, FailuresAreReportedWithAReason) {
  test::TempFolder folder;
  OutputFile missing_folder;
  EXPECT_FALSE(missing_folder.Open(folder.File("no-such-folder/out.ov2")));
  EXPECT_FALSE(missing_folder.ErrorMessage().empty());
  EXPECT_FALSE(missing_folder.Commit());

  // A folder standing where the file should go: the rename must fail and the
  // folder must survive.
  const std::string blocked = folder.File("blocked.ov2");
  std::filesystem::create_directory(blocked);
  test::WriteFile(blocked + "/inside", "x");
  OutputFile file;
  ASSERT_TRUE(file.Open(blocked));
  ASSERT_TRUE(file.Write("data"));
  EXPECT_FALSE(file.Commit());
  EXPECT_FALSE(file.ErrorMessage().empty());
  EXPECT_TRUE(std::filesystem::is_directory(blocked));
  EXPECT_EQ(test::ReadFile(blocked + "/inside"), "x");
  EXPECT_EQ(folder.Entries(), 1u) << "the temporary file was left behind";
}

TEST(PathParts, ExtensionsAreReplacedInTheFileNameOnly) {
  struct Case { const char* path; const char* expected; };
  const Case cases[] = {
      {"trip.asc", "trip.ov2"},
      {"D:\\maps\\trip.asc", "D:\\maps\\trip.ov2"},
      {"/a/b.c/trip", "/a/b.c/trip.ov2"},
      {"D:\\out.old\\tour", "D:\\out.old\\tour.ov2"},
      {"x.tar.asc", "x.tar.ov2"},
      {"dir/.asc", "dir/.asc.ov2"},
      {"noext", "noext.ov2"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReplaceExtension(c.path, ".ov2"), c.expected) << c.path;
  EXPECT_EQ(FolderPart("D:\\maps\\trip.asc"), "D:\\maps\\");
  EXPECT_EQ(FolderPart("a/b/c"), "a/b/");
  EXPECT_EQ(FolderPart("plain"), "");
  EXPECT_EQ(FileNamePart("a/b\\c.asc"), "c.asc");
}

}  // namespace
}  // namespace qh

#include "files/file_system.h"

#include <gtest/gtest.h>

#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/support/temp_folder.h"

namespace qh {
namespace {

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

#ifndef _WIN32
// What is not a regular file is refused before it is opened: a FIFO without a writer
// would block the open for ever (a hang here is the fault), a device never ends.
TEST(ReadWholeFile, RefusesWhatIsNotARegularFile) {
  test::TempFolder folder;
  const std::string fifo = folder.File("symbol.bmp");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path;
    const char* reason;
  };
  const Case cases[] = {{fifo, "it is not a regular file"},
                        {"/dev/zero", "it is not a regular file"},
                        {folder.Path().string(), "Is a directory"}};
  for (const Case& c : cases) {
    std::string bytes = "unchanged";
    IoError error;
    EXPECT_FALSE(ReadWholeFile(c.path, 1 << 20, bytes, error)) << c.path;
    EXPECT_EQ(error.path, c.path);
    EXPECT_EQ(error.reason, c.reason) << c.path;
  }
}
#endif

}  // namespace
}  // namespace qh

namespace qh {
namespace {

TEST(LowerCaseExtension, TheFileNamesLastExtensionInLowerCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"trip.GPX", "gpx"}, {"C:\\maps.d\\trip.Csv", "csv"}, {"dir.v2/trip", ""},
      {"trip.tar.OV2", "ov2"}, {"trip.", ""}, {".asc", "asc"}, {"", ""},
  };
  for (const auto& [path, extension] : cases) EXPECT_EQ(LowerCaseExtension(path), extension) << path;
}

}  // namespace
}  // namespace qh

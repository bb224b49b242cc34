#include "formats/file_system.h"

#include <gtest/gtest.h>

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

// The file that is either complete or not there: what the target holds before, during
// and after a write, what stays beside it, and how failures are told.
#include "files/complete_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "files/file_calls.h"
#include "tests/support/faulty_file_calls.h"
#include "tests/support/temp_folder.h"

namespace qh {
namespace {

namespace fs = std::filesystem;
using test::FaultPlan;
using test::FaultyFileCalls;
using test::FileCall;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

using Failure = CompleteFile::Failure;

const char* FailureName(Failure failure) {
  switch (failure) {
    case Failure::None: return "None";
    case Failure::Create: return "Create";
    case Failure::Write: return "Write";
    case Failure::Replace: return "Replace";
  }
  return "?";
}

// Names in the folder other than `except`.
std::vector<std::string> OtherNames(const TempFolder& folder, const std::string& except) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    const std::string name = entry.path().filename().string();
    if (name != except) names.push_back(name);
  }
  return names;
}

TEST(CompleteFile, CommitReplacesAnEarlierFileWithExactlyTheBytesWritten) {
  TempFolder folder;
  const std::string path = folder.File("trip.asc");
  WriteFile(path, "an earlier, longer file that must go entirely\r\n");
  CompleteFile file;
  ASSERT_TRUE(file.Open(path)) << file.Error().reason;
  EXPECT_EQ(file.Path(), path);
  ASSERT_TRUE(file.Write("new\r\n"));
  ASSERT_TRUE(file.Write(std::string_view("\0!\n", 3)));
  ASSERT_TRUE(file.Write(""));
  EXPECT_EQ(ReadFile(path), "an earlier, longer file that must go entirely\r\n")
      << "the target changes only at Commit";
  // The bytes go to a temporary file beside the target, with a short name of its own
  // that a leftover would be recognised by.
  const std::vector<std::string> others = OtherNames(folder, "trip.asc");
  ASSERT_EQ(others.size(), 1u);
  EXPECT_EQ(others[0].rfind(".qh~", 0), 0u) << others[0];
  EXPECT_EQ(others[0].substr(others[0].size() - 4), ".tmp") << others[0];

  ASSERT_TRUE(file.Commit()) << file.Error().reason;
  EXPECT_EQ(ReadFile(path), std::string("new\r\n\0!\n", 8));
  EXPECT_EQ(folder.Entries(), 1u) << "the temporary file was left behind";
  EXPECT_FALSE(file.Failed());
  EXPECT_STREQ(FailureName(file.WhatFailed()), "None");
  EXPECT_EQ(file.Error().reason, "");
}

// Names up to the system's limit for one name: the temporary files and the earlier
// files' second names must not be longer than the targets.
TEST(CompleteFile, TargetsWithTheLongestNamesTheSystemTakes) {
  TempFolder folder;
  for (const std::size_t length : {std::size_t{242}, std::size_t{255}}) {
    const std::string stem(length - 4, 'n');
    const std::string asc = folder.File(stem + ".asc"), ov2 = folder.File(stem + ".ov2");
    WriteFile(asc, "earlier");
    CompleteFile first, second;
    ASSERT_TRUE(first.Open(asc)) << length << ": " << first.Error().reason;
    ASSERT_TRUE(second.Open(ov2)) << length << ": " << second.Error().reason;
    ASSERT_TRUE(first.Write("asc") && second.Write("ov2"));
    EXPECT_TRUE(CommitTogether({&first, &second})) << length << ": " << first.Error().reason;
    EXPECT_EQ(ReadFile(asc), "asc") << length;
    EXPECT_EQ(ReadFile(ov2), "ov2") << length;
    EXPECT_EQ(folder.Entries(), 2u) << length;
    fs::remove(asc);
    fs::remove(ov2);
  }
}

TEST(CompleteFile, NothingWrittenGivesAnEmptyFile) {
  TempFolder folder;
  const std::string path = folder.File("trip.asc");
  WriteFile(path, "old\r\n");
  CompleteFile file;
  ASSERT_TRUE(file.Open(path));
  ASSERT_TRUE(file.Commit()) << file.Error().reason;
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_EQ(folder.Entries(), 1u);
}

TEST(CompleteFile, AbandonAndDestructionKeepTheEarlierFileAndLeaveNoTemporary) {
  TempFolder folder;
  const std::string path = folder.File("keep.ov2");
  WriteFile(path, "earlier");
  {
    CompleteFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.Write("partial"));
    EXPECT_EQ(folder.Entries(), 2u);
    file.Abandon();
    EXPECT_EQ(folder.Entries(), 1u) << "Abandon left the temporary file";
    EXPECT_FALSE(file.Commit()) << "an abandoned file cannot be committed";
  }
  EXPECT_EQ(ReadFile(path), "earlier");
  EXPECT_EQ(folder.Entries(), 1u);
  {
    CompleteFile dropped;  // destroyed without Commit: the same as Abandon
    ASSERT_TRUE(dropped.Open(path));
    ASSERT_TRUE(dropped.Write("partial"));
  }
  EXPECT_EQ(ReadFile(path), "earlier");
  EXPECT_EQ(folder.Entries(), 1u);
}

TEST(CompleteFile, NoPartialFileWhenThereWasNone) {
  TempFolder folder;
  const std::string path = folder.File("trip.asc");
  CompleteFile file;
  ASSERT_TRUE(file.Open(path));
  ASSERT_TRUE(file.Write("x"));
  file.Abandon();
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(folder.Entries(), 0u);
}

TEST(CompleteFile, AMissingFolderIsACreateFailureAndTheFirstFailureSticks) {
  TempFolder folder;
  const std::string path = folder.File("no such folder/trip.asc");
  CompleteFile file;
  EXPECT_FALSE(file.Open(path));
  EXPECT_TRUE(file.Failed());
  EXPECT_STREQ(FailureName(file.WhatFailed()), "Create");
  EXPECT_EQ(file.Error().reason, std::strerror(ENOENT));
  EXPECT_EQ(file.Path(), path);
  EXPECT_FALSE(file.Write("x"));
  EXPECT_FALSE(file.Commit());
  EXPECT_STREQ(FailureName(file.WhatFailed()), "Create") << "the first failure is kept";
  EXPECT_EQ(file.Error().reason, std::strerror(ENOENT));
  EXPECT_EQ(folder.Entries(), 0u);
}

TEST(CompleteFile, CommitOntoAFolderFailsAndLeavesBothAlone) {
  TempFolder folder;
  const std::string blocked = folder.File("blocked.ov2");
  fs::create_directory(blocked);
  WriteFile(blocked + "/inside.txt", "keep");
  CompleteFile file;
  ASSERT_TRUE(file.Open(blocked)) << file.Error().reason;
  ASSERT_TRUE(file.Write("data"));
  EXPECT_FALSE(file.Commit());
  EXPECT_STREQ(FailureName(file.WhatFailed()), "Replace");
  EXPECT_EQ(file.Error().reason, std::strerror(EISDIR));
  EXPECT_TRUE(fs::is_directory(blocked));
  EXPECT_EQ(ReadFile(blocked + "/inside.txt"), "keep");
  EXPECT_EQ(folder.Entries(), 1u) << "the temporary file was left beside the folder";
}

TEST(CompleteFile, CommitNeedsAnOpenFile) {
  TempFolder folder;
  CompleteFile neverOpened;
  EXPECT_FALSE(neverOpened.Write("x"));
  EXPECT_STREQ(FailureName(neverOpened.WhatFailed()), "Write");
  EXPECT_FALSE(neverOpened.Error().reason.empty());

  CompleteFile twice;
  const std::string path = folder.File("once.asc");
  ASSERT_TRUE(twice.Open(path));
  ASSERT_TRUE(twice.Write("first"));
  ASSERT_TRUE(twice.Commit()) << twice.Error().reason;
  EXPECT_FALSE(twice.Write("more")) << "a committed file is closed";
  EXPECT_FALSE(twice.Commit());
  EXPECT_STREQ(FailureName(twice.WhatFailed()), "Write");
  EXPECT_EQ(ReadFile(path), "first");
  EXPECT_EQ(folder.Entries(), 1u);
}

TEST(CompleteFile, ReopenStartsAFreshFileAndForgetsTheLastFailure) {
  TempFolder folder;
  const std::string path = folder.File("trip.asc");
  CompleteFile file;
  ASSERT_FALSE(file.Open(folder.File("absent/trip.asc")));
  ASSERT_TRUE(file.Open(path)) << file.Error().reason;
  EXPECT_FALSE(file.Failed());
  EXPECT_EQ(file.Error().reason, "");
  EXPECT_EQ(file.Path(), path);
  ASSERT_TRUE(file.Write("first"));
  ASSERT_TRUE(file.Open(path));  // drops the unfinished first file
  ASSERT_TRUE(file.Write("second"));
  ASSERT_TRUE(file.Commit()) << file.Error().reason;
  EXPECT_EQ(ReadFile(path), "second");
  EXPECT_EQ(folder.Entries(), 1u);
}

// Two writers of one target at once get temporary files of their own; the last
// Commit decides what the target holds.
TEST(CompleteFile, TwoWritersOfOneTargetDoNotMeet) {
  TempFolder folder;
  const std::string path = folder.File("both.ov2");
  CompleteFile first, second;
  ASSERT_TRUE(first.Open(path));
  ASSERT_TRUE(second.Open(path));
  EXPECT_EQ(folder.Entries(), 2u);
  ASSERT_TRUE(first.Write("from the first"));
  ASSERT_TRUE(second.Write("from the second"));
  ASSERT_TRUE(second.Commit()) << second.Error().reason;
  ASSERT_TRUE(first.Commit()) << first.Error().reason;
  EXPECT_EQ(ReadFile(path), "from the first");
  EXPECT_EQ(folder.Entries(), 1u);
}

// Names are taken byte for byte as the C runtime's fopen takes them (on Windows, in
// the ANSI code page), also where the replacing rename is concerned.
TEST(CompleteFile, NamesWithBytesBeyondAsciiAreReplacedInPlace) {
  TempFolder folder;
  for (const char* name : {"Caf\xE9.asc", "Euro \x80 sign.ov2", "\xC0\xDF\xFF.bmp"}) {
    // Joined as bytes: a std::filesystem::path would convert the name on Windows.
    const std::string path = folder.Path().string() + "/" + name;
    WriteFile(path, "earlier");
    ASSERT_EQ(ReadFile(path), "earlier") << name;
    CompleteFile file;
    ASSERT_TRUE(file.Open(path)) << name << ": " << file.Error().reason;
    ASSERT_TRUE(file.Write("later"));
    EXPECT_TRUE(file.Commit()) << name << ": " << file.Error().reason;
    EXPECT_EQ(ReadFile(path), "later") << name;
  }
  EXPECT_EQ(folder.Entries(), 3u) << "a temporary file was left behind";
}

// Three files committed together, two of which replace earlier ones: whatever call
// fails, every target keeps what it had, the file that failed says why in the
// system's words, and nothing else is left in the folder (no temporary file, no
// second name of an earlier file).
TEST(CompleteFile, AFailureAnywhereLeavesEveryTargetAsItWas) {
  struct Case {
    const char* name;
    FaultPlan plan;
    int failing;  // which of the three files (-1: none)
    Failure failure;
    int error;
  };
  const Case cases[] = {
      {"read-only volume at the third file",
       {.refused = FileCall::kCreate, .nth = 3, .error = EROFS},
       2, Failure::Create, EROFS},
      {"disk full at the second file",
       {.refused = FileCall::kWrite, .nth = 2, .error = ENOSPC},
       1, Failure::Write, ENOSPC},
      {"close of the third fails",
       {.refused = FileCall::kClose, .nth = 3, .error = EIO},
       2, Failure::Write, EIO},
      {"second rename refused",
       {.refused = FileCall::kRename, .nth = 2, .error = EACCES},
       1, Failure::Replace, EACCES},
      {"third rename refused",
       {.refused = FileCall::kRename, .nth = 3, .error = EBUSY},
       2, Failure::Replace, EBUSY},
      // A volume without hard links (FAT) still commits.
      {"no second names",
       {.refused = FileCall::kLink, .nth = 1, .error = ENOSYS},
       -1, Failure::None, 0},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string paths[] = {folder.File("trip.asc"), folder.File("trip.ov2"),
                                 folder.File("trip.bmp")};
    WriteFile(paths[0], "earlier asc");
    WriteFile(paths[1], "earlier ov2");
    CompleteFile files[3];
    {
      const FaultyFileCalls failing(c.plan);
      for (int i = 0; i < 3; ++i) {
        if (files[i].Open(paths[i])) files[i].Write("later " + std::to_string(i));
      }
      const bool committed = CommitTogether({&files[0], &files[1], &files[2]});
      EXPECT_EQ(committed, c.failing < 0) << c.name;
    }
    for (int i = 0; i < 3; ++i) {
      const bool failed = i == c.failing;
      EXPECT_EQ(files[i].Failed(), failed) << c.name << ", file " << i;
      if (failed) {
        EXPECT_STREQ(FailureName(files[i].WhatFailed()), FailureName(c.failure)) << c.name;
        EXPECT_EQ(files[i].Error().reason, std::strerror(c.error)) << c.name;
      }
    }
    if (c.failing < 0) {
      for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadFile(paths[i]), "later " + std::to_string(i)) << c.name;
    } else {
      EXPECT_EQ(ReadFile(paths[0]), "earlier asc") << c.name;
      EXPECT_EQ(ReadFile(paths[1]), "earlier ov2") << c.name;
      EXPECT_FALSE(fs::exists(paths[2])) << c.name << ": a new file stayed";
    }
    EXPECT_EQ(folder.Entries(), c.failing < 0 ? 3u : 2u)
        << c.name << ": " << testing::PrintToString(OtherNames(folder, ""));
  }
}

}  // namespace
}  // namespace qh

// The lock and the journal of an output set, on each system's own calls (natively and
// under Wine): one holder at a time, and a commit cut short is finished or undone by
// the next holder according to how far it got.
#include "formats/output_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/faulty_file_calls.h"
#include "tests/support/temp_folder.h"

namespace qh {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The outputs of one name share a lock, whatever their extension; another name has its
// own. Let go, the lock file is gone and the next one takes it.
TEST(OutputSet, OneHolderAtATime) {
  TempFolder folder;
  OutputSet first, second, other;
  ASSERT_EQ(first.Take({folder.File("trip.asc")}, 0), OutputSet::Taken::kTaken) << first.Error().reason;
  EXPECT_EQ(second.Take({folder.File("trip.ov2")}, 100), OutputSet::Taken::kBusy);
  EXPECT_EQ(other.Take({folder.File("tour.ov2")}, 0), OutputSet::Taken::kTaken) << other.Error().reason;
  EXPECT_NE(first.Path(), other.Path());
  first.Release();
  EXPECT_EQ(second.Take({folder.File("trip.bmp")}, 0), OutputSet::Taken::kTaken) << second.Error().reason;
  EXPECT_EQ(second.Path(), first.Path());
  second.Release();
  other.Release();
  EXPECT_EQ(folder.Entries(), 0u) << "a lock file stayed";
}

// A folder name longer than the system takes is told as such, on Windows as on POSIX
// systems, not as an I/O error.
TEST(OutputSet, AFolderNameTooLongIsToldAsSuch) {
  TempFolder folder;
  OutputSet set;
  EXPECT_EQ(set.Take({folder.File(std::string(300, 'n') + "/trip.asc")}, 0), OutputSet::Taken::kFailed);
  EXPECT_EQ(set.Error().reason, std::strerror(ENAMETOOLONG));
}

// Two outputs from an earlier run, and the new run's two temporary files, the
// overlay's with two spill files of its index.
void WriteEarlierAndNew(const TempFolder& folder) {
  WriteFile(folder.File("trip.asc"), "earlier asc");
  WriteFile(folder.File("trip.ov2"), "earlier ov2");
  WriteFile(folder.File(".qh~00000001.tmp"), "new asc");
  WriteFile(folder.File(".qh~00000002.tmp"), "new ov2");
  WriteFile(folder.File(".qh~00000002.tmp.s0"), "the overlay's index, spilled");
  WriteFile(folder.File(".qh~00000002.tmp.s7"), "a part of it");
}

// A commit of two files over earlier ones, stopped after `renamed` of its renames as
// by a kill (-1: while the files were still being written), then the next holder:
// what it says it did, and what the folder holds.
TEST(OutputSet, ACommitCutShortIsFinishedOrRolledBack) {
  for (int renamed = -1; renamed <= 2; ++renamed) {
    TempFolder folder;
    const std::vector<OutputSet::Entry> entries = {{"trip.asc", ".qh~00000001.tmp", ".qh~00000003.tmp"},
                                                   {"trip.ov2", ".qh~00000002.tmp", ""}};
    WriteEarlierAndNew(folder);
    {
      OutputSet killed;
      ASSERT_EQ(killed.Take({folder.File("trip.asc")}, 0), OutputSet::Taken::kTaken);
      ASSERT_TRUE(killed.NoteTemporary(folder.File("trip.asc"), folder.File(".qh~00000001.tmp")) &&
                  killed.NoteTemporary(folder.File("trip.ov2"), folder.File(".qh~00000002.tmp")))
          << killed.Error().reason;
      if (renamed >= 0) {
        ASSERT_TRUE(killed.Begin(entries)) << killed.Error().reason;
        fs::copy_file(folder.File("trip.asc"), folder.File(".qh~00000003.tmp"));
      }
      for (int i = 0; i < renamed; ++i) {
        fs::rename(folder.File(entries[i].temporary), folder.File(entries[i].target));
      }
      killed.LeaveAsIfKilledForTest();
    }
    OutputSet next;
    ASSERT_EQ(next.Take({folder.File("trip.ov2"), folder.File("trip.asc")}, 0), OutputSet::Taken::kTaken)
        << renamed;
    const bool finished = renamed > 0;
    EXPECT_EQ(next.Recover(), renamed < 0 ? OutputSet::Recovery::kCleared
                              : finished  ? OutputSet::Recovery::kFinished
                                          : OutputSet::Recovery::kRolledBack)
        << renamed;
    EXPECT_EQ(next.Recover(), OutputSet::Recovery::kNone) << renamed << ": recovered twice";
    next.Release();
    EXPECT_EQ(ReadFile(folder.File("trip.asc")), finished ? "new asc" : "earlier asc") << renamed;
    EXPECT_EQ(ReadFile(folder.File("trip.ov2")), finished ? "new ov2" : "earlier ov2") << renamed;
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"trip.asc", "trip.ov2"})) << renamed;
  }
}

// A roll-back that is itself cut short (here the second temporary file will not go)
// is taken up again as a roll-back: the first temporary file, gone now, is not
// mistaken for one that took its target's place.
TEST(OutputSet, ARollBackCutShortStaysARollBack) {
  TempFolder folder;
  WriteEarlierAndNew(folder);
  {
    OutputSet killed;
    ASSERT_EQ(killed.Take({folder.File("trip.asc")}, 0), OutputSet::Taken::kTaken);
    ASSERT_TRUE(killed.Begin({{"trip.asc", ".qh~00000001.tmp", ""}, {"trip.ov2", ".qh~00000002.tmp", ""}}));
    killed.LeaveAsIfKilledForTest();
  }
  OutputSet next;
  ASSERT_EQ(next.Take({folder.File("trip.asc"), folder.File("trip.ov2")}, 0), OutputSet::Taken::kTaken);
  {
    const test::FaultyFileCalls faults({.refused = test::FileCall::kRemove, .nth = 2, .error = EACCES});
    EXPECT_EQ(next.Recover(), OutputSet::Recovery::kFailed);
  }
  EXPECT_EQ(next.Recover(), OutputSet::Recovery::kRolledBack);
  next.Release();
  EXPECT_EQ(ReadFile(folder.File("trip.asc")), "earlier asc");
  EXPECT_EQ(ReadFile(folder.File("trip.ov2")), "earlier ov2");
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"trip.asc", "trip.ov2"}));
}

}  // namespace
}  // namespace qh

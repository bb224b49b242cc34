// The lock and the journal of an output set, on each system's own calls (natively and
// under Wine): one holder at a time, and a commit cut short is finished or undone by
// the next holder according to how far it got.
#include "files/output_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "files/complete_file.h"
#include "files/file_calls.h"
#include "files/file_system.h"
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

// Every file and link under `root`, with what it holds or points to: links are not
// followed, so a file behind one is checked where it lies.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> seen;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).generic_string();
    const fs::file_status status = entry.symlink_status();
    if (fs::is_symlink(status)) {
      seen[name] = "link to " + fs::read_symlink(entry.path()).generic_string();
    } else if (fs::is_regular_file(status)) {
      seen[name] = "file: " + ReadFile(entry.path().string());
    } else {
      seen[name] = fs::is_directory(status) ? "folder" : "other";
    }
  }
  return seen;
}

// What lies under the journal's name instead of one this program wrote.
enum class Planted { kContent, kSymlink, kFolder, kFifo, kHardLink, kOtherUser };

struct PlantedJournal {
  const char* name;
  Planted kind;
  std::vector<OutputSet::Entry> entries;  // as a commit's, for kContent and kOtherUser
  std::size_t copies = 1;                 // of the entries, to make a large journal
  bool refusedAtTake;                     // rather than by Recover
};

// Stands for the absolute path of home/a.txt in a planted journal.
constexpr const char* kAbsoluteMark = "<absolute home/a.txt>";

// The outputs' folder out/ with the overlay's input, an earlier overlay, a report and
// two temporary files of someone else's; home/ beside it, reached through out/link too.
void WriteBystanders(const TempFolder& folder) {
  fs::create_directories(folder.Path() / "out");
  fs::create_directories(folder.Path() / "home");
  for (const char* name : {"home/a.txt", "home/d.txt", "home/.qh~44444444.tmp", "out/trip.asc",
                           "out/trip.ov2", "out/report.doc", "out/.qh~33333333.tmp", "out/.qh~55555555.tmp"}) {
    WriteFile(folder.File(name), std::string("the bytes of ") + name);
  }
#ifndef _WIN32
  fs::create_directory_symlink("../home", folder.Path() / "out/link");
#endif
}

// Puts the journal of `c` in the place of out/trip.ov2's, at `journal`.
void Plant(const TempFolder& folder, const PlantedJournal& c, std::string& journal) {
  std::vector<OutputSet::Entry> entries;
  for (std::size_t i = 0; i < c.copies; ++i) entries.insert(entries.end(), c.entries.begin(), c.entries.end());
  for (OutputSet::Entry& entry : entries) {
    if (entry.temporary == kAbsoluteMark) entry.temporary = folder.File("home/a.txt");
  }
  OutputSet planter;
  ASSERT_EQ(planter.Take({folder.File("out/trip.ov2")}, 0), OutputSet::Taken::kTaken);
  journal = planter.Path();
  ASSERT_TRUE(planter.Begin(entries, false));
  planter.LeaveAsIfKilledForTest();
  if (c.kind == Planted::kContent) return;
  if (c.kind == Planted::kFolder) {
    fs::remove(journal);
    fs::create_directory(journal);
    return;
  }
#ifndef _WIN32
  if (c.kind == Planted::kOtherUser) {
    ASSERT_EQ(chown(journal.c_str(), 12345, 12345), 0) << std::strerror(errno);
    ASSERT_EQ(chmod(journal.c_str(), 0666), 0) << std::strerror(errno);
    return;
  }
  fs::remove(journal);
  if (c.kind == Planted::kSymlink) fs::create_symlink(folder.File("home/a.txt"), journal);
  if (c.kind == Planted::kHardLink) fs::create_hard_link(folder.File("home/a.txt"), journal);
  if (c.kind == Planted::kFifo) {
    ASSERT_EQ(mkfifo(journal.c_str(), 0600), 0) << std::strerror(errno);
  }
#endif
}

// Journals that name what no run of this program writes for the overlay out/trip.ov2,
// and journals that are not this program's files: each is refused, left as it is,
// and nothing in either folder is touched.
TEST(OutputSet, AJournalThisProgramDidNotWriteIsRefusedAndNothingTouched) {
  const std::string own = ".qh~55555555.tmp";
  std::vector<PlantedJournal> cases = {
      {"a temporary file up the tree", Planted::kContent, {{"trip.ov2", "../home/a.txt", ""}}, 1, false},
      {"an absolute temporary file", Planted::kContent, {{"trip.ov2", kAbsoluteMark, ""}}, 1, false},
      {"a kept name outside the folder", Planted::kContent, {{"trip.ov2", own, "../home/a.txt"}}, 1, false},
      {"a rename across folders", Planted::kContent, {{"../home/d.txt", "../home/a.txt", ""}}, 1, false},
      // The second entry's temporary file is gone: as if the commit had begun renaming.
      {"a plant renamed over a file that is no output", Planted::kContent,
       {{"report.doc", ".qh~33333333.tmp", ""}, {"trip.ov2", ".qh~22222222.tmp", ""}}, 1, false},
      {"the input as a temporary file", Planted::kContent, {{"trip.ov2", "trip.asc", ""}}, 1, false},
      {"a temporary file behind a linked folder", Planted::kContent,
       {{"trip.ov2", "link/.qh~44444444.tmp", ""}}, 1, false},
      {"a journal past 1 MiB", Planted::kContent, {{"trip.ov2", own, ""}}, 50000, false},
      {"a folder", Planted::kFolder, {}, 1, true},
  };
#ifndef _WIN32
  cases.push_back({"a link to a file of the user's", Planted::kSymlink, {}, 1, true});
  cases.push_back({"a second name of a file of the user's", Planted::kHardLink, {}, 1, true});
  cases.push_back({"a FIFO", Planted::kFifo, {}, 1, true});
  if (geteuid() == 0) cases.push_back({"another user's", Planted::kOtherUser, {{"trip.ov2", own, ""}}, 1, true});
#endif
  for (const PlantedJournal& c : cases) {
    TempFolder folder;
    WriteBystanders(folder);
    std::string journal;
    Plant(folder, c, journal);
    ASSERT_FALSE(HasFatalFailure()) << c.name;
    const auto before = Snapshot(folder.Path());
    {
      OutputSet next;
      const OutputSet::Taken taken = next.Take({folder.File("out/trip.ov2")}, 0);
      EXPECT_EQ(taken, c.refusedAtTake ? OutputSet::Taken::kForeign : OutputSet::Taken::kTaken) << c.name;
      if (taken == OutputSet::Taken::kTaken) {
        EXPECT_EQ(next.Recover(), OutputSet::Recovery::kForeign) << c.name;
      }
      EXPECT_EQ(next.Error().path, journal) << c.name;
      EXPECT_FALSE(next.Error().reason.empty()) << c.name;
    }
    EXPECT_EQ(Snapshot(folder.Path()), before) << c.name;
  }
}

// The file calls of the test below: each new file is looked for in the journal first.
std::string watchedJournal;
std::vector<std::string> namedWhenMade;
FileHandle CreateNewSeen(const char* path) {
  std::string journal;
  ReadFile(watchedJournal, journal);
  const std::string name(FileNamePart(path));
  if (journal.find(std::string(1, '\0') + name + '\0') != std::string::npos) namedWhenMade.push_back(name);
  return SystemFileCalls().createNew(path);
}

// A temporary file is in the journal before it exists, so no kill leaves one that the
// next run does not know of; and one named there that never came to be (the kill came
// first) is passed over when the next run clears up.
TEST(OutputSet, ATemporaryFileIsNamedInTheJournalBeforeItIsMade) {
  TempFolder folder;
  WriteFile(folder.File("trip.ov2"), "earlier ov2");
  OutputSet killed;
  ASSERT_EQ(killed.Take({folder.File("trip.asc"), folder.File("trip.ov2")}, 0), OutputSet::Taken::kTaken);
  watchedJournal = killed.Path();
  namedWhenMade.clear();
  FileCalls calls = SystemFileCalls();
  calls.createNew = CreateNewSeen;
  SetFileCallsForTest(&calls);
  CompleteFile asc, overlay;
  const bool opened = asc.Open(folder.File("trip.asc"), &killed) && overlay.Open(folder.File("trip.ov2"), &killed);
  SetFileCallsForTest(nullptr);
  ASSERT_TRUE(opened) << asc.Error().reason << overlay.Error().reason;
  EXPECT_EQ(namedWhenMade, (std::vector<std::string>{std::string(FileNamePart(asc.TemporaryPath())),
                                                     std::string(FileNamePart(overlay.TemporaryPath()))}));
  // The kill: the overlay's temporary file is left as it is, closed; the other one,
  // as if the kill had come before it was made.
  ASSERT_TRUE(overlay.Finish()) << overlay.Error().reason;
  asc.Abandon();
  killed.LeaveAsIfKilledForTest();
  OutputSet next;
  ASSERT_EQ(next.Take({folder.File("trip.ov2"), folder.File("trip.asc")}, 0), OutputSet::Taken::kTaken);
  EXPECT_EQ(next.Recover(), OutputSet::Recovery::kCleared) << next.Error().reason;
  next.Release();
  EXPECT_EQ(Names(folder), std::vector<std::string>{"trip.ov2"});
  EXPECT_EQ(ReadFile(folder.File("trip.ov2")), "earlier ov2");
}

}  // namespace
}  // namespace qh

// psp2ov2's conversion with the disk failing at every place it can: full after each
// byte count of its three outputs, and each create, close, rename, remove and link
// refused in turn. Whatever fails, the earlier outputs stay byte for byte (or all
// three new ones took their places), nothing else is left in the folder, and a
// failure is told with the system's reason and exit status 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "files/complete_file.h"
#include "overlay/overlay_builder.h"
#include "files/output_set.h"
#include "tests/support/faulty_file_calls.h"
#include "tests/support/pushpin_builder.h"
#include "tests/support/temp_folder.h"
#include "tools/psp2ov2/conversion.h"
#include "tools/common/exit_status.h"
#include "tools/psp2ov2/options.h"

namespace qh {
namespace {

using test::FaultPlan;
using test::FaultyFileCalls;
using test::FileCall;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

const char* const kOutputs[] = {"trip.asc", "trip.ov2", "trip.bmp"};

struct Outcome {
  int status = -1;
  std::string messages;
  int calls[test::kFileCallKinds] = {};  // of each kind, refused ones included
  std::size_t bytes = 0;                // that reached the disk
  std::size_t read = 0;                 // bytes the reads gave
};

// Converts trip.psp in `folder` as `psp2ov2 -q trip.psp` would (with `--memory` of
// `indexMemory` bytes), under `plan`, with the icon beside the tool.
Outcome Convert(const TempFolder& folder, const FaultPlan& plan, bool noSync = false,
                std::uint64_t indexMemory = kDefaultIndexMemory) {
  psp2ov2::Options options;
  options.quiet = true;
  options.noSync = noSync;
  options.indexMemory = indexMemory;
  options.inputs = {folder.File("trip.psp")};
  psp2ov2::Converter converter(options, folder.Path().string() + "/");
  Outcome outcome;
  testing::internal::CaptureStderr();
  {
    const FaultyFileCalls faults(plan);
    if (converter.PlanOutputs()) outcome.status = converter.Convert(0);
    for (int k = 0; k < test::kFileCallKinds; ++k) outcome.calls[k] = faults.Count(FileCall(k));
    outcome.bytes = faults.BytesWritten();
    outcome.read = faults.BytesRead();
  }
  outcome.messages = testing::internal::GetCapturedStderr();
  return outcome;
}

// How a child process ended: its exit status, or the signal that ended it.
struct ChildEnd {
  int status = -1;
  int signal = 0;
  std::string messages;
};

// Converts trip.psp in `folder` as Convert does, in a child process that handles
// interrupts as the tool does, under `plan`; its standard error is caught in a file of
// `logs`.
ChildEnd ConvertInChild(const TempFolder& folder, const TempFolder& logs, const FaultPlan& plan) {
  const std::string errors = logs.File("child.stderr");
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int log = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(log, 2);
    RemoveTemporaryFilesOnInterrupt();
    psp2ov2::Options options;
    options.quiet = true;
    options.inputs = {folder.File("trip.psp")};
    psp2ov2::Converter converter(options, folder.Path().string() + "/");
    const FaultyFileCalls faults(plan);
    _exit(converter.PlanOutputs() ? converter.Convert(0) : 99);
  }
  ChildEnd end;
  int raw = 0;
  if (pid < 0 || waitpid(pid, &raw, 0) != pid) return end;
  if (WIFEXITED(raw)) end.status = WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) end.signal = WTERMSIG(raw);
  end.messages = ReadFile(errors);
  return end;
}

// The names in the folder, sorted.
std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FaultLoops : public testing::Test {
 protected:
  // The pins converted: the sample's nine, unless a test takes more.
  virtual std::vector<test::StoredPin> Pins() const { return test::SamplePins(); }

  void SetUp() override {
    WriteFile(folder_.File("trip.psp"), test::PushpinBytes(Pins()));
    WriteFile(folder_.File("default_symbol.bmp"), ReadFile(QH_SOURCE_DIR "/resources/default_symbol.bmp"));
    // What a clean run writes, and how many bytes.
    const Outcome clean = Convert(folder_, {});
    ASSERT_EQ(clean.status, tools::kExitOk) << clean.messages;
    total_ = clean.bytes;
    for (const char* name : kOutputs) {
      fresh_.push_back(ReadFile(folder_.File(name)));
      std::filesystem::remove(folder_.File(name));
    }
    namesBefore_ = Names(folder_);
  }

  // Puts (or removes) the earlier outputs before a run, and takes away what an earlier
  // run was allowed to leave.
  void Earlier(bool present) {
    for (const std::string& name : Names(folder_)) {
      if (std::find(namesBefore_.begin(), namesBefore_.end(), name) == namesBefore_.end())
        std::filesystem::remove(folder_.File(name));
    }
    for (const char* name : kOutputs) {
      if (present) {
        WriteFile(folder_.File(name), std::string("earlier ") + name);
      } else {
        std::filesystem::remove(folder_.File(name));
      }
    }
  }

  // After a run: either every output is new, or every one is as it was; nothing else.
  void ExpectWholeOutcome(const std::string& what, const Outcome& outcome, bool earlier,
                          const char* reason) {
    const bool failed = outcome.status != tools::kExitOk;
    for (std::size_t i = 0; i < 3; ++i) {
      const std::string path = folder_.File(kOutputs[i]);
      if (!failed) {
        EXPECT_EQ(ReadFile(path), fresh_[i]) << what << ": " << kOutputs[i];
      } else if (earlier) {
        EXPECT_EQ(ReadFile(path), std::string("earlier ") + kOutputs[i]) << what;
      } else {
        EXPECT_FALSE(std::filesystem::exists(path)) << what << ": " << kOutputs[i] << " stayed";
      }
    }
    std::vector<std::string> expected = namesBefore_;
    if (earlier || !failed) expected.insert(expected.end(), std::begin(kOutputs), std::end(kOutputs));
    // An earlier output kept under a second name while the new ones took their places,
    // which the system then would not remove, may stay only when the message names it.
    for (const std::string& name : Names(folder_)) {
      if (std::find(expected.begin(), expected.end(), name) != expected.end()) continue;
      if (!failed && outcome.messages.find("is still there as " + folder_.File(name)) !=
                         std::string::npos) {
        expected.push_back(name);
      }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(folder_), expected) << what << ": " << outcome.messages;
    if (failed) {
      EXPECT_EQ(outcome.status, tools::kExitFailed) << what;
      EXPECT_NE(outcome.messages.find(reason), std::string::npos) << what << ": " << outcome.messages;
    }
  }

  TempFolder folder_;
  std::size_t total_ = 0;
  std::vector<std::string> fresh_;
  std::vector<std::string> namesBefore_;
};

TEST_F(FaultLoops, ADiskThatFillsAtAnyByteLeavesTheEarlierOutputs) {
  ASSERT_GT(total_, 300u);
  for (const bool earlier : {true, false}) {
    for (std::size_t capacity = 0; capacity <= total_; ++capacity) {
      Earlier(earlier);
      const Outcome outcome = Convert(folder_, {.capacity = capacity});
      const std::string what = "full after " + std::to_string(capacity) + " of " +
                               std::to_string(total_) + (earlier ? " bytes, earlier outputs" : " bytes");
      EXPECT_EQ(outcome.status == tools::kExitOk, capacity == total_) << what;
      ExpectWholeOutcome(what, outcome, earlier, std::strerror(ENOSPC));
      if (HasFailure()) return;
    }
  }
}

TEST_F(FaultLoops, EachRefusedCallLeavesTheEarlierOutputsOrAllTheNewOnes) {
  for (const FileCall call : {FileCall::kCreate, FileCall::kClose, FileCall::kRename,
                              FileCall::kRemove, FileCall::kLink, FileCall::kSync,
                              FileCall::kSyncFolder}) {
    for (const bool earlier : {true, false}) {
      // Until a run makes fewer such calls than the one refused: every place was tried.
      for (int nth = 1;; ++nth) {
        Earlier(earlier);
        const Outcome outcome = Convert(folder_, {.refused = call, .nth = nth, .error = EACCES});
        if (outcome.calls[static_cast<int>(call)] < nth) break;
        const std::string what = std::string(test::FileCallName(call)) + " " +
                                 std::to_string(nth) + " refused" +
                                 (earlier ? ", earlier outputs" : "");
        ExpectWholeOutcome(what, outcome, earlier, std::strerror(EACCES));
        if (HasFailure()) return;
      }
    }
  }
}

// The input (and the icon read after it) failing at any byte: the run says so with the
// system's reason, and no output is written or replaced.
TEST_F(FaultLoops, AReadErrorAtAnyByteIsToldAndNothingIsWritten) {
  Earlier(false);
  const Outcome clean = Convert(folder_, {});
  ASSERT_EQ(clean.status, tools::kExitOk) << clean.messages;
  ASSERT_GT(clean.read, 300u) << "the pins and the icon are read through the file calls";
  for (const bool earlier : {true, false}) {
    for (std::size_t readable = 0; readable < clean.read; ++readable) {
      Earlier(earlier);
      const Outcome outcome = Convert(folder_, {.readable = readable});
      const std::string what = "read fails after " + std::to_string(readable) + " of " +
                               std::to_string(clean.read) + (earlier ? " bytes, earlier outputs" : " bytes");
      EXPECT_EQ(outcome.status, tools::kExitFailed) << what;
      ExpectWholeOutcome(what, outcome, earlier, std::strerror(EIO));
      if (HasFailure()) return;
    }
  }
}

// Each output reaches the disk itself before it takes its place, and the folder's
// names after; --no-sync leaves both to the system.
TEST_F(FaultLoops, OutputsAreFlushedToTheDiskUnlessNoSync) {
  for (const bool noSync : {false, true}) {
    Earlier(true);
    const Outcome outcome = Convert(folder_, {}, noSync);
    ASSERT_EQ(outcome.status, tools::kExitOk) << outcome.messages;
    EXPECT_EQ(outcome.calls[static_cast<int>(FileCall::kSync)], noSync ? 0 : 3) << noSync;
    EXPECT_EQ(outcome.calls[static_cast<int>(FileCall::kSyncFolder)], noSync ? 0 : 1) << noSync;
  }
}

// A signal at each step of the commit (each earlier output kept under a second name,
// each rename) is held until the commit is over: the new outputs stand, the run ends
// with 0 and says it was interrupted after finishing.
TEST_F(FaultLoops, AnInterruptDuringTheCommitEndsTheRunAfterIt) {
  TempFolder logs;
  Earlier(true);
  const Outcome clean = Convert(folder_, {});
  for (const FileCall call : {FileCall::kLink, FileCall::kRename}) {
    ASSERT_GT(clean.calls[static_cast<int>(call)], 0) << test::FileCallName(call);
    for (int nth = 1; nth <= clean.calls[static_cast<int>(call)]; ++nth) {
      Earlier(true);
      const ChildEnd end = ConvertInChild(folder_, logs, {.refused = call, .nth = nth, .signal = SIGTERM});
      const std::string what = std::string("SIGTERM at ") + test::FileCallName(call) + " " +
                               std::to_string(nth);
      EXPECT_EQ(end.signal, 0) << what;
      EXPECT_EQ(end.status, tools::kExitOk) << what << ": " << end.messages;
      EXPECT_NE(end.messages.find("interrupted after finishing"), std::string::npos)
          << what << ": " << end.messages;
      Outcome outcome;
      outcome.status = end.status;
      outcome.messages = end.messages;
      ExpectWholeOutcome(what, outcome, true, "");
      if (HasFailure()) return;
    }
  }
}

// A kill (as at a power cut) while the outputs are written and at each step of the
// commit: before each earlier output is kept under a second name and before each
// rename. The journal lets the next run put things right first: it removes the
// temporary files of a run killed while writing, rolls back a commit that had renamed
// nothing yet (the earlier outputs stay) and finishes one that had (all new outputs),
// says which, and leaves nothing else behind.
TEST_F(FaultLoops, AKillAtAnyStepOfTheCommitIsFinishedOrRolledBackByTheNextRun) {
  TempFolder logs;
  Earlier(true);
  const Outcome clean = Convert(folder_, {});
  using Recovery = OutputSet::Recovery;
  struct Step {
    FileCall call;
    int nth;
    Recovery recovery;
  };
  // While writing: the first write, and the icon's creation after the other two.
  std::vector<Step> steps = {{FileCall::kWrite, 1, Recovery::kCleared},
                             {FileCall::kCreate, 3, Recovery::kCleared}};
  for (const FileCall call : {FileCall::kLink, FileCall::kRename}) {
    for (int nth = 1; nth <= clean.calls[static_cast<int>(call)]; ++nth) {
      const bool finished = call == FileCall::kRename && nth > 1;
      steps.push_back({call, nth, finished ? Recovery::kFinished : Recovery::kRolledBack});
    }
  }
  for (const Step& step : steps) {
    const std::string what = std::string("kill at ") + test::FileCallName(step.call) + " " +
                             std::to_string(step.nth);
    const bool finished = step.recovery == Recovery::kFinished;
    const FaultPlan kill{.refused = step.call, .nth = step.nth, .signal = SIGKILL};
    // What the recovery itself makes of the folder.
    Earlier(true);
    ASSERT_EQ(ConvertInChild(folder_, logs, kill).signal, SIGKILL) << what;
    OutputSet set;
    ASSERT_EQ(set.Take({folder_.File("trip.asc"), folder_.File("trip.ov2"), folder_.File("trip.bmp")}, 0),
              OutputSet::Taken::kTaken)
        << what;
    EXPECT_EQ(set.Recover(), step.recovery) << what;
    set.Release();
    Outcome recovered;
    recovered.status = finished ? tools::kExitOk : tools::kExitFailed;
    ExpectWholeOutcome(what + ", recovered", recovered, true, "");
    // The next run of the tool says what it did, then converts as usual.
    Earlier(true);
    ASSERT_EQ(ConvertInChild(folder_, logs, kill).signal, SIGKILL) << what;
    const Outcome next = Convert(folder_, {});
    const char* said = finished ? "finished the commit of an interrupted run"
                       : step.recovery == Recovery::kCleared
                           ? "removed the temporary files of an interrupted run"
                           : "rolled back the commit of an interrupted run";
    EXPECT_NE(next.messages.find(said), std::string::npos) << what << ": " << next.messages;
    ExpectWholeOutcome(what + ", next run", next, true, "");
    if (HasFailure()) return;
  }
}

// Enough pins that the ".asc" file is flushed on a second thread while the overlay is
// built and written on two more: whichever of the files the disk fails first, and
// whatever the threads do meanwhile, the outcome is whole and the failure told.
class LargeFaultLoops : public FaultLoops {
 protected:
  std::vector<test::StoredPin> Pins() const override {
    std::vector<test::StoredPin> pins;
    std::uint64_t state = 99;
    for (int i = 0; i < 80000; ++i) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      test::StoredPin pin;
      const double latitude = static_cast<double>(state >> 40) / 16777216.0 * 170 - 85;
      const double longitude = static_cast<double>(state >> 11 & 0xFFFFFF) / 16777216.0 * 360 - 180;
      pin.latitudeRadians = latitude * test::kRadiansPerDegree;
      pin.longitudeRadians = longitude * test::kRadiansPerDegree;
      pin.name = u"pin " + std::u16string(static_cast<std::size_t>(i % 30), u'x');
      pins.push_back(pin);
    }
    return pins;
  }
};

TEST_F(LargeFaultLoops, AFailureBesideTheOverlaysBuildLeavesAWholeOutcome) {
  for (const bool earlier : {true, false}) {
    // Each flush to the disk refused in turn: the ".asc" file's is told as its own. The
    // files are flushed from two threads, so the .asc file's may come at any place.
    Earlier(earlier);
    const int flushes = Convert(folder_, {}).calls[static_cast<int>(FileCall::kSync)];
    bool ascTold = false;
    for (int nth = 1; nth <= flushes; ++nth) {
      Earlier(earlier);
      const Outcome outcome =
          Convert(folder_, {.refused = FileCall::kSync, .nth = nth, .error = EACCES});
      ExpectWholeOutcome("sync " + std::to_string(nth) + " refused", outcome, earlier,
                         std::strerror(EACCES));
      ascTold |= outcome.messages.find("cannot write " + folder_.File("trip.asc")) !=
                 std::string::npos;
    }
    EXPECT_TRUE(ascTold) << "no refused flush was the .asc file's";
    // The disk full at points where the files' last bytes and the overlay's go at once.
    for (const std::size_t cut : {total_ / 3, total_ / 2, total_ * 3 / 4, total_ - 1}) {
      Earlier(earlier);
      const Outcome outcome = Convert(folder_, {.capacity = cut});
      EXPECT_NE(outcome.status, tools::kExitOk) << "full after " << cut;
      ExpectWholeOutcome("full after " + std::to_string(cut), outcome, earlier,
                         std::strerror(ENOSPC));
    }
    if (HasFailure()) return;
  }
}

// With the index beyond its memory, split on the disk beside the outputs: the same
// overlay, and a failure of its temporary files (the first one refused while the pins
// are read, the disk full while the index splits or its parts are written) leaves a
// whole outcome, nothing of the index, and the reason. A failure while the pins are
// read ends the reading there.
TEST_F(LargeFaultLoops, AFailureOfTheIndexOnTheDiskLeavesAWholeOutcome) {
  // Small enough that the index's first file comes early: the reader may then be all
  // its batches in flight ahead (a third of these pins) and still be short of the last
  // quarter when it hears of the failure.
  const std::uint64_t spilling = std::uint64_t{1} << 18;
  Earlier(false);
  const Outcome inMemory = Convert(folder_, {});
  ASSERT_EQ(inMemory.status, tools::kExitOk) << inMemory.messages;
  Earlier(false);
  const Outcome clean = Convert(folder_, {}, false, spilling);
  ExpectWholeOutcome("spilled", clean, false, "");
  ASSERT_EQ(clean.status, tools::kExitOk) << clean.messages;
  ASSERT_GT(clean.bytes, total_) << "the index did not spill";
  // All files but the icon are made before the pins are read; the index's first follows.
  const int firstOfTheIndex = inMemory.calls[static_cast<int>(FileCall::kCreate)];
  const std::size_t input = ReadFile(folder_.File("trip.psp")).size();
  for (const bool earlier : {true, false}) {
    Earlier(earlier);
    const Outcome refused = Convert(
        folder_, {.refused = FileCall::kCreate, .nth = firstOfTheIndex, .error = ENOSPC}, false,
        spilling);
    ExpectWholeOutcome("the index's first file refused", refused, earlier, std::strerror(ENOSPC));
    EXPECT_NE(refused.messages.find("cannot write " + folder_.File("trip.ov2")), std::string::npos)
        << refused.messages;
    EXPECT_LT(refused.read, input * 3 / 4) << "the pins were read on after the overlay failed";
    for (const std::size_t cut : {clean.bytes / 4, clean.bytes / 2, clean.bytes * 3 / 4}) {
      Earlier(earlier);
      const Outcome outcome = Convert(folder_, {.capacity = cut}, false, spilling);
      ExpectWholeOutcome("spilled, full after " + std::to_string(cut), outcome, earlier,
                         std::strerror(ENOSPC));
    }
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace qh

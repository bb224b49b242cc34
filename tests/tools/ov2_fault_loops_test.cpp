// ov2 make and ov2 read with the disk failing at every place it can: full after each
// byte count of the output, and each file call refused in turn. Whatever fails, the
// earlier output stays byte for byte (or the new one is whole), nothing else is left
// in the folder, and the failure is told with the system's reason and exit status 2.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/support/faulty_file_calls.h"
#include "tests/support/pushpin_builder.h"
#include "tests/support/temp_folder.h"
#include "tools/common/exit_status.h"
#include "tools/ov2/commands.h"

namespace qh {
namespace {

using test::FaultPlan;
using test::FaultyFileCalls;
using test::FileCall;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

struct Outcome {
  int status = -1;
  std::string messages;
  int calls[test::kFileCallKinds] = {};
  std::size_t bytes = 0;
};

Outcome RunOv2(const ov2::Options& options, const FaultPlan& plan) {
  Outcome outcome;
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  {
    const FaultyFileCalls faults(plan);
    outcome.status = options.command == ov2::Command::kMake ? ov2::RunMake(options)
                                                             : ov2::RunRead(options);
    for (int k = 0; k < test::kFileCallKinds; ++k) outcome.calls[k] = faults.Count(FileCall(k));
    outcome.bytes = faults.BytesWritten();
  }
  testing::internal::GetCapturedStdout();
  outcome.messages = testing::internal::GetCapturedStderr();
  return outcome;
}

class Ov2FaultLoops : public testing::TestWithParam<ov2::Command> {
 protected:
  void SetUp() override {
    std::string csv = "lat,lon,name,desc\n";
    for (int i = 0; i < 45; ++i) {
      csv += std::to_string(30 + i * 0.37) + "," + std::to_string(-90 + i * 0.51) + ",Place " +
             std::to_string(i) + ",\"note, " + std::to_string(i) + "\"\n";
    }
    WriteFile(folder_.File("in.csv"), csv);
    options_.command = GetParam();
    options_.inputs = {folder_.File("in.csv")};
    options_.output = folder_.File(GetParam() == ov2::Command::kMake ? "out.ov2" : "out.gpx");
    const Outcome clean = RunOv2(options_, {});
    ASSERT_EQ(clean.status, tools::kExitOk) << clean.messages;
    clean_ = clean;
    ASSERT_GT(clean_.bytes, 1000u) << "too little output for the loops to mean much";
    fresh_ = ReadFile(options_.output);
    WriteFile(options_.output, "the earlier output");
  }

  // After a run: the earlier output or the whole new one, and nothing else.
  void Expect(const Outcome& outcome, const std::string& what) {
    const std::string now = ReadFile(options_.output);
    if (outcome.status == tools::kExitOk) {
      EXPECT_EQ(now, fresh_) << what;
      WriteFile(options_.output, "the earlier output");
    } else {
      EXPECT_EQ(outcome.status, tools::kExitFailed) << what;
      EXPECT_EQ(now, "the earlier output") << what;
      EXPECT_NE(outcome.messages.find("cannot write"), std::string::npos) << what << outcome.messages;
    }
    EXPECT_EQ(folder_.Entries(), 2u) << what << ": a temporary file stayed";
  }

  TempFolder folder_;
  ov2::Options options_;
  Outcome clean_;
  std::string fresh_;
};

// A pushpin input whose reads fail after any number of bytes, in its header or in a
// pin: the run ends with 2, tells the system's reason, and writes no overlay.
TEST(Ov2ReadFaults, APushpinReadErrorAtAnyByteIsToldWithItsReason) {
  TempFolder folder;
  test::PspBytes psp;
  psp.Header(3);
  for (int i = 0; i < 3; ++i) psp.Pin(i + 1, 0, 0.6 + 0.01 * i, -1.5 + 0.01 * i, u"Pin");
  WriteFile(folder.File("in.psp"), std::string(psp.Data().begin(), psp.Data().end()));
  ov2::Options options;
  options.command = ov2::Command::kMake;
  options.inputs = {folder.File("in.psp")};
  options.output = folder.File("out.ov2");
  for (std::size_t readable = 0; readable < psp.Size(); ++readable) {
    FaultPlan plan;
    plan.readable = readable;
    const Outcome outcome = RunOv2(options, plan);
    const std::string what = "reads fail after " + std::to_string(readable) + " bytes";
    EXPECT_EQ(outcome.status, tools::kExitFailed) << what;
    EXPECT_NE(outcome.messages.find(std::strerror(EIO)), std::string::npos)
        << what << ": " << outcome.messages;
    EXPECT_EQ(folder.Entries(), 1u) << what << ": an output was left";
    if (HasFailure()) return;
  }
}

TEST_P(Ov2FaultLoops, AFullDiskAtEveryByteLeavesTheEarlierOutput) {
  for (std::size_t capacity = 0; capacity < clean_.bytes; capacity += 7) {
    FaultPlan plan;
    plan.capacity = capacity;
    const Outcome outcome = RunOv2(options_, plan);
    EXPECT_EQ(outcome.status, tools::kExitFailed) << capacity;
    EXPECT_NE(outcome.messages.find(std::strerror(ENOSPC)), std::string::npos) << outcome.messages;
    Expect(outcome, "full after " + std::to_string(capacity) + " bytes");
  }
}

TEST_P(Ov2FaultLoops, EachFileCallRefusedInTurn) {
  for (int kind = 0; kind < test::kFileCallKinds; ++kind) {
    for (int nth = 1; nth <= clean_.calls[kind]; ++nth) {
      FaultPlan plan;
      plan.refused = FileCall(kind);
      plan.nth = nth;
      plan.error = EACCES;
      Expect(RunOv2(options_, plan), std::string(test::FileCallName(FileCall(kind))) + " #" +
                                      std::to_string(nth) + " refused");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(MakeAndRead, Ov2FaultLoops,
                         testing::Values(ov2::Command::kMake, ov2::Command::kRead));

}  // namespace
}  // namespace qh

// ov2 check: the structure of each overlay, its faults with their byte offsets.
#include <algorithm>
#include <cstdio>

#include "overlay/ov2_reader.h"
#include "tools/common/exit_status.h"
#include "tools/common/standard_output.h"
#include "tools/common/tell_failure.h"
#include "tools/ov2/commands.h"
#include "tools/ov2/input_readers.h"
#include "tools/common/console_text.h"

namespace qh::ov2 {
namespace {

using tools::kExitFailed;
using tools::kExitOk;
using tools::kExitSkipped;

// The faults listed with their offsets; the rest are only counted.
constexpr std::size_t kFaultsListed = 20;

int CheckOne(const std::string& path) {
  const std::string shown = tools::Shown(path);
  std::size_t faults = 0;
  Ov2Visitor visitor;
  visitor.unknown = [&](std::size_t offset, std::uint8_t type) {
    SayRecordPassedOver(path, offset, type);
  };
  // The walk goes on past each fault, as a lenient read does, so that all are found.
  visitor.fault = [&](const ContentError& fault, Ov2Fault) {
    if (++faults > kFaultsListed) return;
    tools::Print(stdout, "%s: byte %zu: %s\n", shown.c_str(), fault.offset, fault.what.c_str());
  };
  IoError error;
  const Ov2Summary summary = ReadOv2File(path, visitor, error, Ov2Reading::kLenient);
  if (error) {
    tools::TellFailure("ov2", error);
    return kExitFailed;
  }
  if (faults > 0) {
    tools::Print(stdout, "%s: %zu fault%s: %s\n", shown.c_str(), faults, faults == 1 ? "" : "s",
                 Ov2FaultCounts(summary, false, ", ").c_str());
    return kExitSkipped;
  }
  tools::Print(stdout, "%s: %zu point%s, %zu block%s, valid\n", shown.c_str(),
               summary.points, summary.points == 1 ? "" : "s", summary.blocks,
               summary.blocks == 1 ? "" : "s");
  return kExitOk;
}

}  // namespace

int RunCheck(const Options& options) {
  int status = kExitOk;
  for (const std::string& path : options.inputs) status = std::max(status, CheckOne(path));
  if (!tools::StandardOutputDone("ov2")) return kExitFailed;
  return status;
}

}  // namespace qh::ov2

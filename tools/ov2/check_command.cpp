// ov2 check: the structure of each overlay, its first fault with its byte offset.
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

int CheckOne(const std::string& path) {
  Ov2Visitor visitor;
  visitor.unknown = [&](std::size_t offset, std::uint8_t type) {
    SayRecordPassedOver(path, offset, type);
  };
  IoError error;
  const Ov2Summary summary = ReadOv2File(path, visitor, error);
  if (error) {
    tools::TellFailure("ov2", error);
    return kExitFailed;
  }
  if (summary.fault) {
    tools::Print(stdout, "%s: byte %zu: %s\n", tools::Shown(path).c_str(), summary.fault.offset,
                summary.fault.what.c_str());
    return kExitSkipped;
  }
  tools::Print(stdout, "%s: %zu point%s, %zu block%s, valid\n", tools::Shown(path).c_str(),
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

// ov2 make: every input's points, in the order given, into one overlay.
#include <algorithm>
#include <cstdio>

#include "overlay/overlay_builder.h"
#include "tools/common/exit_status.h"
#include "tools/common/output_claim.h"
#include "tools/common/output_place.h"
#include "tools/common/standard_output.h"
#include "tools/common/tell_failure.h"
#include "tools/ov2/commands.h"
#include "tools/ov2/options.h"
#include "tools/ov2/input_readers.h"
#include "tools/ov2/point_flow.h"
#include "tools/ov2/point_pipe.h"
#include "tools/common/console_text.h"

namespace qh::ov2 {
namespace {

using tools::kExitFailed;
using tools::kExitOk;
using tools::kExitSkipped;

int CannotWrite(const Options& options, const OverlayBuilder& builder) {
  tools::TellFailureOf("ov2", options.output, builder.Error());
  return kExitFailed;
}

void Summarize(const Options& options, const PointFlow& flow) {
  tools::Print(stdout, "%s: %zu point%s from %zu input%s", tools::Shown(options.output).c_str(),
               flow.Points(),
              flow.Points() == 1 ? "" : "s", options.inputs.size(),
              options.inputs.size() == 1 ? "" : "s");
  if (options.dedupe) tools::Print(stdout, ", %zu duplicates dropped", flow.Duplicates());
  if (flow.Skipped() > 0) tools::Print(stdout, ", %zu left out", flow.Skipped());
  tools::Print(stdout, "\n");
}

}  // namespace

int RunMake(const Options& options) {
  if (!tools::MayWriteOutput("ov2", options.inputs, options.output, "overlay")) return kExitFailed;
  if (!OutputFitsCommand(options)) return kExitFailed;
  OutputSet set;
  if (!tools::ClaimOutputs("ov2", {options.output}, set)) return kExitFailed;
  OverlayBuilder builder;
  if (!builder.Open(options.output, false, &set)) return CannotWrite(options, builder);
  const TextOptions texts{options.appendNotes, options.utf8, options.longitudeRule};
  PointFlow flow(texts, options.longitudeOffset, options.latitudeOffset, options.dedupe,
                 [&](const FlowPoint& point) { return builder.Add(point.point); });
  // The inputs are read here while a second thread builds the overlay.
  PipedSink sink(flow);
  for (const std::string& input : options.inputs) {
    // The overlay is made of all inputs or not at all: the builder drops its file.
    if (ReadInput(input, texts, ReadingOf(options), sink) != kExitOk) {
      if (!sink.Finish()) CannotWrite(options, builder);
      return kExitFailed;
    }
  }
  if (!sink.Finish()) return CannotWrite(options, builder);
  if (flow.NoPointCame()) return TellNoPointCame(options.output);
  if (!builder.Commit(&set)) return CannotWrite(options, builder);
  tools::TellInterruptedAfterFinishing("ov2", options.output, "overlay");
  const auto& file = builder.File();
  if (!file.Leftover().empty()) {
    tools::Print(stderr, "ov2: the earlier %s is still there as %s: %s\n",
                 tools::Shown(options.output).c_str(), tools::Shown(file.Leftover()).c_str(),
                 file.LeftoverReason().c_str());
  }
  Summarize(options, flow);
  if (!tools::StandardOutputDone("ov2")) return kExitFailed;
  return flow.Skipped() > 0 ? kExitSkipped : kExitOk;
}

}  // namespace qh::ov2

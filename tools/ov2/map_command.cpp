// ov2 map: the points of every input on an overview map, as SVG.
#include <cstdio>

#include "files/complete_file.h"
#include "files/file_system.h"
#include "tools/common/exit_status.h"
#include "tools/common/output_claim.h"
#include "tools/common/output_place.h"
#include "tools/common/tell_failure.h"
#include "tools/ov2/commands.h"
#include "tools/ov2/options.h"
#include "tools/ov2/input_readers.h"
#include "tools/ov2/point_flow.h"
#include "tools/ov2/svg_map.h"

namespace qh::ov2 {
namespace {

using tools::kExitFailed;
using tools::kExitOk;
using tools::kExitSkipped;

// The overlay's name: the first input's file name without its extension, and how many
// more inputs there are.
std::string MapTitle(const std::vector<std::string>& inputs) {
  std::string title(FileNamePart(inputs.front()));
  const std::size_t dot = title.rfind('.');
  if (dot != std::string::npos && dot > 0) title.resize(dot);
  if (inputs.size() > 1) title += " and " + std::to_string(inputs.size() - 1) + " more";
  return title;
}

}  // namespace

int RunMap(const Options& options) {
  if (!tools::MayWriteOutput("ov2", options.inputs, options.output, "map")) return kExitFailed;
  if (!OutputFitsCommand(options)) return kExitFailed;
  SvgMap map;
  const TextOptions texts{false, options.utf8, options.longitudeRule};
  PointFlow flow(texts, 0, 0, false, [&](const FlowPoint& point) {
    map.Add(point.point.longitudeUnits, point.point.latitudeUnits);
    return true;
  });
  for (const std::string& input : options.inputs) {
    if (ReadInput(input, texts, ReadingOf(options), flow) != kExitOk) return kExitFailed;
  }
  if (flow.NoPointCame()) return TellNoPointCame(options.output);
  OutputSet set;
  if (!tools::ClaimOutputs("ov2", {options.output}, set)) return kExitFailed;
  CompleteFile file;
  if (!file.Open(options.output, &set) || !file.Write(map.Draw(MapTitle(options.inputs))) ||
      !CommitTogether({&file}, &set)) {
    tools::TellFailureOf("ov2", options.output, file.Error());
    return kExitFailed;
  }
  tools::TellInterruptedAfterFinishing("ov2", options.output, "map");
  return flow.Skipped() > 0 ? kExitSkipped : kExitOk;
}

}  // namespace qh::ov2

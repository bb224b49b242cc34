// ov2 read: the points of an overlay (or of any input ov2 takes) as ".asc" lines, GPX
// waypoints or CSV rows.
#include <cstdio>

#include "files/file_system.h"
#include "formats/point_text_writers.h"
#include "tools/common/exit_status.h"
#include "tools/common/output_claim.h"
#include "tools/common/output_place.h"
#include "tools/common/tell_failure.h"
#include "tools/ov2/commands.h"
#include "tools/ov2/input_readers.h"
#include "tools/ov2/point_flow.h"
#include "tools/ov2/point_pipe.h"
#include "tools/ov2/text_output.h"
#include "tools/common/console_text.h"
#include "tools/common/standard_output.h"

namespace qh::ov2 {
namespace {

using tools::kExitFailed;
using tools::kExitOk;
using tools::kExitSkipped;

enum class TextFormat { kNone, kAsc, kGpx, kCsv };

TextFormat FormatOf(const Options& options) {
  const std::string name =
      options.format.empty() ? LowerCaseExtension(options.output) : options.format;
  if (name == "asc") return TextFormat::kAsc;
  if (name == "gpx") return TextFormat::kGpx;
  if (name == "csv") return TextFormat::kCsv;
  return TextFormat::kNone;
}

void AppendPoint(std::string& out, TextFormat format, const FlowPoint& flowing) {
  const AscPoint& point = flowing.point;
  if (format == TextFormat::kAsc) {
    out += flowing.line;
  } else if (format == TextFormat::kGpx) {
    AppendGpxWaypoint(out, point.longitudeUnits, point.latitudeUnits, flowing.input.name,
                      flowing.input.desc);
  } else {
    AppendCsvRow(out, point.longitudeUnits, point.latitudeUnits, flowing.input.name,
                 flowing.input.desc);
  }
}

int CannotWrite(const TextOutput& output) {
  if (const IoError error = output.Error()) tools::TellFailureOf("ov2", output.Name(), error);
  return kExitFailed;
}

}  // namespace

int RunRead(const Options& options) {
  const TextFormat format = FormatOf(options);
  if (format == TextFormat::kNone) {
    tools::Print(stderr, "ov2: %s: read writes .asc, .gpx or .csv files\n",
                 tools::Shown(options.output).c_str());
    return kExitFailed;
  }
  if (!options.output.empty() &&
      !tools::MayWriteOutput("ov2", options.inputs, options.output, "output")) {
    return kExitFailed;
  }
  OutputSet set;
  if (!options.output.empty() && !tools::ClaimOutputs("ov2", {options.output}, set)) {
    return kExitFailed;
  }
  TextOutput output;
  // The ".asc" lines hold the overlay's bytes (Windows-1252 unless --utf8); GPX and
  // CSV are UTF-8.
  const tools::TextBytes bytes = format == TextFormat::kAsc && !options.utf8
                                     ? tools::TextBytes::kWindows1252
                                     : tools::TextBytes::kUtf8;
  if (!output.Open(options.output, options.output.empty() ? nullptr : &set, bytes)) {
    return CannotWrite(output);
  }
  if (format == TextFormat::kGpx) AppendGpxStart(output.Buffer());
  if (format == TextFormat::kCsv) AppendCsvHeader(output.Buffer());
  const TextOptions texts{false, options.utf8, options.longitudeRule, format != TextFormat::kAsc};
  PointFlow flow(texts, 0, 0, false, [&](const FlowPoint& point) {
    AppendPoint(output.Buffer(), format, point);
    if (output.Flush()) return true;
    CannotWrite(output);
    return false;
  });
  // The input is read here while a second thread makes and writes its lines.
  PipedSink sink(flow);
  const int status = ReadInput(options.inputs.front(), texts, ReadingOf(options), sink);
  if (!sink.Finish() || status != kExitOk) return kExitFailed;
  // Nothing has reached the output yet: a file is dropped, standard output left empty.
  if (flow.NoPointCame()) return TellNoPointCame(options.output);
  if (format == TextFormat::kGpx) AppendGpxEnd(output.Buffer());
  if (!output.Commit()) return CannotWrite(output);
  if (!options.output.empty()) tools::TellInterruptedAfterFinishing("ov2", options.output, "output");
  return flow.Skipped() > 0 ? kExitSkipped : kExitOk;
}

}  // namespace qh::ov2

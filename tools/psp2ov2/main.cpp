// psp2ov2: converts pushpin files (".psp") into TomTom overlays on the command line.
// For each input it writes the ".asc" file exactly as the Windows program does, the
// ".ov2" overlay as makeov2 makes it from that file, and the ".bmp" icon beside them.
#include <cstddef>
#include <cstdio>

#include "tools/common/standard_output.h"
#include "tools/psp2ov2/conversion.h"
#include "tools/common/exit_status.h"
#include "files/file_system.h"
#include "tools/psp2ov2/options.h"
#include "tools/common/tool_main.h"

namespace {

int Run(int argc, char** argv) {
  using namespace qh::psp2ov2;
  using namespace qh::tools;
  Options options;
  const int early = ParseOptions(argc, argv, options);
  if (early >= 0) return early;
  Converter converter(options, qh::ProgramFolder(argc > 0 ? argv[0] : nullptr));
  if (!converter.LoadExplicitSymbol() || !converter.PlanOutputs()) return kExitFailed;
  int status = kExitOk;
  for (std::size_t i = 0; i < options.inputs.size() && !converter.Interrupted(); ++i) {
    const int result = converter.Convert(i);
    if (result > status) status = result;
  }
  // The summary lines are part of what was asked for.
  if (!qh::tools::StandardOutputDone("psp2ov2")) status = kExitFailed;
  return status;
}

}  // namespace

int main(int argc, char** argv) { return qh::tools::GuardedMain("psp2ov2", argc, argv, Run); }

// psp2ov2: converts pushpin files (".psp") into TomTom overlays on the command line.
// For each input it writes the ".asc" file exactly as the Windows program does, the
// ".ov2" overlay as makeov2 makes it from that file, and the ".bmp" icon beside them.
#include <string>

#include "tools/psp2ov2/conversion.h"
#include "tools/psp2ov2/exit_status.h"
#include "tools/psp2ov2/files.h"
#include "tools/psp2ov2/options.h"

int main(int argc, char** argv) {
  using namespace qh::psp2ov2;
  Options options;
  const int early = ParseOptions(argc, argv, options);
  if (early >= 0) return early;
  Converter converter(options, ProgramFolder(argc > 0 ? argv[0] : nullptr));
  if (!converter.LoadExplicitSymbol()) return kExitFailed;
  int status = kExitOk;
  for (const std::string& input : options.inputs) {
    const int result = converter.Convert(input);
    if (result > status) status = result;
  }
  return status;
}

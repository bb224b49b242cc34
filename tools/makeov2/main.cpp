// makeov2 (MakeOV2_v1-1.exe on Windows): turns an ".asc" point file into the ".ov2"
// overlay beside it. Exit 0 when every line became a point, 1 when lines were left
// out (or none gave a point: then no overlay is written), 2 when the input could not
// be read or the overlay not written.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "formats/asc_halves_reader.h"
#include "overlay/overlay_builder.h"
#include "files/file_system.h"
#include "tools/common/exit_status.h"
#include "tools/common/memory_option.h"
#include "tools/common/output_claim.h"
#include "tools/common/output_place.h"
#include "tools/common/tell_failure.h"
#include "tools/common/standard_output.h"
#include "tools/common/tool_main.h"
#include "quillhaven_version.h"
#include "tools/common/console_text.h"

namespace {

using qh::tools::kExitFailed;
using qh::tools::kExitOk;
using qh::tools::kExitSkipped;
constexpr const char* kProgram = "makeov2";
using qh::tools::Shown;

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: %s [--flat] [--memory MB] [--no-sync] FILE.asc\n"
               "Writes the TomTom overlay FILE.ov2 from the points of FILE.asc, one point a\n"
               "line: longitude, latitude, \"text\".\n"
               "  --flat     write the points in input order without a spatial index\n"
               "  --memory MB  the most memory the spatial index takes: beyond it the index\n"
               "             is split on the disk, in temporary files beside the overlay,\n"
               "             into the same overlay (default 56; 0: no limit)\n"
               "  --no-sync  do not wait until the overlay is on the disk itself (for a RAM\n"
               "             disk; a power cut may then leave it empty or older)\n"
               "  --help     show this help\n"
               "  --version  show the version\n",
               kProgram);
}

int Convert(const std::string& input, bool flat, std::uint64_t indexMemory) {
  const std::string output = qh::ReplaceExtension(input, ".ov2");
  if (!qh::tools::MayWriteOutput(kProgram, {input}, output, "overlay")) return kExitFailed;
  qh::OutputSet set;
  if (!qh::tools::ClaimOutputs(kProgram, {output}, set)) return kExitFailed;
  qh::AscHalvesReader reader;
  if (!reader.Open(input)) {
    qh::tools::TellFailure(kProgram, reader.Error());
    return kExitFailed;
  }
  qh::OverlayBuilder builder;
  builder.SetIndexMemory(indexMemory);
  if (!builder.Open(output, flat, &set)) {
    qh::tools::TellFailure(kProgram, builder.Error());
    return kExitFailed;
  }
  std::size_t skipped = 0;
  qh::AscPoint point;
  for (;;) {
    const auto result = reader.Next(point);
    if (result == qh::AscReader::Result::kEnd) break;
    if (result == qh::AscReader::Result::kFailed) {
      qh::tools::TellFailure(kProgram, reader.Error());
      return kExitFailed;  // the builder drops its temporary file
    }
    if (result == qh::AscReader::Result::kBadLine) {
      ++skipped;
      qh::tools::TellAtLine(reader.BadLine());
      continue;
    }
    if (point.nulInText) {
      // Kept: only the byte changes, and the person should know it did.
      qh::tools::TellAtLine({input, reader.LineNumber(), qh::ContentError::kNoOffset,
                             "a NUL byte in the text is written as a blank"});
    }
    if (!builder.Add(point)) break;
  }
  // Lines that gave no point at all: not an overlay, whatever they are (another
  // format, a binary file). An empty file is an empty overlay.
  if (builder.Points() == 0 && skipped + reader.TitleLines() > 0) {
    qh::tools::Print(stderr, "makeov2: %s: no line holds a point; %s is not written\n",
                 Shown(input).c_str(), Shown(output).c_str());
    return kExitSkipped;
  }
  if (!builder.Commit(&set)) {
    qh::tools::TellFailure(kProgram, builder.Error());
    return kExitFailed;
  }
  qh::tools::TellInterruptedAfterFinishing(kProgram, output, "overlay");
  return skipped > 0 ? kExitSkipped : kExitOk;
}

int Run(int argc, char** argv) {
  bool flat = false;
  std::uint64_t indexMemory = qh::kDefaultIndexMemory;
  std::string input;
  bool optionsDone = false;
  bool haveInput = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && arg == "--flat") {
      flat = true;
    } else if (!optionsDone && arg == "--memory") {
      if (i + 1 >= argc || !qh::tools::ParseIndexMemory(argv[i + 1], indexMemory)) {
        qh::tools::TellBadIndexMemory("makeov2", i + 1 < argc ? argv[i + 1] : nullptr);
        return kExitFailed;
      }
      ++i;
    } else if (!optionsDone && arg == "--no-sync") {
      qh::SetFlushToDisk(false);
    } else if (!optionsDone && (arg == "--help" || arg == "-h")) {
      PrintUsage(stdout);
      return qh::tools::StandardOutputDone(kProgram) ? kExitOk : kExitFailed;
    } else if (!optionsDone && arg == "--version") {
      qh::tools::Print(stdout, "%s %s\n", kProgram, QH_VERSION_TEXT);
      return qh::tools::StandardOutputDone(kProgram) ? kExitOk : kExitFailed;
    } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
      qh::tools::Print(stderr, "makeov2: unknown option %s\n", Shown(argv[i]).c_str());
      PrintUsage(stderr);
      return kExitFailed;
    } else if (!haveInput) {
      input = argv[i];
      haveInput = true;
    } else {
      qh::tools::Print(stderr, "makeov2: only one input file is taken\n");
      PrintUsage(stderr);
      return kExitFailed;
    }
  }
  if (!haveInput) {
    PrintUsage(stderr);
    return kExitFailed;
  }
  if (input.empty()) {
    qh::tools::Print(stderr, "makeov2: the input file name is empty\n");
    return kExitFailed;
  }
  return Convert(input, flat, indexMemory);
}

}  // namespace

int main(int argc, char** argv) { return qh::tools::GuardedMain("makeov2", argc, argv, Run); }

// makeov2 (MakeOV2_v1-1.exe on Windows): turns an ".asc" point file into the ".ov2"
// overlay beside it. Exit 0 when every line became a point, 1 when lines were
// skipped, 2 when the input could not be read or the overlay not written.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "overlay/asc_reader.h"
#include "overlay/paths.h"
#include "overlay/overlay_builder.h"
#include "tools/common/version.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitSkipped = 1;
constexpr int kExitFailed = 2;

void PrintUsage(std::FILE* out, const char* program) {
  std::fprintf(out,
               "Usage: %s [--flat] FILE.asc\n"
               "Writes the TomTom overlay FILE.ov2 from the points of FILE.asc, one point a\n"
               "line: longitude, latitude, \"text\".\n"
               "  --flat     write the points in input order without a spatial index\n"
               "  --help     show this help\n"
               "  --version  show the version\n",
               program);
}

int Convert(const std::string& input, bool flat) {
  const std::string output = qh::ReplaceExtension(input, ".ov2");
  if (output == input) {
    std::fprintf(stderr, "makeov2: %s: the input already has the extension .ov2\n",
                 input.c_str());
    return kExitFailed;
  }
  qh::AscReader reader;
  if (!reader.Open(input)) {
    std::fprintf(stderr, "makeov2: cannot open %s: %s\n", input.c_str(),
                 reader.ErrorMessage().c_str());
    return kExitFailed;
  }
  qh::OverlayBuilder builder;
  if (!builder.Open(output, flat)) {
    std::fprintf(stderr, "makeov2: cannot write %s: %s\n", output.c_str(),
                 builder.ErrorMessage().c_str());
    return kExitFailed;
  }
  // A line of the program's own form takes at least 25 bytes.
  builder.Expect(static_cast<std::size_t>(reader.FileSize() / 25),
                 static_cast<std::size_t>(reader.FileSize() / 2));
  std::size_t skipped = 0;
  qh::AscPoint point;
  for (;;) {
    const auto result = reader.Next(point);
    if (result == qh::AscReader::Result::kEnd) break;
    if (result == qh::AscReader::Result::kFailed) {
      std::fprintf(stderr, "makeov2: cannot read %s: %s\n", input.c_str(),
                   reader.ErrorMessage().c_str());
      builder.Abandon();
      return kExitFailed;
    }
    if (result == qh::AscReader::Result::kBadLine) {
      ++skipped;
      const std::string_view reason = reader.BadReason();
      std::fprintf(stderr, "%s:%llu: %.*s\n", input.c_str(),
                   static_cast<unsigned long long>(reader.LineNumber()),
                   static_cast<int>(reason.size()), reason.data());
      continue;
    }
    if (!builder.Add(point)) break;
  }
  if (!builder.Commit()) {
    std::fprintf(stderr, "makeov2: cannot write %s: %s\n", output.c_str(),
                 builder.ErrorMessage().c_str());
    return kExitFailed;
  }
  return skipped > 0 ? kExitSkipped : kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const char* program = "makeov2";
  bool flat = false;
  std::string input;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg == "--flat") {
      flat = true;
    } else if (!options_done && (arg == "--help" || arg == "-h")) {
      PrintUsage(stdout, program);
      return kExitOk;
    } else if (!options_done && arg == "--version") {
      std::printf("%s %s\n", program, QH_TOOLS_VERSION);
      return kExitOk;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "makeov2: unknown option %s\n", argv[i]);
      PrintUsage(stderr, program);
      return kExitFailed;
    } else if (input.empty()) {
      input = argv[i];
    } else {
      std::fprintf(stderr, "makeov2: only one input file is taken\n");
      PrintUsage(stderr, program);
      return kExitFailed;
    }
  }
  if (input.empty()) {
    PrintUsage(stderr, program);
    return kExitFailed;
  }
  return Convert(input, flat);
}

#include "tools/psp2ov2/options.h"

#include <charconv>
#include <system_error>

#include "tools/common/version.h"
#include "tools/psp2ov2/exit_status.h"

namespace qh::psp2ov2 {

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: psp2ov2 [options] FILE.psp...\n"
      "Converts pushpin files into TomTom overlays: FILE.asc, FILE.ov2 and the icon\n"
      "FILE.bmp are written beside each input.\n"
      "  -o PATH            name of the overlay (one input only); the .asc and .bmp\n"
      "                     take its name with their own extensions\n"
      "  --append-notes     a point's text is the name followed by both notes\n"
      "  --offset LON,LAT   add these degrees to every longitude and latitude\n"
      "  --flag2-only       the old flag rule: flag 2 negates the longitude, whatever\n"
      "                     its sign, and no other flag changes it (default: the flag\n"
      "                     is the pin's zone, so western pins in either stored form\n"
      "                     are placed correctly)\n"
      "  --utf8             texts in UTF-8, for newer devices (default: Windows-1252,\n"
      "                     \"?\" for characters it lacks)\n"
      "  --asc-only         write only the .asc file\n"
      "  --symbol FILE      the icon to copy (default: default_symbol.bmp in the output\n"
      "                     folder, else beside this program, else a built-in pushpin)\n"
      "  --flat             write the overlay without a spatial index\n"
      "  -q                 no progress and no summary lines\n"
      "  --help, --version\n"
      "Exit status: 0 done, 1 some points did not fit and were left out, 2 an input\n"
      "could not be converted.\n",
      out);
}

bool ParseOffset(std::string_view text, float& longitude, float& latitude) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  auto parse = [](std::string_view part, float& value) {
    if (!part.empty() && part.front() == '+') part.remove_prefix(1);
    const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    return ec == std::errc() && ptr == part.data() + part.size() && !part.empty();
  };
  return parse(text.substr(0, comma), longitude) && parse(text.substr(comma + 1), latitude);
}

int ParseOptions(int argc, char** argv, Options& options) {
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "psp2ov2: %s needs a value\n", name);
        return nullptr;
      }
      return argv[++i];
    };
    if (options_done || arg.empty() || arg[0] != '-' || arg == "-") {
      options.inputs.emplace_back(arg);
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "-o") {
      const char* v = value("-o");
      if (v == nullptr) return kExitFailed;
      options.output = v;
    } else if (arg == "--append-notes") {
      options.append_notes = true;
    } else if (arg == "--offset") {
      const char* v = value("--offset");
      if (v == nullptr) return kExitFailed;
      if (!ParseOffset(v, options.longitude_offset, options.latitude_offset)) {
        std::fprintf(stderr, "psp2ov2: --offset takes LON,LAT in degrees, not %s\n", v);
        return kExitFailed;
      }
    } else if (arg == "--flag2-only") {
      options.longitudeRule = LongitudeRule::kFlag2Only;
    } else if (arg == "--utf8") {
      options.textEncoding = TextEncoding::kUtf8;
    } else if (arg == "--asc-only") {
      options.asc_only = true;
    } else if (arg == "--symbol") {
      const char* v = value("--symbol");
      if (v == nullptr) return kExitFailed;
      options.symbol = v;
    } else if (arg == "--flat") {
      options.flat = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return kExitOk;
    } else if (arg == "--version") {
      std::printf("psp2ov2 %s\n", QH_TOOLS_VERSION);
      return kExitOk;
    } else {
      std::fprintf(stderr, "psp2ov2: unknown option %s\n", argv[i]);
      PrintUsage(stderr);
      return kExitFailed;
    }
  }
  if (options.inputs.empty()) {
    PrintUsage(stderr);
    return kExitFailed;
  }
  if (!options.output.empty() && options.inputs.size() > 1) {
    std::fprintf(stderr, "psp2ov2: -o takes one input only\n");
    return kExitFailed;
  }
  return -1;
}

}  // namespace qh::psp2ov2

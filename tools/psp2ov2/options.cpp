#include "tools/psp2ov2/options.h"

#include "tools/common/memory_option.h"
#include "tools/common/offset_option.h"
#include "tools/common/standard_output.h"
#include "quillhaven_version.h"
#include "tools/common/exit_status.h"
#include "tools/common/console_text.h"

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
      "                     folder, else beside this program, else in ../share/quillhaven/\n"
      "                     from this program's folder, else a built-in pushpin)\n"
      "  --flat             write the overlay without a spatial index\n"
      "  --memory MB        the most memory the overlay's spatial index takes: beyond\n"
      "                     it the index is split on the disk, in temporary files\n"
      "                     beside the overlay, into the same overlay (default 56;\n"
      "                     0: no limit)\n"
      "  --no-sync          do not wait until the outputs are on the disk itself (for a\n"
      "                     RAM disk; a power cut may then leave them empty or older)\n"
      "  -q                 no progress and no summary lines\n"
      "  --help, --version\n"
      "Outputs are refused before anything is written when one would overwrite an input\n"
      "or another output, or is not a regular file. The three files of an input take\n"
      "their places together, or none does, and are on the disk when it says done.\n"
      "Exit status: 0 done, 1 some points could not be read and were left out of the\n"
      "overlay (when none came, nothing is written), 2 an input could not be\n"
      "converted.\n",
      out);
}

namespace {

constexpr int kGoOn = -1;  // the arguments are fine so far

// The options that take no value; false for any other argument.
bool SetSwitch(std::string_view arg, Options& options) {
  if (arg == "--append-notes") {
    options.appendNotes = true;
  } else if (arg == "--flag2-only") {
    options.longitudeRule = LongitudeRule::kFlag2Only;
  } else if (arg == "--utf8") {
    options.textEncoding = TextEncoding::kUtf8;
  } else if (arg == "--asc-only") {
    options.ascOnly = true;
  } else if (arg == "--flat") {
    options.flat = true;
  } else if (arg == "--no-sync") {
    options.noSync = true;
  } else if (arg == "-q" || arg == "--quiet") {
    options.quiet = true;
  } else {
    return false;
  }
  return true;
}

bool TakesValue(std::string_view arg) {
  return arg == "-o" || arg == "--offset" || arg == "--symbol" || arg == "--memory";
}

// An option of TakesValue with its value: kGoOn, or tools::kExitFailed when it is refused.
int SetValue(std::string_view arg, const char* value, Options& options) {
  if (arg == "-o") {
    if (*value == '\0') {
      tools::Print(stderr, "psp2ov2: -o takes the overlay's name, not an empty one\n");
      return tools::kExitFailed;
    }
    options.output = value;
  } else if (arg == "--symbol") {
    options.symbol = value;
  } else if (arg == "--memory") {
    if (!tools::ParseIndexMemory(value, options.indexMemory)) {
      tools::TellBadIndexMemory("psp2ov2", value);
      return tools::kExitFailed;
    }
  } else if (!tools::ParseOffset(value, options.longitudeOffset, options.latitudeOffset)) {
    if (tools::OffsetTooLarge(value)) {
      tools::Print(stderr,
                   "psp2ov2: --offset %s: too large for the overlay's single precision "
                   "(at most about 3.4e38 degrees)\n", tools::Shown(value).c_str());
    } else {
      tools::Print(stderr, "psp2ov2: --offset takes LON,LAT in degrees (finite numbers), not %s\n",
                   tools::Shown(value).c_str());
    }
    return tools::kExitFailed;
  }
  return kGoOn;
}

// What the inputs must be once every argument is read.
int CheckInputs(const Options& options) {
  if (options.inputs.empty()) {
    PrintUsage(stderr);
    return tools::kExitFailed;
  }
  for (const std::string& input : options.inputs) {
    if (input.empty()) {
      tools::Print(stderr, "psp2ov2: an input file name is empty\n");
      return tools::kExitFailed;
    }
  }
  if (!options.output.empty() && options.inputs.size() > 1) {
    tools::Print(stderr, "psp2ov2: -o takes one input only\n");
    return tools::kExitFailed;
  }
  return kGoOn;
}

}  // namespace

int ParseOptions(int argc, char** argv, Options& options) {
  bool optionsDone = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
      options.inputs.emplace_back(arg);
    } else if (arg == "--") {
      optionsDone = true;
    } else if (SetSwitch(arg, options)) {
    } else if (TakesValue(arg)) {
      if (i + 1 >= argc) {
        tools::Print(stderr, "psp2ov2: %s needs a value\n", argv[i]);
        return tools::kExitFailed;
      }
      if (SetValue(arg, argv[++i], options) != kGoOn) return tools::kExitFailed;
    } else if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return tools::StandardOutputDone("psp2ov2") ? tools::kExitOk : tools::kExitFailed;
    } else if (arg == "--version") {
      tools::Print(stdout, "psp2ov2 %s\n", QH_VERSION_TEXT);
      return tools::StandardOutputDone("psp2ov2") ? tools::kExitOk : tools::kExitFailed;
    } else {
      tools::Print(stderr, "psp2ov2: unknown option %s\n", tools::Shown(argv[i]).c_str());
      PrintUsage(stderr);
      return tools::kExitFailed;
    }
  }
  return CheckInputs(options);
}

}  // namespace qh::psp2ov2

#include "tools/ov2/options.h"

#include "files/file_system.h"

#include <string_view>

#include "quillhaven_version.h"
#include "tools/common/exit_status.h"
#include "tools/common/offset_option.h"
#include "tools/common/standard_output.h"
#include "tools/common/console_text.h"

namespace qh::ov2 {
namespace {

using tools::kExitFailed;
using tools::kExitOk;

bool ParseCommand(std::string_view word, Command& command) {
  if (word == "make") command = Command::kMake;
  else if (word == "read") command = Command::kRead;
  else if (word == "check") command = Command::kCheck;
  else if (word == "map") command = Command::kMap;
  else return false;
  return true;
}

// The options each subcommand takes.
bool Allowed(Command command, std::string_view option) {
  if (option == "-o") return command != Command::kCheck;
  if (option == "-f") return command == Command::kRead;
  if (option == "--utf8") return command != Command::kCheck;
  if (option == "--append-notes" || option == "--offset" || option == "--dedupe") {
    return command == Command::kMake;
  }
  if (option == "--flag2-only") return command != Command::kCheck;
  if (option == "--no-sync") return command != Command::kCheck;
  if (option == "--strict") return command != Command::kCheck;
  return false;
}

// The rules between the options, once all are read; false (and said why) when broken.
bool Consistent(const Options& options) {
  const auto fail = [](const char* why) {
    tools::Print(stderr, "ov2: %s\n", why);
    return false;
  };
  if (options.inputs.empty()) return fail("no input file is named");
  for (const std::string& input : options.inputs) {
    if (input.empty()) return fail("an input file name is empty");
  }
  const Command command = options.command;
  if (command == Command::kRead) {
    if (options.inputs.size() != 1) return fail("read takes one input");
    if (options.output.empty() == options.format.empty()) {
      return fail("read takes either -o FILE or -f asc|gpx|csv");
    }
    if (!options.format.empty() && options.format != "asc" && options.format != "gpx" &&
        options.format != "csv") {
      return fail("-f takes asc, gpx or csv");
    }
  }
  if ((command == Command::kMake || command == Command::kMap) && options.output.empty()) {
    return fail("the output is named with -o");
  }
  return true;
}

// Sets the option `arg` (with its value, for one that takes a value); false, and said
// why, for a value it does not take.
bool TakeOption(std::string_view arg, std::string_view value, Options& options) {
  const std::string shown(value);
  if (arg == "-o") {
    if (value.empty()) {
      tools::Print(stderr, "ov2: -o takes the output's name, not an empty one\n");
      return false;
    }
    options.output = value;
  } else if (arg == "-f") {
    options.format = value;
  } else if (arg == "--offset") {
    if (!tools::ParseOffset(value, options.longitudeOffset, options.latitudeOffset) &&
        tools::OffsetTooLarge(value)) {
      tools::Print(stderr,
                   "ov2: --offset %s: too large for the overlay's single precision (at most "
                   "about 3.4e38 degrees)\n", shown.c_str());
      return false;
    }
    if (!tools::ParseOffset(value, options.longitudeOffset, options.latitudeOffset)) {
      tools::Print(stderr, "ov2: --offset takes LON,LAT in degrees (finite numbers), not %s\n",
                   shown.c_str());
      return false;
    }
  } else if (arg == "--append-notes") {
    options.appendNotes = true;
  } else if (arg == "--dedupe") {
    options.dedupe = true;
  } else if (arg == "--utf8") {
    options.utf8 = true;
  } else if (arg == "--flag2-only") {
    options.longitudeRule = LongitudeRule::kFlag2Only;
  } else if (arg == "--no-sync") {
    options.noSync = true;
  } else if (arg == "--strict") {
    options.strict = true;
  }
  return true;
}

}  // namespace

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: ov2 make  INPUT... -o OUT.ov2 [--append-notes] [--offset LON,LAT]\n"
      "                 [--dedupe] [--utf8] [--flag2-only] [--strict]\n"
      "       ov2 read  INPUT -o OUT.asc|OUT.gpx|OUT.csv  (or -f asc|gpx|csv to standard output)\n"
      "                 [--strict]\n"
      "       ov2 check FILE.ov2...\n"
      "       ov2 map   INPUT... -o OUT.svg [--strict]\n"
      "Inputs are pushpin files (.psp), point lists (.asc), overlays (.ov2), GPX\n"
      "waypoints (.gpx) and CSV with a header naming lat, lon, name and desc (.csv);\n"
      "a file without one of these extensions is recognised by its content.\n"
      "  --append-notes     a point's text is its name followed by its notes\n"
      "  --offset LON,LAT   add these degrees to every longitude and latitude\n"
      "  --dedupe           drop a point whose place and text equal an earlier one's\n"
      "  --utf8             overlay texts in UTF-8 (default: Windows-1252)\n"
      "  --flag2-only       the old pushpin flag rule, as psp2ov2 --flag2-only\n"
      "  --strict           refuse an overlay with a fault, as check finds them (by\n"
      "                     default a slightly wrong overlay is read whole: skipper\n"
      "                     boxes are hints, a skipper that does not add up is passed\n"
      "                     over, a text without its NUL ends at its record's end,\n"
      "                     bytes that make no record end the file; one warning line\n"
      "                     counts the repairs, and points off the Earth are left out)\n"
      "  --no-sync          do not wait until the output is on the disk itself (for a\n"
      "                     RAM disk; a power cut may then leave it empty or older)\n"
      "  --help, --version\n"
      "Exit status: 0 done (check: valid), 1 points were left out, or the inputs gave\n"
      "none and nothing is written (check: a fault), 2 an input could not be read or\n"
      "the output not written.\n",
      out);
}

int ParseOptions(int argc, char** argv, Options& options) {
  if (argc < 2) {
    PrintUsage(stderr);
    return kExitFailed;
  }
  const std::string_view first = argv[1];
  if (first == "--help" || first == "-h") {
    PrintUsage(stdout);
    return tools::StandardOutputDone("ov2") ? kExitOk : kExitFailed;
  }
  if (first == "--version") {
    tools::Print(stdout, "ov2 %s\n", QH_VERSION_TEXT);
    return tools::StandardOutputDone("ov2") ? kExitOk : kExitFailed;
  }
  if (!ParseCommand(first, options.command)) {
    tools::Print(stderr, "ov2: unknown command %s\n", argv[1]);
    PrintUsage(stderr);
    return kExitFailed;
  }
  bool optionsDone = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsDone || arg.empty() || arg[0] != '-' || arg == "-") {
      options.inputs.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsDone = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return tools::StandardOutputDone("ov2") ? kExitOk : kExitFailed;
    }
    if (!Allowed(options.command, arg)) {
      tools::Print(stderr, "ov2: %s does not take %s\n", argv[1], argv[i]);
      return kExitFailed;
    }
    const bool takesValue = arg == "-o" || arg == "-f" || arg == "--offset";
    if (takesValue && i + 1 >= argc) {
      tools::Print(stderr, "ov2: %s needs a value\n", argv[i]);
      return kExitFailed;
    }
    const std::string_view value = takesValue ? argv[++i] : "";
    if (!TakeOption(arg, value, options)) return kExitFailed;
  }
  return Consistent(options) ? -1 : kExitFailed;
}

bool OutputFitsCommand(const Options& options) {
  if (options.command != Command::kMake && options.command != Command::kMap) return true;
  const bool make = options.command == Command::kMake;
  const std::string kind = LowerCaseExtension(options.output);
  const char* writer = kind == "asc" || kind == "gpx" || kind == "csv" ? "ov2 read"
                       : kind == "ov2"                                 ? "ov2 make"
                       : kind == "svg"                                 ? "ov2 map"
                       : kind == "psp"                                 ? "no command"
                                                                       : nullptr;
  if (writer == nullptr || kind == (make ? "ov2" : "svg")) return true;
  tools::Print(stderr, "ov2: %s: %s writes %s, not a .%s file (%s writes those)\n",
               tools::Shown(options.output).c_str(), make ? "make" : "map",
               make ? "an overlay (.ov2)" : "an SVG picture (.svg)", kind.c_str(), writer);
  return false;
}

}  // namespace qh::ov2

// The command line of ov2: a subcommand, its inputs and its options.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "formats/pushpin_reader.h"
#include "overlay/ov2_reader.h"

namespace qh::ov2 {

enum class Command { kMake, kRead, kCheck, kMap };

struct Options {
  Command command = Command::kCheck;
  std::vector<std::string> inputs;
  std::string output;  // -o
  std::string format;  // -f: asc, gpx or csv to standard output
  bool appendNotes = false;
  bool dedupe = false;
  bool utf8 = false;
  bool noSync = false;  // --no-sync: outputs not flushed to the disk itself
  bool strict = false;  // --strict: an overlay with a fault is refused, not repaired
  float longitudeOffset = 0.0f, latitudeOffset = 0.0f;
  LongitudeRule longitudeRule = LongitudeRule::kZone;  // --flag2-only
};

// How read, make and map read an overlay: leniently unless --strict.
inline Ov2Reading ReadingOf(const Options& options) {
  return options.strict ? Ov2Reading::kStrict : Ov2Reading::kLenient;
}

void PrintUsage(std::FILE* out);
// Returns -1 when the command line is complete, else the exit code to end with.
int ParseOptions(int argc, char** argv, Options& options);
// An output of make or map named for another kind of file than the command writes
// ("-o points.csv" to make, which writes an overlay) would hold what its name does not
// say, and may replace such a file: false, and said so with the command that writes
// that kind. A name of no kind ov2 knows is the user's choice.
bool OutputFitsCommand(const Options& options);

}  // namespace qh::ov2

// The command line of psp2ov2.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "formats/asc_writer.h"
#include "overlay/overlay_builder.h"
#include "formats/pushpin_reader.h"

namespace qh::psp2ov2 {

struct Options {
  std::string output;  // -o
  bool appendNotes = false;
  float longitudeOffset = 0.0f, latitudeOffset = 0.0f;
  bool ascOnly = false;
  std::string symbol;  // --symbol
  bool flat = false;
  bool quiet = false;
  bool noSync = false;  // --no-sync: outputs are not flushed to the disk itself
  std::uint64_t indexMemory = kDefaultIndexMemory;  // --memory, in bytes
  LongitudeRule longitudeRule = LongitudeRule::kZone;      // --flag2-only
  TextEncoding textEncoding = TextEncoding::kWindows1252;  // --utf8
  std::vector<std::string> inputs;
};

void PrintUsage(std::FILE* out);
// Returns -1 when the options are complete, else the exit code to end with.
int ParseOptions(int argc, char** argv, Options& options);

}  // namespace qh::psp2ov2

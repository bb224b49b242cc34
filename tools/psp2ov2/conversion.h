// The conversion of one pushpin file into its ".asc", ".ov2" and ".bmp" files.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/psp2ov2/options.h"

namespace qh::psp2ov2 {

struct Outputs {
  std::string asc, ov2, bmp;
};

class Converter {
 public:
  Converter(const Options& options, std::string program_folder)
      : options_(options), program_folder_(std::move(program_folder)) {}

  // Reads the --symbol file, once for all inputs; false (and said why) when it cannot.
  bool LoadExplicitSymbol();
  // Converts one input and returns its exit code.
  int Convert(const std::string& input);

 private:
  Outputs OutputNames(const std::string& input) const;
  bool PlaceSymbol(const std::string& bmp);

  const Options& options_;
  std::string program_folder_;
  std::vector<std::uint8_t> explicit_symbol_;
};

}  // namespace qh::psp2ov2

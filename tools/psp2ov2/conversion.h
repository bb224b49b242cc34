// The conversion of pushpin files into their ".asc", ".ov2" and ".bmp" files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "formats/complete_file.h"
#include "formats/output_set.h"
#include "tools/psp2ov2/options.h"

namespace qh::psp2ov2 {

struct Outputs {
  std::string asc, ov2, bmp;
};

class Converter {
 public:
  Converter(const Options& options, std::string programFolder)
      : options_(options), programFolder_(std::move(programFolder)) {}

  // Reads the --symbol file, once for all inputs; false (and said why) when it cannot.
  bool LoadExplicitSymbol();
  // Names the outputs of every input. False, and said why, when one would overwrite an
  // input or another output, or exists and is not a regular file: then nothing may be
  // written.
  bool PlanOutputs();
  // Converts the input at `index` (after PlanOutputs) and returns its exit code.
  int Convert(std::size_t index);
  // An interrupt came while the outputs of the last input took their places: they are
  // complete, and no further input is to be converted.
  bool Interrupted() const { return interrupted_; }

 private:
  Outputs OutputNames(const std::string& input) const;
  // Puts the finished files of the input at `index` in place together (null entries
  // passed over) and tells what happened; false when they did not take their places.
  bool CommitOutputs(std::size_t index, std::int32_t npins,
                     std::initializer_list<CompleteFile*> files, OutputSet& set);
  bool SymbolBytes(const std::string& bmp, std::string& bytes) const;

  const Options& options_;
  std::string programFolder_;
  std::string explicitSymbol_;
  std::vector<Outputs> outputs_;
  bool interrupted_ = false;
};

}  // namespace qh::psp2ov2

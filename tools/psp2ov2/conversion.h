// The conversion of pushpin files into their ".asc", ".ov2" and ".bmp" files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "files/complete_file.h"
#include "files/output_set.h"
#include "tools/common/file_identity.h"
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
  // input or another output, or exists and is not a regular file, or the overlay is
  // named as another kind of file (-o trip.psp): then nothing may be written.
  bool PlanOutputs();
  // Converts the input at `index` (after PlanOutputs) and returns its exit code.
  int Convert(std::size_t index);
  // An interrupt came while the outputs of the last input took their places: they are
  // complete, and no further input is to be converted.
  bool Interrupted() const { return interrupted_; }

 private:
  struct Job;  // one input's conversion: its reader, its outputs and their set

  // The steps of Convert: the outputs claimed and opened and the input's count read;
  // the pins read and their lines made, written and taken into the overlay; whether
  // any point came of them; the overlay and its icon finished (the ".asc" file
  // meanwhile flushed). Each says why it failed and returns the exit code.
  int Start(std::size_t index, Job& job);
  int MakeLines(std::size_t index, Job& job);
  // Tells pins past the header's count, and ends with kExitSkipped, nothing written,
  // when no pin gave a point.
  int CheckPointsCame(std::size_t index, Job& job);
  int FinishOverlay(std::size_t index, Job& job);
  // FinishOverlay while the ".asc" file reaches the disk.
  int FinishOverlayBeside(std::size_t index, Job& job);
  // Whether the names of the input at `index` may be written: false, and said why,
  // when one would overwrite an input or another output, or is not a regular file.
  bool MayWrite(std::size_t index, tools::FileClaims& claims);
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

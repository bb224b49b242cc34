// The converter's program-wide state: one record, created by ProgramMain when the
// program starts and alive until it returns. Every command receives it by reference,
// so nothing of the converter lives in loose globals and tests can build their own.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "services/text.h"

namespace qh {

// The progress report drawn in the root window: at most five lines of 128
// characters. A line is stored cut or blank-padded to 128 characters.
//
// Beyond five lines the oldest line is dropped and the others move up one place,
// so the report always shows the five latest steps in their order. One Open
// followed by one Save fills exactly five lines, which therefore stay as drawn;
// only a second conversion without a new Open scrolls the report.
class ReportLines {
 public:
  static constexpr int kMaxLines = 5;
  static constexpr std::size_t kLineLength = 128;

  void Clear() {
    count_ = 0;
    summary_.Clear();
  }
  void Append(std::string_view line);
  int Count() const { return count_; }
  // Line i, 1-based as the report numbers its lines, with its blanks.
  const FixedText<kLineLength>& Line(int i) const { return lines_[static_cast<std::size_t>(i - 1)]; }

  // What the last conversion put in the overlay, drawn below the steps; not one of the
  // five lines, and gone with them.
  void SetSummary(std::string_view line) { summary_.Assign(line); }
  const FixedText<kLineLength>& Summary() const { return summary_; }

 private:
  std::array<FixedText<kLineLength>, kMaxLines> lines_{};
  int count_ = 0;
  FixedText<kLineLength> summary_;
};

// The coordinate half of the options; the notes half is held by the check marks
// of the Option menu and read back from there, so it has no field here.
struct ConversionOptions {
  float longitudeOffset = 0.0f;
  float latitudeOffset = 0.0f;
};

struct ProgramState {
  FixedText<256> programFolder;   // ends in a backslash
  FixedText<512> dialogFileName;  // shared by the Open and Save file dialogs
  FixedText<256> inputFile;       // blank: no input selected
  FixedText<256> ascName;
  FixedText<256> ov2Name;
  FixedText<256> bmpName;
  FixedText<256> openFolder;      // the folder of the last Open, remembered between runs
  ConversionOptions options;
  ReportLines report;
  bool quitFlag = false;
};

// The overlay compiler the program runs; it must stand beside the program.
inline constexpr std::string_view kUtilityFile = "MakeOV2_v1-1.exe";
// The offsets' file beside the program, and the title of every box about it.
inline constexpr std::string_view kOffsetsFile = "offsets.txt";
inline constexpr std::string_view kOffsetsBoxTitle = "Offset data error";

// A file kept beside the program: its folder without the blanks, then the name.
std::string BesideProgram(const ProgramState& state, std::string_view fileName);

}  // namespace qh

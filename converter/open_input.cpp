// File > Open: choose the pushpin file, derive the three output names from it and
// start a new report.
#include <string>

#include "converter/commands.h"
#include "converter/output_names.h"
#include "converter/paths.h"
#include "services/services.h"

namespace qh {
namespace {

constexpr int kShortPathLimit = 50;
constexpr int kReadingLineY = 1000;

}  // namespace

void OpenInput(ProgramState& state) {
  const FixedText<256> filter("Pushpin files (*.psp)|*.psp|");
  IDlSelectFile(filter.View(), kFilePrompt, state.DialogFileName.Span(), "Open File");

  // The report restarts whatever the outcome; a cancelled dialog leaves the name
  // it started with, which is shown as it stands.
  IWnClear();
  state.Report.Clear();
  std::string line = "Reading from ... ";
  line.append(ShortenPath(state.DialogFileName.View(), kShortPathLimit).Trim());
  AddReportLine(state, kReadingLineY, Trimmed(line));

  if (IDlInfo(4) != 1) {
    // No input any more; the derived names stay for a later Save As to replace.
    state.InputFile.Clear();
    return;
  }

  // Names keep only the first 256 characters of what the dialog returned.
  const std::string_view chosen = state.DialogFileName.View().substr(0, 256);
  state.InputFile = chosen;
  const OutputNames names = NamesFromInput(chosen);
  state.AscName = names.asc;
  state.Ov2Name = names.ov2;
  state.BmpName = names.bmp;
}

}  // namespace qh

// File > Open: choose the pushpin file, derive the three output names from it and
// start a new report.
#include <string>

#include "converter/commands.h"
#include "converter/output_names.h"
#include "converter/paths.h"
#include "services/services.h"

namespace qh {

void OpenInput(ProgramState& state) {
  // "All files" too: pushpin files do not always carry their extension.
  const FixedText<256> filter("Pushpin files (*.psp)|*.psp|All files (*.*)|*.*|");
  IDlSelectFile(filter.View(), kFilePrompt, state.dialogFileName.Span(), "Open File");

  // The report restarts whatever the outcome; a cancelled dialog leaves the name
  // it started with, which is shown as it stands.
  IWnClear();
  state.report.Clear();
  AddReportLine(state, ReportRow::Reading,
                ReportLineWithPath("Reading from ... ", state.dialogFileName.View()));

  if (IDlInfo(kInfoExitState) != 1) {
    // No input any more; the derived names stay for a later Save As to replace.
    state.inputFile.Clear();
    return;
  }

  // Names keep only the first 256 characters of what the dialog returned.
  const std::string_view chosen = state.dialogFileName.View().substr(0, 256);
  state.inputFile = chosen;
  const OutputNames names = NamesFromInput(chosen);
  state.ascName = names.asc;
  state.ov2Name = names.ov2;
  state.bmpName = names.bmp;
}

}  // namespace qh

// File > Open, a file named on the command line and a file dropped on the window:
// take the pushpin file, derive the three output names from it and start a new report.
#include "converter/open_input.h"

#include <string>

#include "converter/output_names.h"
#include "converter/paths.h"
#include "converter/report.h"
#include "converter/unit_files.h"
#include "formats/pushpin_reader.h"
#include "services/services.h"

namespace qh {
namespace {

// The title of the box a pushpin file that cannot be read gets, at Save as here.
constexpr std::string_view kPushpinBoxTitle = "PushPin File";

void StartReport(ProgramState& state) {
  IWnClear();
  state.report.Clear();
  AddReportLine(state, ReportRow::Reading,
                ReportLineWithPath("Reading from ... ", state.dialogFileName.View()));
}

void TakeInput(ProgramState& state) {
  // Names keep only the first 256 characters of what was chosen.
  const std::string_view chosen = state.dialogFileName.View().substr(0, 256);
  state.inputFile = chosen;
  state.openFolder = chosen;
  PathFolder(state.openFolder.Span());
  const OutputNames names = NamesFromInput(chosen);
  state.ascName = names.asc;
  state.ov2Name = names.ov2;
  state.bmpName = names.bmp;
}

}  // namespace

void OpenInput(ProgramState& state) {
  // "All files" too: pushpin files do not always carry their extension.
  const FixedText<256> filter("Pushpin files (*.psp)|*.psp|All files (*.*)|*.*|");
  IDlSelectFile(filter.View(), kFilePrompt, state.dialogFileName.Span(), "Open File");

  // The report restarts whatever the outcome; a cancelled dialog leaves the name
  // it started with, which is shown as it stands.
  StartReport(state);

  if (IDlInfo(kInfoExitState) != 1) {
    // No input any more; the derived names stay for a later Save As to replace.
    state.inputFile.Clear();
    return;
  }
  TakeInput(state);
}

void OpenNamedInput(ProgramState& state, std::string_view name) {
  const std::string_view significant = Trimmed(name);
  if (significant.empty()) return;
  // What the dialog would not let through: a name that is no readable file gets the
  // box a Save of it would give, and the program goes on as it was.
  PushpinReader reader;
  if (!reader.Open(significant)) {
    IWnMessageBox(kBoxOk, kIconStop, kDefaultFirst, UnitMessage(reader.Error(), kPushpinUnit),
                  kPushpinBoxTitle);
    return;
  }
  state.dialogFileName = significant;
  StartReport(state);
  TakeInput(state);
}

}  // namespace qh

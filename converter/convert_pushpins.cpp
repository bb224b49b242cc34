// File > Save and Save As: settle the output names, write the ".asc" file from the
// pushpin file, place the symbol bitmap and run the overlay utility on the result.
#include <cstdint>
#include <string>

#include "converter/asc_output.h"
#include "converter/command_ids.h"
#include "converter/commands.h"
#include "converter/output_names.h"
#include "converter/paths.h"
#include "converter/pushpin_reader.h"
#include "services/services.h"

namespace qh {
namespace {

constexpr int kShortPathLimit = 50;
constexpr std::string_view kBoxTitle = "PushPin File";
constexpr std::string_view kSymbolFile = "default_symbol.bmp";
constexpr std::string_view kUtilityCommand = "MakeOV2_v1-1";

std::string WithShortPath(std::string_view lead, const FixedText<256>& path) {
  std::string line(lead);
  line.append(ShortenPath(path.View(), kShortPathLimit).Trim());
  return line;
}

// An input or output failure ends only this conversion: the user sees why, and
// the program goes on with the files as they were before.
void ReportFileFailure(const std::string& message) {
  IWnMessageBox(kBoxOk, kIconStop, 1, message, kBoxTitle);
}

// True when the output names are settled; false when the Save dialog was cancelled.
bool SettleOutputNames(ProgramState& state, int askOutput) {
  PathFolder(state.DialogFileName.Span());
  if (!state.DialogFileName.Blank() && askOutput == 0) return true;

  // Starting from the bare folder, the dialog opens there with an empty name.
  const FixedText<256> filter("Overlay files (*.ov2)|*.ov2|");
  IDlSelectFile(filter.View(), kFileSave | kFilePrompt, state.DialogFileName.Span(),
                "Save File");
  if (IDlInfo(4) != 1) return false;

  const OutputNames names = NamesFromSaveAs(state.DialogFileName.Trim());
  state.AscName = names.asc;
  state.Ov2Name = names.ov2;
  state.BmpName = names.bmp;
  return true;
}

bool AppendNotesChecked() { return IMnGetState(IDC_APPEND_NOTES, kMenuChecked) == 1; }

// Reads every pin and writes its line. The ".asc" file appears under its name only
// when it is complete; on a failure an earlier file of that name stays untouched.
bool WriteAscFile(ProgramState& state) {
  PushpinReader reader;
  if (!reader.Open(state.InputFile.Trim())) {
    ReportFileFailure(reader.ErrorMessage());
    return false;
  }

  AddReportLine(state, 2000, WithShortPath("Text to ... ", state.AscName));

  AscWriter writer;
  if (!writer.Open(state.AscName.Trim())) {
    reader.Close();
    ReportFileFailure(writer.ErrorMessage());
    return false;
  }

  const auto fail = [&](const std::string& message) {
    reader.Close();
    writer.Abandon();
    ReportFileFailure(message);
    return false;
  };

  std::int32_t npins = 0;
  if (!reader.ReadHeader(npins)) return fail(reader.ErrorMessage());

  const ConversionOptions& options = state.Options;
  for (std::int32_t i = 0; i < npins; ++i) {
    PinRecord pin;
    if (!reader.NextPin(pin)) return fail(reader.ErrorMessage());
    // The notes choice is read for every pin, as the menu holds it.
    const NotesMode mode = AppendNotesChecked() ? NotesMode::Append : NotesMode::Ignore;
    const std::string line = AscLine(AddOffset(options.LongitudeOffset, pin.longitude),
                                     AddOffset(options.LatitudeOffset, pin.latitude),
                                     PinText(pin, mode));
    if (!writer.Write(line)) return fail(writer.ErrorMessage());
  }

  reader.Close();
  if (!writer.Commit()) {
    ReportFileFailure(writer.ErrorMessage());
    return false;
  }
  return true;
}

// Copies "default_symbol.bmp" from the output's folder, or failing that from the
// program's folder, to the overlay's bitmap name. Copy failures are the services'.
void PlaceSymbol(const ProgramState& state) {
  FixedText<256> localSymbol = state.BmpName;
  PathFolder(localSymbol.Span());
  std::string localPath(localSymbol.Trim());
  localPath.append(kSymbolFile);

  if (FileExists(localPath)) {
    IOsFileCopy(localPath, state.BmpName.Trim());
    IWnOutText(100, 6000, "Using local symbol file");  // drawn once, not kept
  } else {
    IOsFileCopy(BesideProgram(state, kSymbolFile), state.BmpName.Trim());
  }
}

// Runs the utility on the ".asc" file and waits for it; its result is not checked.
void RunMakeOV2(ProgramState& state) {
  AddReportLine(state, 3000, "Running TomTom MakeOV2 utility");
  AddReportLine(state, 4000, WithShortPath("Output to ... ", state.Ov2Name));

  // The utility's own path goes unquoted; the quoted ".asc" path is its only argument.
  std::string command = BesideProgram(state, kUtilityCommand);
  command += " \"";
  command += state.AscName.Trim();
  command += '"';
  IOsExecute(command, kExecHidden | kExecWait);
}

}  // namespace

void ConvertPushpins(ProgramState& state, int askOutput) {
  if (state.InputFile.Blank()) {
    IWnMessageBox(kBoxOk, kIconInformation, 1, "No input file selected", kBoxTitle);
    return;
  }
  if (!SettleOutputNames(state, askOutput)) return;
  if (!WriteAscFile(state)) return;

  PlaceSymbol(state);
  RunMakeOV2(state);
  AddReportLine(state, 5000, WithShortPath("Symbol to ... ", state.BmpName));
}

}  // namespace qh

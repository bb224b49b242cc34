// File > Save and Save As: settle the output names, write the ".asc" file from the
// pushpin file, place the symbol bitmap and run the overlay utility on the result.
#include <cstdint>
#include <string>

#include "converter/command_ids.h"
#include "converter/commands.h"
#include "converter/output_names.h"
#include "converter/paths.h"
#include "converter/unit_files.h"
#include "formats/asc_writer.h"
#include "formats/file_system.h"
#include "formats/pushpin_reader.h"
#include "services/services.h"

namespace qh {
namespace {

constexpr std::string_view kBoxTitle = "PushPin File";
constexpr std::string_view kSymbolFile = "default_symbol.bmp";
// The status with which the utility says it left some points out of a written overlay.
constexpr int kUtilityLeftPointsOut = 1;

// An input or output failure ends only this conversion: the user sees why, and
// the program goes on with the files as they were before.
void ReportFileFailure(const std::string& message) {
  IWnMessageBox(kBoxOk, kIconStop, 1, message, kBoxTitle);
}

// True when the output names are settled; false when the Save dialog was cancelled.
bool SettleOutputNames(ProgramState& state, SaveMode mode) {
  PathFolder(state.dialogFileName.Span());
  if (!state.dialogFileName.Blank() && mode == SaveMode::Save) return true;

  // Save As offers the current overlay's name; without one the dialog opens in the
  // bare folder with an empty name.
  if (!state.ov2Name.Blank()) state.dialogFileName = state.ov2Name.Trim();
  const FixedText<256> filter("Overlay files (*.ov2)|*.ov2|");
  IDlSelectFile(filter.View(), kFileSave | kFilePrompt, state.dialogFileName.Span(),
                "Save File");
  if (IDlInfo(kInfoExitState) != 1) return false;

  const OutputNames names = NamesFromSaveAs(state.dialogFileName.Trim());
  state.ascName = names.asc;
  state.ov2Name = names.ov2;
  state.bmpName = names.bmp;
  return true;
}

bool AppendNotesChecked() { return IMnGetState(IDC_APPEND_NOTES, kMenuChecked) == 1; }

// Reads every pin and writes its line. The ".asc" file appears under its name only
// when it is complete; on a failure an earlier file of that name stays untouched.
// `unfitPoints` counts the lines whose coordinates stand as asterisks.
bool WriteAscFile(ProgramState& state, int& unfitPoints) {
  PushpinReader reader;
  if (!reader.Open(state.inputFile.Trim())) {
    ReportFileFailure(UnitMessage(reader.Error(), kPushpinUnit));
    return false;
  }

  AddReportLine(state, ReportRow::Text, ReportLineWithPath("Text to ... ", state.ascName.View()));

  AscWriter writer;
  if (!writer.Open(state.ascName.Trim())) {
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
  if (!reader.ReadHeader(npins)) return fail(UnitMessage(reader.Error(), kPushpinUnit));

  const ConversionOptions& options = state.options;
  // One pin record and one line buffer for the whole file: a pin costs no allocation.
  PinRecord pin;
  std::string line;
  for (std::int32_t i = 0; i < npins; ++i) {
    if (!reader.NextPin(pin)) return fail(UnitMessage(reader.Error(), kPushpinUnit));
    // The notes choice is read for every pin, as the menu holds it.
    const NotesMode mode = AppendNotesChecked() ? NotesMode::Append : NotesMode::Ignore;
    line.clear();
    AppendAscLine(line, AddOffset(options.longitudeOffset, pin.longitude),
                  AddOffset(options.latitudeOffset, pin.latitude), pin, mode);
    if (!AscCoordinatesFit(line)) ++unfitPoints;
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
  FixedText<256> localSymbol = state.bmpName;
  PathFolder(localSymbol.Span());
  std::string localPath(localSymbol.Trim());
  localPath.append(kSymbolFile);

  if (FileExists(localPath)) {
    IOsFileCopy(localPath, state.bmpName.Trim());
    DrawReportText(ReportRow::LocalSymbol, "Using local symbol file");
  } else {
    IOsFileCopy(BesideProgram(state, kSymbolFile), state.bmpName.Trim());
  }
}

// The utility's command line: its own path and the ".asc" path, each quoted, so that
// blanks in either (C:\Program Files\...) start the right program on the right file.
std::string UtilityCommand(const ProgramState& state) {
  std::string command = "\"";
  command += BesideProgram(state, kUtilityFile);
  command += "\" \"";
  command += state.ascName.Trim();
  command += '"';
  return command;
}

// Names the services would refuse to copy or run are told before anything is written,
// rather than failing silently half-way.
bool NamesFitTheServices(const ProgramState& state) {
  FixedText<256> localSymbol = state.bmpName;
  PathFolder(localSymbol.Span());
  const std::string copySources[] = {std::string(localSymbol.Trim()) + std::string(kSymbolFile),
                                     BesideProgram(state, kSymbolFile)};
  std::string_view tooLong;
  if (state.bmpName.Trim().size() > kCopyNameLimit) tooLong = state.bmpName.Trim();
  for (const std::string& source : copySources) {
    if (tooLong.empty() && source.size() > kCopyNameLimit) tooLong = source;
  }
  const std::string command = UtilityCommand(state);
  if (tooLong.empty() && command.size() > kCommandLimit) tooLong = state.ascName.Trim();
  if (tooLong.empty()) return true;

  std::string message = "The path is too long:\r";
  message += tooLong;
  message += "\rChoose a shorter folder or file name; nothing was written.";
  IWnMessageBox(kBoxOk, kIconStop, 1, message, kBoxTitle);
  return false;
}

// Runs the utility on the ".asc" file and waits for it. True when it made the overlay:
// it ended with status 0 (or with the status that says it left out the points counted
// as not fitting) and the overlay file is a new one.
bool RunMakeOV2(ProgramState& state, int unfitPoints) {
  AddReportLine(state, ReportRow::Running, "Running TomTom MakeOV2 utility");
  const FileStamp before = StampOf(state.ov2Name.Trim());
  IOsExecute(UtilityCommand(state), kExecHidden | kExecWait);
  const int status = IOsExitCode();
  const FileStamp after = StampOf(state.ov2Name.Trim());

  const bool written = after.exists && after != before;
  if (written && (status == 0 || (status == kUtilityLeftPointsOut && unfitPoints > 0))) {
    return true;
  }
  std::string message = "The overlay was not made:\r";
  message += state.ov2Name.Trim();
  message += '\r';
  if (status < 0) {
    message += "MakeOV2_v1-1.exe could not be run, or its end could not be read.";
  } else {
    message += "MakeOV2_v1-1.exe ended with status " + std::to_string(status);
    message += written ? "." : " and wrote no overlay.";
  }
  IWnMessageBox(kBoxOk, kIconStop, 1, message, kBoxTitle);
  return false;
}

// Points that do not fit the ".asc" columns never reach the overlay: say how many.
void ReportUnfitPoints(int unfitPoints) {
  if (unfitPoints == 0) return;
  std::string message = std::to_string(unfitPoints);
  message += unfitPoints == 1 ? " point was" : " points were";
  message += " left out of the overlay: with the offsets added, a coordinate did not fit "
             "the .asc columns (longitude or latitude from -999.99999 to 9999.99999).";
  IWnMessageBox(kBoxOk, kIconExclamation, 1, message, kBoxTitle);
}

// A conversion run again without a new Open starts its report below the input line,
// so the window shows this conversion's steps in order.
void RestartReport(ProgramState& state) {
  if (state.report.Count() <= 1) return;
  const FixedText<ReportLines::kLineLength> inputLine = state.report.Line(1);
  state.report.Clear();
  state.report.Append(inputLine.View());
  RepaintReport(state);
}

}  // namespace

void ConvertPushpins(ProgramState& state, SaveMode mode) {
  if (state.inputFile.Blank()) {
    IWnMessageBox(kBoxOk, kIconInformation, 1, "No input file selected", kBoxTitle);
    return;
  }
  if (!SettleOutputNames(state, mode)) return;
  RestartReport(state);
  if (!NamesFitTheServices(state)) return;

  int unfitPoints = 0;
  if (!WriteAscFile(state, unfitPoints)) return;

  PlaceSymbol(state);
  if (!RunMakeOV2(state, unfitPoints)) return;
  AddReportLine(state, ReportRow::Output,
                ReportLineWithPath("Output to ... ", state.ov2Name.View()));
  AddReportLine(state, ReportRow::Symbol,
                ReportLineWithPath("Symbol to ... ", state.bmpName.View()));
  ReportUnfitPoints(unfitPoints);
}

}  // namespace qh

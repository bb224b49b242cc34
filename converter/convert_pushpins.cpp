// File > Save and Save As: settle the output names, write the ".asc" file from the
// pushpin file, place the symbol bitmap and run the overlay utility on the result.
#include "converter/convert_pushpins.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "converter/command_ids.h"
#include "converter/output_names.h"
#include "converter/paths.h"
#include "converter/report.h"
#include "converter/unit_files.h"
#include "formats/asc_reader.h"
#include "formats/asc_writer.h"
#include "files/file_system.h"
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
  IWnMessageBox(kBoxOk, kIconStop, kDefaultFirst, message, kBoxTitle);
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

// What one conversion put in the ".asc" file, and what of it the overlay cannot hold.
struct LineCounts {
  int lines = 0;
  int notOnEarth = 0;     // longitude or latitude beyond the Earth after the offsets
  int replacedTexts = 0;  // texts with characters shown as "?"
  int Kept() const { return lines - notOnEarth; }
};

std::string NotAPushpinFile(const ProgramState& state, std::int32_t npins) {
  std::string message = "This is not a pushpin file:\r";
  message += state.inputFile.Trim();
  message += "\rIts header gives " + std::to_string(npins) +
             " as the number of pins. Nothing was written.";
  return message;
}

// Counts a line by what its columns hold, known as it was made.
void CountLine(const AscColumns& columns, LineCounts& counts) {
  ++counts.lines;
  // Asterisks stand for a coordinate beyond -999.99999..9999.99999: not on the Earth either.
  std::string_view reason;
  if (JudgeWrittenLine(columns, reason) != AscLineKind::kPoint) ++counts.notOnEarth;
  if (columns.textReplaced) ++counts.replacedTexts;
}

// Reads every pin and writes its line. The ".asc" file appears under its name only
// when it is complete; on a failure an earlier file of that name stays untouched.
bool WriteAscFile(ProgramState& state, LineCounts& counts) {
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
  // A count below zero is no list of pins at all (400 bytes of 0xFF read so).
  if (npins < 0) return fail(NotAPushpinFile(state, npins));

  const ConversionOptions& options = state.options;
  // One line buffer for the whole file, and each pin's texts encoded straight from the
  // reader's bytes: a pin costs no allocation and no copy.
  PinView pin;
  std::array<char, kAscLineMost> line;
  for (std::int32_t i = 0; i < npins; ++i) {
    if (!reader.NextPinView(pin)) return fail(UnitMessage(reader.Error(), kPushpinUnit));
    // The notes choice is read for every pin, as the menu holds it.
    const NotesMode mode = AppendNotesChecked() ? NotesMode::Append : NotesMode::Ignore;
    AscColumns columns;
    const char* end = PutAscLine(line.data(), AddOffset(options.longitudeOffset, pin.longitude),
                                 AddOffset(options.latitudeOffset, pin.latitude), pin, mode,
                                 TextEncoding::kWindows1252, columns);
    CountLine(columns, counts);
    if (!writer.Write(std::string_view(line.data(), static_cast<std::size_t>(end - line.data())))) {
      return fail(writer.ErrorMessage());
    }
  }

  reader.Close();
  if (!writer.Commit()) {
    ReportFileFailure(writer.ErrorMessage());
    return false;
  }
  return true;
}

// A symbol that was not copied: the overlay is still made, so a warning, which says
// what the device will lack and where the copy was to come from.
void ReportSymbolNotCopied(const ProgramState& state, const std::string& source) {
  std::string message = "The symbol bitmap was not copied:\r";
  message += state.bmpName.Trim();
  message += "\rCopying " + source;
  message += FileExists(source) ? " failed." : " failed: that file is not there.";
  message += "\rPut a bitmap of that name beside the overlay before you copy both to the device.";
  IWnMessageBox(kBoxOk, kIconExclamation, kDefaultFirst, message, kBoxTitle);
}

// Copies "default_symbol.bmp" from the output's folder, or failing that from the
// program's folder, to the overlay's bitmap name. The services report a failed copy
// through their error routine; it is told in a box, and false comes back.
bool PlaceSymbol(const ProgramState& state) {
  FixedText<256> localSymbol = state.bmpName;
  PathFolder(localSymbol.Span());
  std::string localPath(localSymbol.Trim());
  localPath.append(kSymbolFile);

  const bool local = FileExists(localPath);
  const std::string source = local ? localPath : BesideProgram(state, kSymbolFile);
  IErInfo(kInfoLastError);  // a code left by an earlier operation is not this copy's
  IOsFileCopy(source, state.bmpName.Trim());
  if (local) DrawReportText(ReportRow::LocalSymbol, "Using local symbol file");
  const int code = IErInfo(kInfoLastError);
  // An overlay named after the symbol copies it onto itself, which the services refuse:
  // the bitmap is in place all the same.
  if (code == 0 || source == state.bmpName.Trim()) return true;
  ReportSymbolNotCopied(state, source);
  return false;
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
  IWnMessageBox(kBoxOk, kIconStop, kDefaultFirst, message, kBoxTitle);
  return false;
}

// "1 point was" / "2 points were": the count and its noun.
std::string Points(int count, std::string_view singular, std::string_view plural) {
  return std::to_string(count) + std::string(count == 1 ? singular : plural);
}

std::string LeftOutSentence(int leftOut) {
  return Points(leftOut, " point was left out of the overlay: its",
                " points were left out of the overlay: their") +
         " longitude or latitude, after the offsets, is not on the Earth.";
}

// Why the utility made no overlay, and what became of an earlier one.
void ReportNotMade(const ProgramState& state, int status, const LineCounts& counts,
                   const FileStamp& before, const FileStamp& after) {
  std::string message = "The overlay was not made:\r";
  message += state.ov2Name.Trim();
  message += '\r';
  if (status < 0) {
    message += kUtilityFile;
    message += " could not be run, or its end could not be read.";
  } else {
    if (counts.lines > 0 && counts.Kept() == 0) message += LeftOutSentence(counts.notOnEarth) + "\r";
    message += kUtilityFile;
    message += " ended with status " + std::to_string(status);
    message += " and wrote no overlay.";
  }
  if (before.exists) {
    message += after == before ? "\rThe earlier overlay is kept as it was."
                               : "\rThe earlier overlay is no longer there.";
  }
  IWnMessageBox(kBoxOk, kIconStop, kDefaultFirst, message, kBoxTitle);
}

// Runs the utility on the ".asc" file and waits for it. True when a new overlay stands
// under its name, whatever the status says; the boxes then tell what it lacks.
bool RunMakeOV2(ProgramState& state, const LineCounts& counts, int& status) {
  AddReportLine(state, ReportRow::Running, "Running TomTom MakeOV2 utility");
  const FileStamp before = StampOf(state.ov2Name.Trim());
  IOsExecute(UtilityCommand(state), kExecHidden | kExecWait);
  status = IOsExitCode();
  const FileStamp after = StampOf(state.ov2Name.Trim());
  if (after.exists && after != before) return true;
  ReportNotMade(state, status, counts, before, after);
  return false;
}

// A made overlay: what it lacks, and a status the counts do not explain.
void ReportMadeWithFaults(int status, const LineCounts& counts) {
  const bool explained = status == 0 || (status == kUtilityLeftPointsOut && counts.notOnEarth > 0);
  if (counts.notOnEarth == 0 && explained) return;
  std::string message;
  if (counts.notOnEarth > 0) message = LeftOutSentence(counts.notOnEarth);
  if (!explained) {
    if (!message.empty()) message += '\r';
    message += kUtilityFile;
    message += " wrote the overlay but ended with status " + std::to_string(status) +
               "; some points may be missing from it.";
  }
  IWnMessageBox(kBoxOk, kIconExclamation, kDefaultFirst, message, kBoxTitle);
}

// "12 points in trip.ov2, 2 left out; 3 texts had characters shown as ?"
std::string SummaryLine(const ProgramState& state, const LineCounts& counts) {
  const std::string_view ov2 = state.ov2Name.Trim();
  const std::size_t slash = ov2.find_last_of("\\/");
  std::string line = Points(counts.Kept(), " point in ", " points in ");
  line += ov2.substr(slash == std::string_view::npos ? 0 : slash + 1);
  if (counts.notOnEarth > 0) line += ", " + std::to_string(counts.notOnEarth) + " left out";
  if (counts.replacedTexts > 0) {
    line += "; " + Points(counts.replacedTexts, " text", " texts") + " had characters shown as ?";
  }
  return line;
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
    IWnMessageBox(kBoxOk, kIconInformation, kDefaultFirst, "No input file selected", kBoxTitle);
    return;
  }
  if (!SettleOutputNames(state, mode)) return;
  RestartReport(state);
  if (!NamesFitTheServices(state)) return;

  LineCounts counts;
  if (!WriteAscFile(state, counts)) return;

  // The overlay is made without its symbol too; the report then claims no symbol.
  const bool symbolPlaced = PlaceSymbol(state);
  int status = 0;
  if (!RunMakeOV2(state, counts, status)) return;
  AddReportLine(state, ReportRow::Output,
                ReportLineWithPath("Output to ... ", state.ov2Name.View()));
  if (symbolPlaced) {
    AddReportLine(state, ReportRow::Symbol,
                  ReportLineWithPath("Symbol to ... ", state.bmpName.View()));
  }
  state.report.SetSummary(SummaryLine(state, counts));
  DrawReportText(ReportRow::Summary, state.report.Summary().View());
  ReportMadeWithFaults(status, counts);
}

}  // namespace qh

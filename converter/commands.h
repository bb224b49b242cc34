// The converter's commands and the dispatcher that the command loop hands menu
// and toolbar choices to. All of them work on the program-wide state they are given.
#pragma once

#include <string>
#include <string_view>

#include "converter/program_state.h"
#include "services/os.h"

namespace qh {

// Runs the command `id` of a MenuSelect message; ids without an entry in the
// dispatch table do nothing. Only Exit sets the state's quit flag.
void HandleCommand(ProgramState& state, int id);

// Clears the drawing area and draws every stored report line again.
void RepaintReport(const ProgramState& state);

// The places of the report's lines in the drawing area, top to bottom: one Open and
// one Save fill the first five; LocalSymbol is drawn but never stored; Summary is the
// report's summary line, below them all.
enum class ReportRow : int { Reading = 1, Text, Running, Output, Symbol, LocalSymbol, Summary };

// A report line that names a file: `lead` and the path's short display form.
std::string ReportLineWithPath(std::string_view lead, std::string_view path);

// A report line as it fits the drawing area's width: a line that names a file and is
// too wide loses the middle of the path ("..."), never its file name.
std::string FitReportLine(std::string_view line);

// Draws `text` on its row and stores it as the next report line.
void AddReportLine(ProgramState& state, ReportRow row, std::string_view text);
// Draws `text` on its row without storing it.
void DrawReportText(ReportRow row, std::string_view text);

// File > Open: choose the pushpin file and derive the output names from it.
void OpenInput(ProgramState& state);
// A pushpin file named on the command line or dropped on the window: taken as File >
// Open takes a chosen file; one that cannot be read gets the "PushPin File" box that
// Save would show, and the program stays as it was. A blank name does nothing.
void OpenNamedInput(ProgramState& state, std::string_view name);

// File > Save keeps the names derived at the last Open or Save As; Save As asks.
enum class SaveMode { Save, SaveAs };
void ConvertPushpins(ProgramState& state, SaveMode mode);

// %APPDATA%\Quillhaven\quillhaven.ini: read at start-up (the notes choice and the
// folder the Open dialog starts in), written when the program ends.
void LoadSettings(ProgramState& state);
void SaveSettings(const ProgramState& state);

// Reads "offsets.txt" beside the program at start-up and shows the offsets.
void LoadOffsets(ProgramState& state);

// The status-bar text of the offsets: the header, both offsets in F9.5, trailing
// blanks removed.
std::string StatusOffsetsText(float longitude, float latitude);

// Option > Offsets: edit the offsets in their dialog, show them and rewrite
// "offsets.txt" (a message box says so when it cannot be written).
void EditOffsets(ProgramState& state);

// Option > Ignore Notes / Append Notes: move the check mark and show the choice.
void SelectIgnoreNotes();
void SelectAppendNotes();

// Help > Quillhaven: Quillhaven.hlp in the help engine where the system has one (before
// Windows Vista, version 6.0), else Quillhaven.htm in the browser.
bool HasHelpEngine(SystemVersion version);
void ShowHelp();

// Help > About: the About box with the version text.
FixedText<512> AboutText();
void ShowAbout();

// File > Exit and the toolbar's Exit button: closes the help viewer first.
void ExitProgram(ProgramState& state);

}  // namespace qh

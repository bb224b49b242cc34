// The converter's commands and the dispatcher that the command loop hands menu
// and toolbar choices to. All of them work on the program-wide state they are given.
#pragma once

#include <string_view>

#include "converter/program_state.h"

namespace qh {

// Runs the command `id` of a MenuSelect message; ids without an entry in the
// dispatch table do nothing. `quitFlag` is set only by Exit.
void HandleCommand(ProgramState& state, int id, bool& quitFlag);

// Clears the drawing area and draws every stored report line again.
void RepaintReport(const ProgramState& state);

// Draws `text` at x 100 and the given y, and stores it as the next report line.
void AddReportLine(ProgramState& state, int y, std::string_view text);

// File > Open: choose the pushpin file and derive the output names from it.
void OpenInput(ProgramState& state);

// File > Save (askOutput 0) and File > Save As (askOutput 1).
void ConvertPushpins(ProgramState& state, int askOutput);

// Reads "offsets.txt" beside the program at start-up and shows the offsets.
void LoadOffsets(ProgramState& state);

// Option > Offsets: edit the offsets in their dialog, show them and rewrite
// "offsets.txt" (a message box says so when it cannot be written).
void EditOffsets(ProgramState& state);

// Option > Ignore Notes / Append Notes: move the check mark and show the choice.
void SelectIgnoreNotes();
void SelectAppendNotes();

// Help > Quillhaven.
void ShowHelp();

// Help > About: the About box with the version text.
FixedText<512> AboutText();
void ShowAbout();

// File > Exit and the toolbar's Exit button: closes the help viewer first.
void ExitProgram(bool& quitFlag);

}  // namespace qh

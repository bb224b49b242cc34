// Help > Quillhaven, and the closing of its viewer at the end.
#pragma once

#include "converter/program_state.h"
#include "services/os.h"

namespace qh {

// Help > Quillhaven: Quillhaven.hlp in the help engine where the system has one (before
// Windows Vista, version 6.0), else Quillhaven.htm in the browser.
bool HasHelpEngine(SystemVersion version);
void ShowHelp();

// File > Exit and the toolbar's Exit button: closes the help viewer first.
void ExitProgram(ProgramState& state);

}  // namespace qh

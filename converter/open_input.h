// File > Open, and a pushpin file named on the command line or dropped on the window.
#pragma once

#include <string_view>

#include "converter/program_state.h"

namespace qh {

// File > Open: choose the pushpin file and derive the output names from it.
void OpenInput(ProgramState& state);
// A pushpin file named on the command line or dropped on the window: taken as File >
// Open takes a chosen file; one that cannot be read gets the "PushPin File" box that
// Save would show, and the program stays as it was. A blank name does nothing.
void OpenNamedInput(ProgramState& state, std::string_view name);

}  // namespace qh

// What the program remembers between runs.
#pragma once

#include "converter/program_state.h"

namespace qh {

// %APPDATA%\Quillhaven\quillhaven.ini: read at start-up (the notes choice and the
// folder the Open dialog starts in), written when the program ends.
void LoadSettings(ProgramState& state);
void SaveSettings(const ProgramState& state);

}  // namespace qh

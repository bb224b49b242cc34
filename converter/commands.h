// The dispatcher that the command loop hands menu and toolbar choices to. Each command
// has its own header beside its source, and works on the program-wide state it is given.
#pragma once

#include "converter/program_state.h"

namespace qh {

// Runs the command `id` of a MenuSelect message; ids without an entry in the
// dispatch table do nothing. Only Exit sets the state's quit flag.
void HandleCommand(ProgramState& state, int id);

}  // namespace qh

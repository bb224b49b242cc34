// Option > Offsets.
#pragma once

#include "converter/program_state.h"

namespace qh {

// Option > Offsets: edit the offsets in their dialog, show them and rewrite
// "offsets.txt" (a message box says so when it cannot be written).
void EditOffsets(ProgramState& state);

}  // namespace qh

// The coordinate offsets read at start-up, and their status-bar text.
#pragma once

#include <string>

#include "converter/program_state.h"

namespace qh {

// Reads "offsets.txt" beside the program at start-up and shows the offsets.
void LoadOffsets(ProgramState& state);

// The status-bar text of the offsets: the header, both offsets in F9.5, trailing
// blanks removed.
std::string StatusOffsetsText(float longitude, float latitude);

}  // namespace qh

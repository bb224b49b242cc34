// File > Save and Save As: the conversion.
#pragma once

#include "converter/program_state.h"

namespace qh {

// File > Save keeps the names derived at the last Open or Save As; Save As asks.
enum class SaveMode { Save, SaveAs };
void ConvertPushpins(ProgramState& state, SaveMode mode);

}  // namespace qh

// The names of the three output files (".asc", ".ov2", ".bmp") derived from the name
// the user chose in the Open or the Save As dialog.
#pragma once

#include <string_view>

#include "services/text.h"

namespace qh {

struct OutputNames {
  FixedText<256> asc, ov2, bmp;
};

// Open: a final ".psp" (any case) gives way to each extension; any other name keeps
// all of itself and gets the extension added, so the outputs always land beside the
// input and never replace it.
OutputNames NamesFromInput(std::string_view chosenName);
// Save As: the same rule with a final ".ov2", so a dot in a folder or in the middle of
// the name ("route v1.2") never moves or shortens the outputs.
OutputNames NamesFromSaveAs(std::string_view chosenName);

}  // namespace qh

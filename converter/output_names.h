// The names of the three output files (".asc", ".ov2", ".bmp") derived from the name
// the user chose in the Open or the Save As dialog.
#pragma once

#include <string_view>

#include "services/text.h"

namespace qh {

struct OutputNames {
  FixedText<256> asc, ov2, bmp;
};

// Open: the stem runs up to and including the dot of the first ".psp" (any case) and
// keeps the chosen case; without ".psp" the names are the bare extensions.
OutputNames NamesFromInput(std::string_view chosenName);
// Save As: the stem runs up to and including the first "." anywhere in the name, the
// overlay keeps the chosen name itself; without a dot the extensions are appended.
OutputNames NamesFromSaveAs(std::string_view chosenName);

}  // namespace qh

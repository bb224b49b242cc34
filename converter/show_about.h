// Help > About.
#pragma once

#include "services/text.h"

namespace qh {

// The About box with the version text.
FixedText<512> AboutText();
void ShowAbout();

}  // namespace qh

// The manual as a WinHelp 3.1 file: the internal files |SYSTEM and |FONT (see
// system_file.h), |TOPIC with a paragraph record for each block, |CONTEXT (context
// hashes to topics) and |TTLBTREE (topics to titles), nothing compressed.
#pragma once

#include "tools/helpc/bytes.h"
#include "tools/helpc/help_text.h"
#include "tools/helpc/manual.h"

namespace qh::help {

// Throws ManualTextError for a character outside Windows-1252 or a control character.
Bytes WriteHelpFile(const Manual& manual);

}  // namespace qh::help

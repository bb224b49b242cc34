// Everything the converter may call: the window services' operations.
#pragma once

#include "services/dialogs.h"
#include "services/errors.h"
#include "services/messages.h"
#include "services/numbers.h"
#include "services/os.h"
#include "services/text.h"
#include "services/window.h"

namespace qh {
// The program's own main, called by the platform's start-up code; returns the exit code.
int ProgramMain();
}  // namespace qh

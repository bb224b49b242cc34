// The message box's mapping of the layer's kinds, icons and answers to the system's.
#pragma once

#include <windows.h>

namespace qh::win {

// The default button the kind allows: kind 0 (and unknown kinds) 1; kinds 1 to 3
// 1 or 2; kinds 4 and 5 1, 2 or 3.
int ClampDefaultButton(int kind, int requested);
// Button set, icon and default button of the system box.
UINT MessageBoxStyle(int kind, int icon, int defaultButton);
// The system's answer as the layer's value; -1 for no answer (the box failed).
int MapAnswer(int systemAnswer);

}  // namespace qh::win

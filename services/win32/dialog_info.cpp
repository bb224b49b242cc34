// IDlInfo: the dialog state items 1 to 5, and the current dialog's window
// rectangle as items 6 to 9.
#include <windows.h>

#include "boxes.h"
#include "layer_state.h"
#include "services/dialogs.h"

namespace qh {
namespace win {
namespace {
HWND CurrentDialogWindow() {
  const DialogState& dialogs = Dialogs();
  if (dialogs.currentWindowLookup) return dialogs.currentWindowLookup();
  return LatestModeless();
}
}  // namespace

void SetCurrentDialogLookup(DialogWindowLookup lookup) { Dialogs().currentWindowLookup = lookup; }

}  // namespace win

int IDlInfo(int item) {
  if (item >= 1 && item <= win::kDialogItems) return win::Dialogs().items[item];
  if (item < 6 || item > 9) return 0;
  HWND dialog = win::CurrentDialogWindow();
  RECT r{};
  if (!dialog || !IsWindow(dialog) || !GetWindowRect(dialog, &r)) return 0;
  switch (item) {
    case 6: return r.left;
    case 7: return r.top;
    case 8: return r.right - r.left;
    default: return r.bottom - r.top;
  }
}

}  // namespace qh

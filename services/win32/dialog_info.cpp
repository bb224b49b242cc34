// IDlInfo: the dialog state items 1 to 5, and the current dialog's window
// rectangle as items 6 to 9.
#include <windows.h>

#include "boxes.h"
#include "layer_state.h"
#include "services/dialogs.h"

namespace qh {
namespace win {
namespace {
DialogWindowLookup g_dialogLookup = nullptr;

HWND CurrentDialogWindow() {
  if (g_dialogLookup) return g_dialogLookup();
  return Layer().modelessDialog;
}
}  // namespace

void SetCurrentDialogLookup(DialogWindowLookup lookup) { g_dialogLookup = lookup; }

}  // namespace win

int IDlInfo(int item) {
  const win::LayerState& s = win::Layer();
  if (item >= 1 && item <= win::kDialogItems) return s.dialogItems[item];
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

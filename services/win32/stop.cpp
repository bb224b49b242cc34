// IWnStop: closes every window of the layer and resets it, in a fixed order, so
// that IWnOpenRoot can open the root window again.
#include <windows.h>

#include "layer_state.h"
#include "root_window.h"
#include "services/window.h"

namespace qh {

void IWnStop() {
  win::WindowState& table = win::Windows();
  win::DrawingState& d = win::Drawing();
  // The layer opens no plot files or media devices, so only the drawing's own
  // objects need letting go.
  if (d.font) DeleteObject(d.font);
  d.font = nullptr;
  d.fontMadeFamily = -1;
  if (const auto closeAll = win::Dialogs().closeAll) closeAll();
  win::ReleaseWindowPalette(d);
  if (d.dc) ReleaseDC(table.slots[0].drawingArea, d.dc);
  d.dc = nullptr;
  for (int i = win::kWindowCount - 1; i >= 1; --i) {
    win::WindowSlot& w = table.slots[i];
    if (w.frame) DestroyWindow(w.frame);
    w.frame = nullptr;
    w.drawingArea = nullptr;
    w.statusBar = nullptr;
  }
  table.current = 0;
  for (win::WindowSlot& w : table.slots) {
    w.statusBar = nullptr;
    w.toolbars = {};
  }
  win::SetStopKindSwitches();
  win::WindowSlot& root = table.slots[0];
  if (root.frame) DestroyWindow(root.frame);
  root.frame = nullptr;
  root.drawingArea = nullptr;
  table.rootOpen = false;
  win::DialogItems& items = win::Dialogs().items;
  for (int item = 1; item <= win::kDialogItems; ++item) items[item] = 0;
}

}  // namespace qh

// IWnStop: closes every window of the layer and resets it, in a fixed order, so
// that IWnOpenRoot can open the root window again.
#include <windows.h>

#include "layer_state.h"
#include "services/window.h"

namespace qh {

void IWnStop() {
  win::LayerState& s = win::Layer();
  win::DrawingState& d = s.drawing;
  // Graphics output to plot files and media devices belong to the graphics part,
  // which this layer does not carry; nothing of theirs is open here.
  if (d.font) DeleteObject(d.font);
  d.font = nullptr;
  d.fontMadeFamily = -1;
  if (s.closeDialogs) s.closeDialogs();
  if (d.dc) ReleaseDC(s.windows[0].drawingArea, d.dc);
  d.dc = nullptr;
  for (int i = win::kWindowCount - 1; i >= 1; --i) {
    win::WindowSlot& w = s.windows[i];
    if (w.frame) DestroyWindow(w.frame);
    w.frame = nullptr;
    w.drawingArea = nullptr;
    w.statusBar = nullptr;
  }
  s.currentWindow = 0;
  for (win::WindowSlot& w : s.windows) {
    w.statusBar = nullptr;
    w.toolbars = {};
  }
  win::SetStopKindSwitches();
  if (s.windows[0].frame) DestroyWindow(s.windows[0].frame);
  s.windows[0].frame = nullptr;
  s.windows[0].drawingArea = nullptr;
  s.rootOpen = false;
  for (int item = 1; item <= win::kDialogItems; ++item) s.dialogItems[item] = 0;
}

}  // namespace qh

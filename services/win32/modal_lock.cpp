// The modal lock around system boxes: the box's owner, and the program's other
// windows disabled while it is up.
#include <windows.h>

#include "boxes.h"
#include "layer_state.h"

namespace qh::win {
namespace {

bool IsVisibleWindow(HWND h) { return h && IsWindow(h) && IsWindowVisible(h); }

bool IsChild(HWND h) { return (GetWindowLongA(h, GWL_STYLE) & WS_CHILD) != 0; }

}  // namespace

HWND RootFrameWindow() {
  const WindowState& table = Windows();
  return table.rootOpen ? table.slots[0].frame : nullptr;
}

HWND BoxOwner() {
  // A modal resource dialog running now is the active window of this thread.
  HWND active = GetActiveWindow();
  if (IsVisibleWindow(active) && active != Windows().slots[0].frame && WindowIndexOf(active) < 0) {
    char className[16] = {};
    GetClassNameA(active, className, sizeof(className));
    if (lstrcmpA(className, "#32770") == 0) return active;
  }
  const HWND modeless = LatestModeless();
  if (IsVisibleWindow(modeless)) return modeless;
  return RootFrameWindow();
}

ModalLock::ModalLock() : owner_(BoxOwner()) {
  auto disable = [this](HWND h) {
    if (!h || h == owner_) return;
    if (!IsWindowEnabled(h)) return;  // not ours to enable again afterwards
    EnableWindow(h, FALSE);
    disabled_.push_back(h);
  };
  // Every shown top-level dialog, not only the latest: any of them could take input.
  for (const LoadedDialog& d : Dialogs().loaded) {
    if (!d.shown || !IsVisibleWindow(d.hwnd)) continue;
    const HWND parent = GetParent(d.hwnd);
    if (!parent || parent == RootFrameWindow()) disable(d.hwnd);
  }
  for (const WindowSlot& w : Windows().slots) {
    if (w.InUse() && IsVisibleWindow(w.frame)) disable(w.frame);
  }
}

ModalLock::~ModalLock() {
  for (const HWND h : disabled_) {
    if (IsWindow(h)) EnableWindow(h, TRUE);
  }
  // An owner inside the root window gets the focus back and is drawn active.
  if (owner_ && IsWindow(owner_) && IsChild(owner_)) {
    SetFocus(owner_);
    for (const WindowSlot& w : Windows().slots) {
      if (w.InUse() && w.frame != owner_) SendMessageA(w.frame, WM_NCACTIVATE, FALSE, 0);
    }
    SendMessageA(owner_, WM_NCACTIVATE, TRUE, 0);
  }
}

}  // namespace qh::win

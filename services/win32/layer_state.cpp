#include "layer_state.h"

namespace qh::win {

namespace {

// Kinds 1..16: on, on, on, on, off, off, on, on, on, off, off, off, on, on, off, on.
void FillDefaultSwitches(KindSwitches& on) {
  static constexpr bool kDefaults[kKindCount] = {true,  true,  true,  true, false,
                                                 false, true,  true,  true, false,
                                                 false, false, true,  true, false, true};
  on[0] = false;
  for (int k = 1; k <= kKindCount; ++k) on[k] = kDefaults[k - 1];
}

}  // namespace

LayerState& Layer() {
  static LayerState state = [] {
    LayerState s;
    s.system.instance = GetModuleHandleA(nullptr);
    FillDefaultSwitches(s.messages.kindOn);
    return s;
  }();
  return state;
}

void SetDefaultKindSwitches() { FillDefaultSwitches(Messages().kindOn); }

void SetStopKindSwitches() {
  KindSwitches& on = Messages().kindOn;
  for (int k = 1; k <= kKindCount; ++k) on[k] = true;
  for (int k : {5, 6, 10, 11, 12}) on[k] = false;
}

bool KindOn(int kind) {
  // Child-control variants 104..107 share the switches of 4..7.
  if (kind > 100) kind -= 100;
  if (kind < 1 || kind > kKindCount) return false;
  return Messages().kindOn[kind];
}

HWND LatestModeless() {
  const std::vector<HWND>& shown = Dialogs().modeless;
  return shown.empty() ? nullptr : shown.back();
}

bool SnapshotsActive() { return Windows().snapshotDepth > 0; }
void BeginSnapshots() { ++Windows().snapshotDepth; }
void EndSnapshots() {
  int& depth = Windows().snapshotDepth;
  if (depth > 0) --depth;
}

int WindowIndexOf(HWND hwnd) {
  if (!hwnd) return -1;
  const WindowState& table = Windows();
  // Walk up to the frame: the drawing area, status bar and toolbars are its children.
  for (HWND h = hwnd; h; h = GetParent(h)) {
    for (int i = 0; i < kWindowCount; ++i) {
      const WindowSlot& w = table.slots[i];
      if (w.frame == h || w.drawingArea == h) return i;
    }
    if (!(GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return -1;
}

int MenuWindow() {
  const WindowState& table = Windows();
  const int current = table.current;
  if (current >= 0 && current < kWindowCount && table.slots[current].menu) return current;
  return 0;
}

bool RecordMessage(int kind, int window, const MessageInfo& info) {
  if (!KindOn(kind)) return false;
  MessageState& m = Messages();
  m.recorded.kind = kind;
  m.recorded.info = info;
  m.recorded.info.window = window;
  m.recorded.info.time = static_cast<std::int32_t>(GetMessageTime());
  m.waiting = false;
  return true;
}

}  // namespace qh::win

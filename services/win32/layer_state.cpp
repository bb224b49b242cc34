#include "layer_state.h"

namespace qh::win {

namespace {

// Kinds 1..15: on, on, on, on, off, off, on, on, on, off, off, off, on, on, off.
void FillDefaultSwitches(std::array<bool, kKindCount + 1>& on) {
  static constexpr bool kDefaults[kKindCount] = {true,  true,  true,  true, false,
                                                 false, true,  true,  true, false,
                                                 false, false, true,  true, false};
  on[0] = false;
  for (int k = 1; k <= kKindCount; ++k) on[k] = kDefaults[k - 1];
}

}  // namespace

LayerState& Layer() {
  static LayerState state = [] {
    LayerState s;
    s.instance = GetModuleHandleA(nullptr);
    FillDefaultSwitches(s.kindOn);
    return s;
  }();
  return state;
}

void SetDefaultKindSwitches() { FillDefaultSwitches(Layer().kindOn); }

void SetStopKindSwitches() {
  LayerState& s = Layer();
  for (int k = 1; k <= kKindCount; ++k) s.kindOn[k] = true;
  for (int k : {5, 6, 10, 11, 12}) s.kindOn[k] = false;
}

bool KindOn(int kind) {
  // Child-control variants 104..107 share the switches of 4..7.
  if (kind > 100) kind -= 100;
  if (kind < 1 || kind > kKindCount) return false;
  return Layer().kindOn[kind];
}

bool SnapshotsActive() { return Layer().snapshotDepth > 0; }
void BeginSnapshots() { ++Layer().snapshotDepth; }
void EndSnapshots() {
  LayerState& s = Layer();
  if (s.snapshotDepth > 0) --s.snapshotDepth;
}

int WindowIndexOf(HWND hwnd) {
  if (!hwnd) return -1;
  LayerState& s = Layer();
  // Walk up to the frame: the drawing area, status bar and toolbars are its children.
  for (HWND h = hwnd; h; h = GetParent(h)) {
    for (int i = 0; i < kWindowCount; ++i) {
      const WindowSlot& w = s.windows[i];
      if (w.frame == h || w.drawingArea == h) return i;
    }
    if (!(GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return -1;
}

int MenuWindow() {
  LayerState& s = Layer();
  const int current = s.currentWindow;
  if (current >= 0 && current < kWindowCount && s.windows[current].menu) return current;
  return 0;
}

bool RecordMessage(int kind, int window, const MessageInfo& info) {
  if (!KindOn(kind)) return false;
  LayerState& s = Layer();
  s.recorded.kind = kind;
  s.recorded.info = info;
  s.recorded.info.window = window;
  s.recorded.info.time = static_cast<std::int32_t>(GetMessageTime());
  s.waiting = false;
  return true;
}

}  // namespace qh::win

// Status bar parts (edges given in drawing units, kept in pixels) and their texts.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string>

#include "core/drawing_units.h"
#include "layer_state.h"
#include "services/window.h"

namespace qh {

namespace {

using win::Windows;

WPARAM BorderFlag(int style) {
  switch (style) {
    case win::kBorderNone: return SBT_NOBORDERS;
    case win::kBorderRaised: return SBT_POPOUT;
    default: return 0;  // sunken
  }
}

win::WindowSlot* CurrentWithStatusBar() {
  const int current = Windows().current;
  if (current < 0 || current >= win::kWindowCount) return nullptr;
  win::WindowSlot& w = Windows().slots[current];
  return w.statusBar ? &w : nullptr;
}

// The text of a part as the bar holds it, cut to 511 characters.
std::string PartText(HWND bar, int part) {
  const LRESULT length = LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0));
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::min<std::size_t>(std::char_traits<char>::length(text.c_str()), 511));
  return text;
}

}  // namespace

void IWnStatusParts(int count, std::span<const int> widths, std::span<const int> styles) {
  if (count < 1 || count > win::kStatusPartLimit) return;
  win::WindowSlot* w = CurrentWithStatusBar();
  if (!w) return;
  const int drawingWidth = win::Drawing().width;
  std::array<int, win::kStatusPartLimit> edges{};
  int parts = 0;
  int total = 0;
  for (int i = 0; i < count; ++i) {
    w->statusStyles[i] = i < static_cast<int>(styles.size()) ? styles[i] : win::kBorderSunken;
    parts = i + 1;
    // A list shorter than `count` ends like -1: the last part reaches the bar's end.
    if (i >= static_cast<int>(widths.size()) || widths[i] == -1) {
      edges[i] = -1;
      break;
    }
    total += UnitsToPixels(widths[i], drawingWidth);
    edges[i] = total;
  }
  // Only the edges computed are applied: parts after a -1 do not exist.
  SendMessageA(w->statusBar, SB_SETPARTS, parts, reinterpret_cast<LPARAM>(edges.data()));
  for (int i = 0; i < parts; ++i) {
    const std::string text = PartText(w->statusBar, i);
    SendMessageA(w->statusBar, SB_SETTEXTA, i | BorderFlag(w->statusStyles[i]),
                 reinterpret_cast<LPARAM>(text.c_str()));
  }
  InvalidateRect(w->statusBar, nullptr, TRUE);
  UpdateWindow(w->statusBar);
}

void IWnStatusText(int part, std::string_view text) {
  if (part < 1 || part > win::kStatusPartLimit) return;
  win::WindowSlot* w = CurrentWithStatusBar();
  if (!w) return;
  const std::string value(Trimmed(text));
  SendMessageA(w->statusBar, SB_SETTEXTA, (part - 1) | BorderFlag(w->statusStyles[part - 1]),
               reinterpret_cast<LPARAM>(value.c_str()));
  RECT r;
  if (SendMessageA(w->statusBar, SB_GETRECT, part - 1, reinterpret_cast<LPARAM>(&r)))
    InvalidateRect(w->statusBar, &r, TRUE);
  UpdateWindow(w->statusBar);
}

}  // namespace qh

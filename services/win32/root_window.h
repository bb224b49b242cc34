// What the root window's files share among themselves: the two window procedures,
// the frame layout, resource words, the key table and the tooltip answer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "layer_state.h"

namespace qh::win {

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DrawingAreaProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Whether the window is of the drawing-area class: a window's drawing area, or a
// drawing field that a dialog template places among its fields.
bool IsDrawingAreaClass(HWND hwnd);

// Arranges status bar, toolbars and drawing area in a frame client of the given size.
void LayoutFrame(int window, int clientWidth, int clientHeight);
// Lays the frame out again at its current client size (not when minimised); makes
// the drawing size follow when the window is the current one.
void RelayoutFrame(int window);

// The 16-bit words of an RCDATA resource; empty when there is none.
std::vector<std::uint16_t> LoadWordResource(int id);
// The menu path table: entries of an id, 1-based positions and a 0, ended by id 0.
std::vector<MenuPath> ParseMenuPaths(const std::vector<std::uint16_t>& words);

// Finds a menu item by command id, else through the window's menu path table.
// On success `menu`, `item` and `byFlag` name it and `state` holds its menu state
// (MF_CHECKED, MF_GRAYED...) as the lookup found it: a program may read an item once
// per record it writes, so a read costs one call to the system.
struct MenuItemRef {
  HMENU menu = nullptr;
  UINT item = 0;
  UINT byFlag = MF_BYCOMMAND;
  UINT state = 0;
};
bool FindMenuItem(const WindowSlot& w, int itemId, MenuItemRef& ref);
// Whether the item found stands on the window's menu bar itself.
bool OnMenuBar(const WindowSlot& w, const MenuItemRef& ref);

// Mouse button number of a button message, in the client area or on the frame:
// 1 left, 2 middle, 3 right.
int MouseButtonOf(UINT msg);

// Key code of the key table for a key press (and the character it produced, or -1).
// Returns 0 when the key delivers nothing.
int KeyCodeFor(UINT virtualKey, int character, bool shift, bool ctrl);

// Answers a toolbar's tooltip request sent to the frame; true when handled.
bool AnswerTooltip(int window, NMHDR* header);

// Stores a drawing-area Expose or Resize in the window's pending slot when the loop
// is not waiting for it.
void KeepPending(int window, int kind, const MessageInfo& info, HWND hwnd, UINT msg);

// On a palette display: makes the window's palette of `paletteSize` entries (the
// colour table first, then a grey ramp), selects it into the drawing area's device
// context and realises it. Drawn colours are then matched to it.
void BuildWindowPalette(DrawingState& d);
// Realises the window's palette again (the system palette changed or the window is
// about to be activated); repaints the area when entries were remapped.
LRESULT RealiseWindowPalette(HWND area);
// Releases the window's palette from the device context and deletes it.
void ReleaseWindowPalette(DrawingState& d);

// Sets the drawing size from the window's drawing area when it is the current window.
void RefreshDrawingSize(int window);

}  // namespace qh::win

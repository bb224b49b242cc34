// Window snapshots around modal boxes: an off-screen copy of each top-level drawing
// area, and of each shown resource dialog with a drawing field, from which the drawing
// areas repaint while a box is up.
#include <windows.h>

#include "boxes.h"
#include "layer_state.h"
#include "root_window.h"
#include "services/errors.h"
#include "core/error_codes.h"

namespace qh::win {
namespace {

bool Eligible(const WindowSlot& w) {
  return w.InUse() && w.drawingArea && IsWindowVisible(w.frame);
}

// A field of the drawing-area class: what stands on it was drawn by the program and is
// kept nowhere else.
bool IsDrawingField(HWND child) { return IsDrawingAreaClass(child) && WindowIndexOf(child) < 0; }

BOOL CALLBACK NoteDrawingField(HWND child, LPARAM found) {
  if (!IsDrawingField(child)) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

bool HoldsDrawingField(HWND dialog) {
  bool found = false;
  EnumChildWindows(dialog, NoteDrawingField, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Copies the window's client area; returns the code of a failure, else 0.
int Capture(HWND window, WindowSnapshot& snapshot) {
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right > 0 ? client.right : 1;
  const int height = client.bottom > 0 ? client.bottom : 1;
  HDC source = GetDC(window);
  if (!source) return kErrBitmapCreation;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = memory ? CreateCompatibleBitmap(source, width, height) : nullptr;
  int code = 0;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    snapshot.bitmap = bitmap;
    snapshot.width = width;
    snapshot.height = height;
  } else {
    code = kErrBitmapCreation;
  }
  if (memory) DeleteDC(memory);
  ReleaseDC(window, source);
  return code;
}

// Draws the part of `snapshot` that lies at `from` onto `target`.
void DrawBack(HWND target, const WindowSnapshot& snapshot, POINT from = {0, 0}) {
  HDC dc = GetDC(target);
  if (!dc) return;
  DrawSnapshot(dc, snapshot, from);
  ReleaseDC(target, dc);
}

// Takes (or shares) one snapshot; false, with the code, when it could not be made.
bool Share(HWND window, WindowSnapshot& snapshot, int& failure) {
  if (!snapshot.bitmap) {
    const int code = Capture(window, snapshot);
    if (code != 0) {
      failure = code;
      return false;
    }
  }
  ++snapshot.useCount;
  return true;
}

// Counts one snapshot down; true when it reached zero and is to be drawn back.
bool Unshare(WindowSnapshot& snapshot) {
  if (!snapshot.bitmap || snapshot.useCount <= 0) return false;
  return --snapshot.useCount == 0;
}

BOOL CALLBACK DrawFieldBack(HWND child, LPARAM dialogEntry) {
  const LoadedDialog& d = *reinterpret_cast<const LoadedDialog*>(dialogEntry);
  if (!IsDrawingField(child)) return TRUE;
  POINT at{0, 0};
  MapWindowPoints(child, d.hwnd, &at, 1);
  DrawBack(child, d.snapshot, at);
  ValidateRect(child, nullptr);
  return TRUE;
}

}  // namespace

void TakeSnapshots() {
  int failure = 0;
  for (WindowSlot& w : Windows().slots) {
    if (Eligible(w)) Share(w.drawingArea, w.snapshot, failure);
  }
  for (LoadedDialog& d : Dialogs().loaded) {
    if (!d.shown || !IsWindowVisible(d.hwnd) || !HoldsDrawingField(d.hwnd)) continue;
    // What waits to be painted is painted now, so that the copy holds it.
    if (!d.snapshot.bitmap) RedrawWindow(d.hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Share(d.hwnd, d.snapshot, failure);
  }
  BeginSnapshots();
  // The box is shown all the same.
  if (failure != 0) IErReport(failure);
}

void ReleaseSnapshots() {
  for (WindowSlot& w : Windows().slots) {
    if (!Unshare(w.snapshot)) continue;
    if (w.drawingArea && IsWindow(w.drawingArea)) {
      DrawBack(w.drawingArea, w.snapshot);
      // What the box uncovered is back already: no repaint for the program.
      ValidateRect(w.drawingArea, nullptr);
    }
    DeleteObject(w.snapshot.bitmap);
    w.snapshot = WindowSnapshot{};
  }
  for (LoadedDialog& d : Dialogs().loaded) {
    if (!Unshare(d.snapshot)) continue;
    if (IsWindow(d.hwnd)) EnumChildWindows(d.hwnd, DrawFieldBack, reinterpret_cast<LPARAM>(&d));
    DropSnapshot(d.snapshot);
  }
  EndSnapshots();
}

void DrawSnapshot(HDC dc, const WindowSnapshot& snapshot, POINT from) {
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return;
  HGDIOBJ old = SelectObject(memory, snapshot.bitmap);
  BitBlt(dc, 0, 0, snapshot.width - from.x, snapshot.height - from.y, memory, from.x, from.y,
         SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

const WindowSnapshot* DialogSnapshotOf(HWND field, POINT& offset) {
  for (const LoadedDialog& d : Dialogs().loaded) {
    if (!d.snapshot.bitmap || !IsChild(d.hwnd, field)) continue;
    offset = {0, 0};
    MapWindowPoints(field, d.hwnd, &offset, 1);
    return &d.snapshot;
  }
  return nullptr;
}

void DropSnapshot(WindowSnapshot& snapshot) {
  if (snapshot.bitmap) DeleteObject(snapshot.bitmap);
  snapshot = WindowSnapshot{};
}

}  // namespace qh::win

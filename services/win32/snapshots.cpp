// Window snapshots around modal boxes: an off-screen copy of each top-level
// drawing area, from which the drawing-area procedure repaints while a box is up.
#include <windows.h>

#include "boxes.h"
#include "layer_state.h"
#include "services/errors.h"
#include "core/error_codes.h"

namespace qh::win {
namespace {


bool Eligible(const WindowSlot& w) {
  return w.InUse() && w.drawingArea && !w.isChild && IsWindowVisible(w.frame);
}

// Copies the drawing area's client area; returns the code of a failure, else 0.
int Capture(WindowSlot& w) {
  RECT client{};
  GetClientRect(w.drawingArea, &client);
  const int width = client.right > 0 ? client.right : 1;
  const int height = client.bottom > 0 ? client.bottom : 1;
  HDC source = GetDC(w.drawingArea);
  if (!source) return kErrBitmapCreation;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = memory ? CreateCompatibleBitmap(source, width, height) : nullptr;
  int code = 0;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    w.snapshot.bitmap = bitmap;
    w.snapshot.width = width;
    w.snapshot.height = height;
  } else {
    code = kErrBitmapCreation;
  }
  if (memory) DeleteDC(memory);
  ReleaseDC(w.drawingArea, source);
  return code;
}

void DrawBack(WindowSlot& w) {
  HDC target = GetDC(w.drawingArea);
  if (!target) return;
  HDC memory = CreateCompatibleDC(target);
  if (memory) {
    HGDIOBJ old = SelectObject(memory, w.snapshot.bitmap);
    BitBlt(target, 0, 0, w.snapshot.width, w.snapshot.height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  ReleaseDC(w.drawingArea, target);
}

}  // namespace

void TakeSnapshots() {
  int failure = 0;
  for (WindowSlot& w : Windows().slots) {
    if (!Eligible(w)) continue;
    if (!w.snapshot.bitmap) {
      const int code = Capture(w);
      if (code != 0) {
        failure = code;
        continue;
      }
    }
    ++w.snapshot.useCount;
  }
  BeginSnapshots();
  // The box is shown all the same.
  if (failure != 0) IErReport(failure);
}

void ReleaseSnapshots() {
  for (WindowSlot& w : Windows().slots) {
    if (!w.snapshot.bitmap || w.snapshot.useCount <= 0) continue;
    if (--w.snapshot.useCount > 0) continue;
    if (w.drawingArea && IsWindow(w.drawingArea)) {
      DrawBack(w);
      // What the box uncovered is back already: no repaint for the program.
      ValidateRect(w.drawingArea, nullptr);
    }
    DeleteObject(w.snapshot.bitmap);
    w.snapshot = WindowSnapshot{};
  }
  EndSnapshots();
}

}  // namespace qh::win

// Internals shared by the modal boxes (message box, file dialogs, and the modal run
// of resource dialogs): window snapshots, the modal lock, the window outputs of the
// error routine, and the lookup of the current resource dialog's window.
#pragma once

#include <windows.h>

#include <vector>

namespace qh::win {

struct WindowSnapshot;

// Takes (or shares) a snapshot of every visible top-level window of the window
// table, and of every shown resource dialog that holds a drawing field (after letting
// it repaint once), so that they repaint from it while a box covers them. Counted:
// nested boxes share the snapshots of the outer one.
void TakeSnapshots();
// Counts the snapshots down; one that reaches zero is drawn back and released, and
// its window's pending repaint is cancelled.
void ReleaseSnapshots();
// Draws the part of `snapshot` that lies at `from` at the origin of `dc`.
void DrawSnapshot(HDC dc, const WindowSnapshot& snapshot, POINT from);
// The snapshot of the dialog that holds the drawing field `field`, and where the field
// lies in it; null when it has none.
const WindowSnapshot* DialogSnapshotOf(HWND field, POINT& offset);
// Releases a dialog's snapshot whatever its count: the dialog is going.
void DropSnapshot(WindowSnapshot& snapshot);

// Disables the program's other windows for the life of a system box and enables
// them again afterwards.
class ModalLock {
 public:
  ModalLock();
  ~ModalLock();
  ModalLock(const ModalLock&) = delete;
  ModalLock& operator=(const ModalLock&) = delete;
  HWND Owner() const { return owner_; }

 private:
  HWND owner_ = nullptr;
  std::vector<HWND> disabled_;
};

// The owner of a box: the dialog shown by the resource dialogs, else the root frame.
HWND BoxOwner();
// The root frame, or null while the root window is closed.
HWND RootFrameWindow();

// The resource dialogs tell IDlInfo (items 6 to 9) which window is the current
// dialog; without a lookup the open modeless dialog is taken.
using DialogWindowLookup = HWND (*)();
void SetCurrentDialogLookup(DialogWindowLookup lookup);

}  // namespace qh::win

namespace qh {
// Fills the error routine's window hooks (status line, "Library Error" box,
// abnormal-exit box). IWnStart calls it.
void InstallWindowErrorOutputs();
}  // namespace qh

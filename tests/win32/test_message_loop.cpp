// IWnGetMessage: commands, paints and resizes kept while busy, close requests, kind
// switches, keys and the key table, mouse buttons, timers and accelerators.
#include "win32_test_support.h"

#include <shellapi.h>
#include <shlobj.h>  // DROPFILES

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace qh::test {
namespace {

using win::Drawing;
using win::Messages;

class MessageLoopTest : public RootWindowTest {
 protected:
  void SetUp() override {
    RootWindowTest::SetUp();
    IWnToolbar(IDT_TEST);  // the converter's window: 512 x 228
    const Message first = NextMessage();
    ASSERT_EQ(first.kind, kResize);
    Settle();
    w_ = Drawing().width;
    h_ = Drawing().height;
    ASSERT_EQ(w_, 512);
    ASSERT_EQ(h_, 228);
  }
  HWND Area() const { return Root().drawingArea; }
  void PostCommand(int id, int code = 0) {
    PostMessageA(Root().frame, WM_COMMAND, MAKEWPARAM(id, code), 0);
  }
  // The next message must be the sentinel: nothing else was delivered before it.
  void ExpectSentinelNext(const char* what) {
    PostSentinel();
    const Message m = NextMessage();
    EXPECT_EQ(m.kind, kMenuSelect) << what;
    EXPECT_EQ(m.info.value1, kSentinel) << what;
  }
  int w_ = 0;
  int h_ = 0;
};

TEST_F(MessageLoopTest, PostedCommandsArriveAsMenuSelect) {
  struct Case { int id; int code; };
  const Case cases[] = {{IDC_OPEN, 0}, {IDC_SAVE, 1}, {IDC_EXIT, 0}, {IDC_ABOUT, 1}};
  for (const Case& c : cases) PostCommand(c.id, c.code);
  for (const Case& c : cases) {
    const Message m = NextMessage();
    EXPECT_EQ(m.kind, kMenuSelect) << "command " << c.id;
    EXPECT_EQ(m.info.value1, c.id);
    EXPECT_EQ(m.info.window, 0);
    EXPECT_EQ(m.info.origin, -1);
    EXPECT_EQ(m.info.value2, -1);
    EXPECT_EQ(m.info.value4, -1);
  }
  // Control notifications (code 2 and up) are not commands.
  PostCommand(IDC_OPEN, EN_CHANGE);
  ExpectSentinelNext("after a notification code");
}

TEST_F(MessageLoopTest, CommandWhileBusyIsLost) {
  SendMessageA(Root().frame, WM_COMMAND, MAKEWPARAM(IDC_OPEN, 0), 0);
  ExpectSentinelNext("after a command sent while busy");
}

TEST_F(MessageLoopTest, TwoPaintsWhileBusyGiveOneWholeAreaExpose) {
  RECT a{10, 10, 40, 30};
  RECT b{200, 100, 260, 150};
  InvalidateRect(Area(), &a, TRUE);
  UpdateWindow(Area());
  InvalidateRect(Area(), &b, TRUE);
  UpdateWindow(Area());
  EXPECT_EQ(Root().pending.kind, kExpose) << "held while busy";
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kExpose);
  EXPECT_EQ(m.info.window, 0);
  EXPECT_EQ(m.info.origin, 0);
  // The whole area from pixel 0 to the last one, as units of the pixels' centres.
  EXPECT_EQ(m.info.x, PixelsToUnits(0, w_));
  EXPECT_EQ(m.info.y, PixelsToUnits(0, h_));
  EXPECT_EQ(m.info.value1, PixelsToUnits(w_ - 1, w_) - PixelsToUnits(0, w_)) << "whole width";
  EXPECT_EQ(m.info.value2, PixelsToUnits(h_ - 1, h_) - PixelsToUnits(0, h_)) << "whole height";
  EXPECT_EQ(m.info.value1, 9980);
  EXPECT_TRUE(Root().pending.Empty());
  ExpectSentinelNext("only one Expose");
}

TEST_F(MessageLoopTest, ResizeThenPaintWhileBusyGiveOneResize) {
  RECT frame = WindowRectOf(Root().frame);
  SetWindowPos(Root().frame, nullptr, 0, 0, frame.right - frame.left + 40,
               frame.bottom - frame.top + 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Area(), nullptr, TRUE);
  UpdateWindow(Area());
  EXPECT_EQ(Root().pending.kind, kResize) << "an Expose never replaces a pending Resize";
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kResize);
  EXPECT_EQ(m.info.value1, 552);
  EXPECT_EQ(m.info.value2, 248);
  EXPECT_EQ(Drawing().width, 552);
  EXPECT_EQ(Drawing().height, 248);
  ExpectSentinelNext("only one Resize");
}

TEST_F(MessageLoopTest, PaintTakenByTheLoopGivesItsAreaInUnits) {
  RECT r{100, 50, 164, 82};
  InvalidateRect(Area(), &r, TRUE);
  const Message m = NextMessage();
  ASSERT_EQ(m.kind, kExpose);
  EXPECT_EQ(m.info.origin, 0);
  EXPECT_EQ(m.info.x, PixelsToUnits(100, w_));
  EXPECT_EQ(m.info.y, PixelsToUnits(50, h_));
  EXPECT_EQ(m.info.value1, PixelsToUnits(163, w_) - PixelsToUnits(100, w_));
  EXPECT_EQ(m.info.value2, PixelsToUnits(81, h_) - PixelsToUnits(50, h_));
  EXPECT_TRUE(Root().pending.Empty()) << "a paint the loop dispatched is not held";
}

TEST_F(MessageLoopTest, CloseBoxGivesCloseRequestAndTheWindowStays) {
  PostMessageA(Root().frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  Message m = NextMessage();
  EXPECT_EQ(m.kind, kCloseRequest);
  EXPECT_EQ(m.info.window, 0);
  EXPECT_TRUE(IsWindow(Root().frame));
  EXPECT_TRUE(IsWindowVisible(Root().frame));
  PostMessageA(Root().frame, WM_CLOSE, 0, 0);
  m = NextMessage();
  EXPECT_EQ(m.kind, kCloseRequest);
  EXPECT_TRUE(IsWindow(Root().frame));
}

// Explorer's drop as the shell hands it over: a DROPFILES block of UTF-8 names (the
// test program's code page, as the program's) in a movable global block.
HDROP DropOf(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  list += '\0';
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* files = static_cast<DROPFILES*>(GlobalLock(block));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = FALSE;
  std::copy(list.begin(), list.end(), reinterpret_cast<char*>(files + 1));
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

TEST_F(MessageLoopTest, DroppedFilesArriveWithTheFirstName) {
  EXPECT_TRUE(GetWindowLongA(Root().frame, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)
      << "the root window does not take files from Explorer";
  const std::string first = "C:\\\xC5\x81\xC3\xB3" "d\xC5\xBA trips\\trip.psp";  // Łódź trips
  PostMessageA(Root().frame, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({first, "C:\\b.psp"})), 0);
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kFilesDropped);
  EXPECT_EQ(m.info.window, 0);
  EXPECT_EQ(m.info.value1, 2) << "files dropped";
  std::array<char, 64> name;
  name.fill('#');
  IWnDroppedFile(name);
  EXPECT_EQ(std::string(name.data(), first.size()), first);
  EXPECT_EQ(Trimmed(std::string_view(name.data(), name.size())), first) << "blank-padded";
}

TEST_F(MessageLoopTest, KindsSwitchedOffAreNeverReturned) {
  PostMessageA(Area(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  PostMessageA(Area(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  // HTNOWHERE: a press on the caption would start the system's modal move loop.
  PostMessageA(Root().frame, WM_NCLBUTTONDOWN, HTNOWHERE, 0);  // FrameButtonDown is off
  ExpectSentinelNext("mouse move, button up, frame button");

  Messages().kindOn[kMenuSelect] = false;
  PostCommand(IDC_OPEN);
  Messages().kindOn[kCloseRequest] = true;
  PostMessageA(Root().frame, WM_CLOSE, 0, 0);
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kCloseRequest) << "the command was dropped";
  Messages().kindOn[kMenuSelect] = true;

  Messages().kindOn[kMouseButUp] = true;
  PostMessageA(Area(), WM_RBUTTONUP, 0, MAKELPARAM(128, 57));
  const Message up = NextMessage();
  EXPECT_EQ(up.kind, kMouseButUp);
  EXPECT_EQ(up.info.value1, 3);
  EXPECT_EQ(up.info.x, PixelsToUnits(128, w_));
  EXPECT_EQ(up.info.y, PixelsToUnits(57, h_));
}

TEST_F(MessageLoopTest, MouseButtonsGiveButtonTimeAndPosition) {
  struct Case { UINT msg; int button; int x; int y; };
  const Case cases[] = {{WM_LBUTTONDOWN, 1, 0, 0}, {WM_MBUTTONDOWN, 2, 511, 227},
                        {WM_RBUTTONDOWN, 3, 256, 114}};
  for (const Case& c : cases) {
    PostMessageA(Area(), c.msg, 0, MAKELPARAM(c.x, c.y));
    const Message m = NextMessage();
    EXPECT_EQ(m.kind, kMouseButDown) << "button " << c.button;
    EXPECT_EQ(m.info.value1, c.button);
    EXPECT_EQ(m.info.value2, m.info.time / 10) << "message time in hundredths";
    EXPECT_EQ(m.info.origin, 0);
    EXPECT_EQ(m.info.x, PixelsToUnits(c.x, w_)) << "button " << c.button;
    EXPECT_EQ(m.info.y, PixelsToUnits(c.y, h_)) << "button " << c.button;
    EXPECT_EQ(GetCapture(), Area()) << "captured";
    ReleaseCapture();
  }
}

TEST_F(MessageLoopTest, FrameButtonDownWhenSwitchedOn) {
  Messages().kindOn[kFrameButtonDown] = true;
  PostMessageA(Root().frame, WM_NCRBUTTONDOWN, HTBORDER, 0);
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kFrameButtonDown);
  EXPECT_EQ(m.info.value1, 3);
  // The minimise box goes to default handling, whose tracking loop ends at the
  // button release posted behind it (and may minimise the frame).
  PostMessageA(Root().frame, WM_NCLBUTTONDOWN, HTMINBUTTON, 0);
  PostMessageA(Root().frame, WM_LBUTTONUP, 0, 0);
  ExpectSentinelNext("the minimise box is default handling");
}

// Holds Shift and/or Ctrl in this thread's key state while a test posts keys.
class HeldKeys {
 public:
  HeldKeys(bool shift, bool ctrl) {
    GetKeyboardState(saved_);
    BYTE state[256];
    std::copy(std::begin(saved_), std::end(saved_), state);
    state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
  }
  ~HeldKeys() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

TEST_F(MessageLoopTest, KeyTableCodes) {
  struct Case { UINT vk; bool shift; bool ctrl; int code; };
  const Case cases[] = {
      {VK_UP, false, false, 258},      {VK_DOWN, false, false, 259},
      {VK_RIGHT, false, false, 260},   {VK_LEFT, false, false, 261},
      {VK_UP, true, false, 262},       {VK_LEFT, false, true, 269},
      {VK_DOWN, true, true, 267},      {VK_PRIOR, false, false, 262},
      {VK_NEXT, true, false, 263},     {VK_HOME, false, false, 270},
      {VK_END, false, false, 271},     {VK_SELECT, false, false, 271},
      {VK_INSERT, false, false, 272},  {VK_DELETE, false, false, 273},
      {VK_TAB, true, false, 274},      {VK_NUMPAD0, false, false, 280},
      {VK_NUMPAD9, false, false, 289}, {VK_CLEAR, false, false, 285},
      {VK_SUBTRACT, false, false, 290}, {VK_DECIMAL, false, false, 291},
      {VK_ADD, false, false, 292},     {VK_SEPARATOR, false, false, 292},
      {VK_DIVIDE, false, false, 293},  {VK_MULTIPLY, false, false, 294},
      {VK_F1, false, false, 301},      {VK_F12, false, false, 312},
      {VK_F20, false, false, 320},     {VK_F2, true, false, 322},
      {VK_F2, false, true, 342},       {VK_F3, true, true, 343},
      {VK_SNAPSHOT, false, false, 300}, {VK_APPS, false, false, VK_APPS},
      {VK_F5, true, false, 325},  // F5 alone is an accelerator; with Shift it is not
  };
  for (const Case& c : cases) {
    HeldKeys held(c.shift, c.ctrl);
    PostMessageA(Area(), WM_KEYDOWN, c.vk, 1 | (MapVirtualKeyA(c.vk, 0) << 16));
    const Message m = NextMessage();
    EXPECT_EQ(m.kind, kKeyDown) << "vk " << c.vk;
    EXPECT_EQ(m.info.value1, c.code) << "vk " << c.vk << " shift " << c.shift << " ctrl " << c.ctrl;
    EXPECT_EQ(m.info.origin, 0) << "vk " << c.vk;
  }
  ExpectSentinelNext("no character left behind by Shift+Tab");
}

TEST_F(MessageLoopTest, KeysThatYieldCharactersDeliverTheCharacter) {
  struct Case { UINT vk; bool shift; bool ctrl; int code; };
  const Case cases[] = {{'A', false, false, 'a'}, {'A', true, false, 'A'},  {'C', false, true, 3},
                        {VK_RETURN, false, false, 13}, {VK_ESCAPE, false, false, 27},
                        {VK_TAB, false, false, 9},     {'7', false, false, '7'}};
  for (const Case& c : cases) {
    HeldKeys held(c.shift, c.ctrl);
    PostMessageA(Area(), WM_KEYDOWN, c.vk, 1 | (MapVirtualKeyA(c.vk, 0) << 16));
    const Message m = NextMessage();
    EXPECT_EQ(m.kind, kKeyDown) << "vk " << c.vk;
    EXPECT_EQ(m.info.value1, c.code) << "vk " << c.vk << " shift " << c.shift << " ctrl " << c.ctrl;
  }
  ExpectSentinelNext("each character paired with its key, not delivered twice");

  PostMessageA(Area(), WM_CHAR, 'x', 0);  // a character without a key press
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kKeyDown);
  EXPECT_EQ(m.info.value1, 'x');
}

TEST_F(MessageLoopTest, ModifierKeysAloneDeliverNothing) {
  for (UINT vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_PAUSE, VK_CAPITAL, VK_NUMLOCK, VK_SCROLL})
    PostMessageA(Area(), WM_KEYDOWN, vk, 1);
  ExpectSentinelNext("modifier keys");
}

TEST_F(MessageLoopTest, AcceleratorBecomesMenuSelect) {
  PostMessageA(Area(), WM_KEYDOWN, VK_F5, 1 | (MapVirtualKeyA(VK_F5, 0) << 16));
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kMenuSelect);
  EXPECT_EQ(m.info.value1, IDC_ACCEL_ONLY);
}

// F10 and Alt+key arrive as WM_SYSKEYDOWN; Alt is in bit 29 of the key data.
LPARAM SysKeyData(UINT vk, bool alt) {
  return 1 | (static_cast<LPARAM>(MapVirtualKeyA(vk, 0)) << 16) | (alt ? KF_ALTDOWN << 16 : 0);
}

bool menuWasOpen = false;

// Ends the menu that a mnemonic opened, noting whether one was up, and marks the end.
void CALLBACK EndMenuTimer(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  KillTimer(hwnd, id);
  const HWND popup = FindWindowA("#32768", nullptr);
  menuWasOpen = popup && IsWindowVisible(popup);
  EndMenu();
  PostSentinel();
}

TEST_F(MessageLoopTest, SystemKeysFollowTheKeyTableUnlessTheMenuBarTakesThem) {
  struct Case { UINT vk; int code; };
  for (const Case& c : {Case{'X', 'x'}, Case{VK_F2, 302}, Case{VK_UP, 258}, Case{'7', '7'}}) {
    PostMessageA(Area(), WM_SYSKEYDOWN, c.vk, SysKeyData(c.vk, true));
    const Message m = NextMessage();
    EXPECT_EQ(m.kind, kKeyDown) << "Alt with vk " << c.vk;
    EXPECT_EQ(m.info.value1, c.code) << "Alt with vk " << c.vk;
  }
  ExpectSentinelNext("no system character left behind");

  PostMessageA(Area(), WM_SYSKEYDOWN, VK_F10, SysKeyData(VK_F10, false));
  ExpectSentinelNext("F10 belongs to the menu bar");

  PostMessageA(Area(), WM_SYSKEYDOWN, VK_F4, SysKeyData(VK_F4, true));
  EXPECT_EQ(NextMessage().kind, kCloseRequest) << "Alt+F4 stays the system's";

  // A mnemonic of the bar opens its menu, and the program hears nothing of the key.
  menuWasOpen = false;
  SetTimer(Root().frame, 0x3E7, 300, &EndMenuTimer);
  PostMessageA(Area(), WM_SYSKEYDOWN, 'F', SysKeyData('F', true));
  const Message afterMenu = NextMessage();
  EXPECT_TRUE(menuWasOpen) << "Alt+F opens the File menu";
  EXPECT_EQ(afterMenu.kind, kMenuSelect);
  EXPECT_EQ(afterMenu.info.value1, kSentinel) << "no KeyDown for Alt+F";

  // Without a menu bar F10 is an ordinary key.
  SetMenu(Root().frame, nullptr);
  Settle();
  PostMessageA(Area(), WM_SYSKEYDOWN, VK_F10, SysKeyData(VK_F10, false));
  const Message f10 = NextMessage();
  SetMenu(Root().frame, Root().menu);
  Settle();
  EXPECT_EQ(f10.kind, kKeyDown);
  EXPECT_EQ(f10.info.value1, 310) << "F10 without a menu bar";
}

TEST_F(MessageLoopTest, TimerFiresOnce) {
  SetTimer(Root().frame, 77, 10, nullptr);
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kTimerExpired);
  EXPECT_EQ(m.info.value1, 77);
  EXPECT_FALSE(KillTimer(Root().frame, 77)) << "the timer was stopped when it fired";
}

TEST_F(MessageLoopTest, SnapshotsActiveServePaintsFromTheSnapshotAndRecordNothing) {
  HDC screen = GetDC(Area());
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w_, h_);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, bitmap);
  RECT all{0, 0, w_, h_};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(mem, &all, red);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(Area(), screen);

  Root().snapshot = win::WindowSnapshot{bitmap, 1, w_, h_};
  win::BeginSnapshots();
  const int recordedBefore = Messages().recorded.kind;
  RECT part{20, 20, 60, 60};
  InvalidateRect(Area(), &part, TRUE);
  UpdateWindow(Area());
  EXPECT_TRUE(Root().pending.Empty()) << "no slot filled while snapshots are active";
  EXPECT_EQ(Messages().recorded.kind, recordedBefore);
  EXPECT_EQ(GetPixel(Drawing().dc, 30, 30), RGB(255, 0, 0)) << "painted from the snapshot";
  EXPECT_NE(GetPixel(Drawing().dc, 100, 100), RGB(255, 0, 0)) << "outside the paint";

  win::EndSnapshots();
  Root().snapshot = win::WindowSnapshot{};
  DeleteObject(bitmap);
  DeleteObject(red);
  EXPECT_FALSE(win::SnapshotsActive());
}

TEST_F(MessageLoopTest, QuitMessageAsksTheProgramToClose) {
  PostQuitMessage(3);
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kCloseRequest);
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit stays visible";
  EXPECT_EQ(quit.wParam, 3u);
}

}  // namespace
}  // namespace qh::test

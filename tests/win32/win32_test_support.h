// Shared by the Win32 service tests: opening the root window the way the converter
// does, taking messages with a watchdog so a missing message fails instead of
// hanging, and small readers of window state.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "core/drawing_units.h"
#include "layer_state.h"
#include "services/services.h"
#include "test_resource_ids.h"

namespace qh::test {

constexpr UINT_PTR kWatchdogTimer = 0xBEEF;

inline RootWindowSpec ConverterSpec() {
  RootWindowSpec rootSpec;
  rootSpec.flags = kSysMenu | kMinButton | kMaxButton | kStatusBar | kFixedSize;  // 103
  rootSpec.x = -1;
  rootSpec.y = -1;
  rootSpec.width = 512;
  rootSpec.height = 256;
  rootSpec.menuId = IDM_TEST;
  rootSpec.title = "Quillhaven test";
  return rootSpec;
}

inline win::WindowSlot& Root() { return win::Windows().slots[0]; }

struct Message {
  int kind = 0;
  MessageInfo info;
};

// IWnGetMessage with a ten-second watchdog timer on the frame: a test whose message
// never comes sees TimerExpired with the watchdog's id instead of blocking.
inline Message NextMessage() {
  Message m;
  SetTimer(Root().frame, kWatchdogTimer, 10000, nullptr);
  IWnGetMessage(m.kind, m.info);
  KillTimer(Root().frame, kWatchdogTimer);
  EXPECT_FALSE(m.kind == kTimerExpired && m.info.value1 == static_cast<int>(kWatchdogTimer))
      << "no message arrived within 10 s";
  return m;
}

// Delivers whatever the window has still to paint and forgets the pending redraws,
// so that a test starts from a quiet window.
inline void Settle() {
  for (int round = 0; round < 3; ++round) {
    RedrawWindow(Root().frame, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  for (win::WindowSlot& w : win::Windows().slots) w.pending.Clear();
}

// A posted command that marks the end of what a test expects.
constexpr int kSentinel = 40777;
inline void PostSentinel() {
  PostMessageA(Root().frame, WM_COMMAND, MAKEWPARAM(kSentinel, 0), 0);
}

inline RECT WindowRectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

inline RECT ClientRectOf(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

// A child's rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND child) {
  RECT r = WindowRectOf(child);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// Wine's ntdll exports wine_get_version; Windows' does not.
inline bool RunningOnWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The last error code of the services, cleared by reading it.
inline int LastError() { return IErInfo(1); }

// Opens the converter's root window for each test and closes it afterwards.
class RootWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    IErMode(0);
    LastError();
    IWnOpenRoot(ConverterSpec());
    ASSERT_TRUE(win::Windows().rootOpen);
    Settle();
  }
  void TearDown() override {
    IWnStop();
    win::SetDefaultKindSwitches();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
};

}  // namespace qh::test

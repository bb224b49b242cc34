// The root window: the converter's own setup, centring, style bits, the drawing
// area's size, the numeric field classes, and IWnStop's reset and reopening.
#include "win32_test_support.h"

#include <array>
#include <vector>

namespace qh::test {
namespace {

using win::Dialogs;
using win::Drawing;
using win::Messages;
using win::System;
using win::Windows;

TEST_F(RootWindowTest, ConverterSetupGivesItsFiguresAndAFirstResize) {
  const HWND frame = Root().frame;
  EXPECT_EQ(ClassOf(frame), "PANEWARD");
  EXPECT_EQ(ClassOf(Root().drawingArea), "PANECLIENT");
  EXPECT_EQ(GetDlgItem(frame, 999), Root().statusBar) << "status bar child id";
  EXPECT_EQ(ClassOf(Root().statusBar), STATUSCLASSNAMEA);

  RECT area = ClientRectOf(Root().drawingArea);
  EXPECT_EQ(area.right, 512) << "drawing area width after opening";
  EXPECT_EQ(area.bottom, 256) << "drawing area height after opening";
  EXPECT_EQ(Drawing().width, 512);
  EXPECT_EQ(Drawing().height, 256);

  const std::array<int, 2> widths{3500, -1};
  IWnStatusParts(2, widths);
  std::array<int, 4> edges{-7, -7, -7, -7};
  const LRESULT parts = SendMessageA(Root().statusBar, SB_GETPARTS, edges.size(),
                                     reinterpret_cast<LPARAM>(edges.data()));
  EXPECT_EQ(parts, 2);
  EXPECT_EQ(edges[0], 178) << "part 1 right edge";
  EXPECT_EQ(edges[1], -1) << "part 2 reaches the end";

  IWnToolbar(IDT_TEST);
  const HWND toolbar = Root().toolbars[win::kToolbarTop].hwnd;
  ASSERT_NE(toolbar, nullptr);
  const RECT bar = ChildRect(toolbar);
  EXPECT_EQ(bar.top, 0);
  EXPECT_EQ(bar.bottom - bar.top, 28) << "toolbar height for 16x16 images";
  EXPECT_EQ(bar.right - bar.left, ClientRectOf(frame).right) << "toolbar spans the client width";
  const RECT placed = ChildRect(Root().drawingArea);
  EXPECT_EQ(placed.top, 28) << "drawing area starts below the toolbar";

  const Message m = NextMessage();
  EXPECT_EQ(m.kind, kResize);
  EXPECT_EQ(m.info.window, 0);
  EXPECT_EQ(m.info.value1, 512) << "Resize width";
  EXPECT_EQ(m.info.value2, 228) << "Resize height";
  EXPECT_EQ(Drawing().width, 512);
  EXPECT_EQ(Drawing().height, 228);
  EXPECT_TRUE(Root().pending.Empty()) << "the Resize was delivered once";
}

TEST_F(RootWindowTest, FrameStaysCentredAfterTheStatusBarGrowsIt) {
  const RECT frame = WindowRectOf(Root().frame);
  const RECT status = WindowRectOf(Root().statusBar);
  const int statusHeight = status.bottom - status.top;
  ASSERT_GT(statusHeight, 10) << "the status bar measures itself";

  const LONG style = GetWindowLongA(Root().frame, GWL_STYLE);
  RECT outer{0, 0, 512, 256};
  AdjustWindowRectEx(&outer, style & ~WS_MAXIMIZE, FALSE, 0);
  AdjustWindowRectEx(&outer, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, TRUE, 0);
  const int baseHeight = outer.bottom - outer.top;
  const int frameWidth = outer.right - outer.left;
  EXPECT_EQ(frame.right - frame.left, frameWidth);
  EXPECT_EQ(frame.bottom - frame.top, baseHeight + statusHeight) << "frame grew by the status bar";

  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(frame.left, (screenW - frameWidth) / 2);
  const int expectedTop = (screenH - baseHeight) / 2 - statusHeight / 2;
  EXPECT_EQ(frame.top, expectedTop) << "moved up by half the status bar";
  EXPECT_LE(std::abs((frame.top + frame.bottom) - screenH), 2) << "centred vertically";
  // The drawing area keeps its asked size above the status bar.
  EXPECT_EQ(ClientRectOf(Root().drawingArea).bottom, 256);
}

TEST_F(RootWindowTest, OpeningAgainWhileOpenDoesNothing) {
  const HWND frame = Root().frame;
  RootWindowSpec other = ConverterSpec();
  other.width = 300;
  other.height = 100;
  IWnOpenRoot(other);
  EXPECT_EQ(Root().frame, frame);
  EXPECT_EQ(ClientRectOf(Root().drawingArea).right, 512);
}

TEST_F(RootWindowTest, TitleMenuAndIconComeFromTheSpec) {
  char title[100] = {};
  GetWindowTextA(Root().frame, title, sizeof title);
  EXPECT_STREQ(title, "Quillhaven test") << "trailing blanks dropped";
  ASSERT_NE(GetMenu(Root().frame), nullptr);
  EXPECT_EQ(GetMenuItemCount(GetMenu(Root().frame)), 3);
  EXPECT_EQ(Root().menu, GetMenu(Root().frame));
  EXPECT_NE(Root().accelerators, nullptr);
  ASSERT_EQ(Root().menuPaths.size(), 5u) << "entries of the menu path table";
  EXPECT_EQ(Root().menuPaths[3].id, IDM_RECENT_POPUP);
  EXPECT_EQ(Root().menuPaths[3].positions, (std::vector<int>{1, 4}));
  EXPECT_NE(GetClassLongPtrA(Root().frame, GCLP_HICON), 0) << "icon ICON1";
  EXPECT_EQ(GetFocus(), Root().drawingArea);
}

TEST_F(RootWindowTest, NumericFieldClassesPassEverythingToTheEditControl) {
  for (const char* name : {"INTEGEREDIT", "INTEGERSPIN", "REALEDIT", "DOUBLEEDIT"}) {
    WNDCLASSA wc{};
    EXPECT_TRUE(GetClassInfoA(System().instance, name, &wc)) << name;
    HWND field = CreateWindowExA(0, name, "12.5", WS_CHILD, 0, 0, 80, 20, Root().frame, nullptr,
                                 System().instance, nullptr);
    ASSERT_NE(field, nullptr) << name;
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("-3x"));
    char text[16] = {};
    SendMessageA(field, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "-3x") << name;
    DestroyWindow(field);
  }
  EXPECT_NE(GetModuleHandleA("riched32.dll"), nullptr);
  EXPECT_NE(GetModuleHandleA("comctl32.dll"), nullptr);
}

TEST_F(RootWindowTest, StopResetsEverythingAndOpenWorksAgain) {
  const HWND frame = Root().frame;
  const HWND area = Root().drawingArea;
  IWnToolbar(IDT_TEST);
  Messages().kindOn[5] = true;
  Messages().kindOn[3] = false;
  for (int item = 1; item <= 5; ++item) Dialogs().items[item] = 10 + item;

  IWnStop();
  EXPECT_FALSE(Windows().rootOpen);
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_FALSE(IsWindow(area));
  EXPECT_EQ(Root().frame, nullptr);
  EXPECT_EQ(Root().statusBar, nullptr);
  EXPECT_FALSE(Root().HasToolbar());
  EXPECT_EQ(Root().menu, nullptr);
  EXPECT_EQ(Drawing().dc, nullptr);
  EXPECT_EQ(Windows().current, 0);
  for (int item = 1; item <= 5; ++item)
    EXPECT_EQ(IDlInfo(item), 0) << "IDlInfo item " << item;
  const std::array<bool, 16> afterStop{false, true, true, true, true, false, false, true, true,
                                       true, false, false, false, true, true, true};
  for (int kind = 1; kind <= 15; ++kind)
    EXPECT_EQ(Messages().kindOn[kind], afterStop[kind]) << "switch of kind " << kind;

  IWnOpenRoot(ConverterSpec());
  EXPECT_TRUE(Windows().rootOpen);
  EXPECT_TRUE(IsWindow(Root().frame));
  EXPECT_NE(Root().frame, frame);
  EXPECT_NE(GetMenu(Root().frame), nullptr) << "class menu after re-registering";
  EXPECT_EQ(ClientRectOf(Root().drawingArea).bottom, 256);
  IWnStatusText(1, "again");
  char text[16] = {};
  SendMessageA(Root().statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "again");
}

// Opening with other style bits: each row opens, checks and stops.
struct StyleCase {
  const char* name;
  std::int32_t flags;
  LONG styleOn;
  LONG styleOff;
  bool visible;
  bool topmost;
  bool sizeGrip;
};

class RootStyleTest : public ::testing::TestWithParam<StyleCase> {
 protected:
  void TearDown() override {
    IWnStop();
    win::SetDefaultKindSwitches();
  }
};

TEST_P(RootStyleTest, StyleBitsShapeTheFrame) {
  const StyleCase& c = GetParam();
  RootWindowSpec rootSpec = ConverterSpec();
  rootSpec.flags = c.flags;
  IWnOpenRoot(rootSpec);
  const LONG style = GetWindowLongA(Root().frame, GWL_STYLE);
  EXPECT_EQ(style & c.styleOn, c.styleOn) << c.name << ": style " << std::hex << style;
  EXPECT_EQ(style & c.styleOff, 0) << c.name << ": style " << std::hex << style;
  EXPECT_EQ(IsWindowVisible(Root().frame) != 0, c.visible) << c.name;
  const bool topmost = GetWindowLongA(Root().frame, GWL_EXSTYLE) & WS_EX_TOPMOST;
  EXPECT_EQ(topmost, c.topmost) << c.name;
  if (c.flags & kStatusBar) {
    ASSERT_NE(Root().statusBar, nullptr) << c.name;
    const bool grip = GetWindowLongA(Root().statusBar, GWL_STYLE) & SBARS_SIZEGRIP;
    EXPECT_EQ(grip, c.sizeGrip) << c.name;
  } else {
    EXPECT_EQ(Root().statusBar, nullptr) << c.name;
  }
  EXPECT_EQ(ClientRectOf(Root().drawingArea).right, 512) << c.name;
  EXPECT_EQ(ClientRectOf(Root().drawingArea).bottom, 256) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Flags, RootStyleTest,
    ::testing::Values(
        StyleCase{"converter", 103, WS_CAPTION | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                  WS_THICKFRAME, true, false, false},
        StyleCase{"bare", 0, WS_CAPTION | WS_THICKFRAME, WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true,
                  false, false},
        StyleCase{"sizable status bar", 1 | 32, WS_SYSMENU | WS_THICKFRAME, 0, true, false, true},
        StyleCase{"hidden", 128 | 64, WS_CAPTION, WS_THICKFRAME, false, false, false},
        StyleCase{"ignored bits 4 8 and 1024", 16 | 1024 | 256 | 64, WS_CAPTION, WS_THICKFRAME | WS_SYSMENU,
                  true, false, false},
        StyleCase{"always on top", 512 | 64, WS_CAPTION, WS_THICKFRAME, true, true, false}),
    [](const ::testing::TestParamInfo<StyleCase>& testCase) { return std::to_string(testCase.index); });

TEST(RootWindowPlacement, GivenPositionKeepsTheTopWhenTheStatusBarGrowsTheFrame) {
  RootWindowSpec rootSpec = ConverterSpec();
  rootSpec.x = 30;
  rootSpec.y = 40;
  IWnOpenRoot(rootSpec);
  const RECT frame = WindowRectOf(Root().frame);
  EXPECT_EQ(frame.left, 30);
  EXPECT_EQ(frame.top, 40);
  IWnStop();
  win::SetDefaultKindSwitches();
}

TEST(RootWindowPlacement, ZeroSizeMeansEightyPercentOfTheScreen) {
  RootWindowSpec rootSpec = ConverterSpec();
  rootSpec.width = 0;
  rootSpec.height = -5;
  rootSpec.flags = kSysMenu | kFixedSize;  // no status bar: the area is the whole client
  IWnOpenRoot(rootSpec);
  const int expectedW = GetSystemMetrics(SM_CXSCREEN) * 80 / 100;
  const int expectedH = GetSystemMetrics(SM_CYSCREEN) * 80 / 100;
  EXPECT_EQ(Drawing().width, expectedW);
  EXPECT_EQ(Drawing().height, expectedH);
  const RECT frame = WindowRectOf(Root().frame);
  EXPECT_LE(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)), 1) << "centred";
  IWnStop();
  win::SetDefaultKindSwitches();
}

TEST(RootWindowPlacement, NoMenuMeansNoMenuBarAndNoTables) {
  RootWindowSpec rootSpec = ConverterSpec();
  rootSpec.menuId = 0;
  IWnOpenRoot(rootSpec);
  EXPECT_EQ(GetMenu(Root().frame), nullptr);
  EXPECT_EQ(Root().accelerators, nullptr);
  EXPECT_TRUE(Root().menuPaths.empty());
  EXPECT_EQ(ClientRectOf(Root().drawingArea).bottom, 256) << "no menu bar height taken";
  IWnStop();
  win::SetDefaultKindSwitches();
}

}  // namespace
}  // namespace qh::test

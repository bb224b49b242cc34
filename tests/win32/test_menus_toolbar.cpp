// Menu item states by command id and through the menu path table, toolbar buttons
// built from the button list, the four toolbar positions, tooltips, and the error
// codes 1001, 1002 and 1003.
#include "win32_test_support.h"

#include <cstring>
#include <vector>

namespace qh::test {
namespace {


UINT MenuFlagsAt(std::initializer_list<int> path) {
  HMENU menu = GetMenu(Root().frame);
  std::vector<int> p(path);
  for (std::size_t i = 0; i + 1 < p.size(); ++i) menu = GetSubMenu(menu, p[i] - 1);
  return GetMenuState(menu, p.back() - 1, MF_BYPOSITION);
}

HWND TopToolbar() { return Root().toolbars[win::kToolbarTop].hwnd; }

class MenuStateTest : public RootWindowTest {};

TEST_F(MenuStateTest, ReadsTheResourceStatesById) {
  struct Case { int id; int what; int expected; };
  const Case cases[] = {
      {IDC_IGNORE, kMenuChecked, 1}, {IDC_IGNORE, kMenuEnabled, 1},
      {IDC_APPEND, kMenuChecked, 0}, {IDC_GREYED, kMenuEnabled, 0},
      {IDC_OPEN, kMenuEnabled, 1},   {IDC_RECENT_TWO, kMenuEnabled, 1},
      {IDM_FILE_POPUP, kMenuEnabled, 1},  // by path: the bar's File entry
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IMnGetState(c.id, c.what), c.expected) << "item " << c.id << " what " << c.what;
    EXPECT_EQ(LastError(), 0) << "item " << c.id;
  }
}

TEST_F(MenuStateTest, SetsStatesByIdAndByPathAndReadsThemBack) {
  struct Case {
    int id;
    int what;
    int value;
    std::initializer_list<int> path;  // where the item stands, for reading it directly
    UINT flag;
  };
  const Case cases[] = {
      {IDC_APPEND, kMenuChecked, 1, {2, 2}, MF_CHECKED},
      {IDC_IGNORE, kMenuChecked, 0, {2, 1}, MF_CHECKED},
      {IDC_OPEN, kMenuEnabled, 0, {1, 1}, MF_GRAYED},
      {IDM_FILE_POPUP, kMenuEnabled, 0, {1}, MF_GRAYED},        // a bar pop-up by path
      {IDM_RECENT_POPUP, kMenuEnabled, 0, {1, 4}, MF_GRAYED},   // nested pop-up by path
      {IDM_PATH_ONLY_ITEM, kMenuChecked, 1, {2, 4}, MF_CHECKED},
  };
  for (const Case& c : cases) {
    const int before = IMnGetState(c.id, c.what);  // a read before a change must not outlive it
    IMnSetState(c.id, c.what, c.value);
    EXPECT_EQ(LastError(), 0) << "set item " << c.id;
    EXPECT_NE(before, c.value) << "item " << c.id << " already had the state it is set to";
    const bool set = MenuFlagsAt(c.path) & c.flag;
    const bool expectSet = (c.flag == MF_GRAYED) ? c.value == 0 : c.value == 1;
    EXPECT_EQ(set, expectSet) << "item " << c.id << " flags " << MenuFlagsAt(c.path);
    EXPECT_EQ(IMnGetState(c.id, c.what), c.value) << "read back item " << c.id;
  }
  // And back again, so a set is not a one-way switch.
  IMnSetState(IDM_FILE_POPUP, kMenuEnabled, 1);
  EXPECT_EQ(MenuFlagsAt({1}) & MF_GRAYED, 0u);
  EXPECT_EQ(IMnGetState(IDM_FILE_POPUP, kMenuEnabled), 1);
}

TEST_F(MenuStateTest, UnknownItemIsError1001AndReadsZero) {
  IMnSetState(IDC_UNKNOWN, kMenuEnabled, 0);
  EXPECT_EQ(LastError(), 1001) << "set";
  IMnSetState(IDC_UNKNOWN, kMenuChecked, 1);
  EXPECT_EQ(LastError(), 1001) << "check";
  EXPECT_EQ(IMnGetState(IDC_UNKNOWN, kMenuEnabled), 0);
  EXPECT_EQ(LastError(), 1001) << "get";
}

TEST_F(MenuStateTest, OutOfRangeArgumentsAreIgnoredWithoutError) {
  IMnSetState(IDC_OPEN, 3, 0);
  IMnSetState(IDC_OPEN, kMenuEnabled, 2);
  IMnSetState(IDC_OPEN, 0, 0);
  IMnSetState(IDC_UNKNOWN, 7, 1);  // ignored before the item is looked for
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(IMnGetState(IDC_OPEN, kMenuEnabled), 1) << "unchanged";
  EXPECT_EQ(IMnGetState(IDC_IGNORE, 3), 0);
  EXPECT_EQ(IMnGetState(IDC_UNKNOWN, 0), 0);
  EXPECT_EQ(LastError(), 0);
}

TEST_F(MenuStateTest, MenuWithoutPathTableCannotAddressPopups) {
  IWnStop();
  RootWindowSpec rootSpec = ConverterSpec();
  rootSpec.menuId = IDM_NO_PATHS;
  IWnOpenRoot(rootSpec);
  EXPECT_EQ(Root().accelerators, nullptr) << "no accelerator table is no error";
  EXPECT_EQ(IMnGetState(IDC_OPEN, kMenuEnabled), 1);
  EXPECT_EQ(LastError(), 0);
  IMnSetState(IDM_FILE_POPUP, kMenuEnabled, 0);
  EXPECT_EQ(LastError(), 1001);
}

class ToolbarTest : public RootWindowTest {};

TEST_F(ToolbarTest, ButtonsFollowTheListWithSeparatorsAndImages) {
  IWnToolbar(IDT_TEST);
  ASSERT_NE(TopToolbar(), nullptr);
  EXPECT_EQ(ClassOf(TopToolbar()), TOOLBARCLASSNAMEA);
  EXPECT_EQ(GetDlgCtrlID(TopToolbar()), IDT_TEST) << "child id";
  const LRESULT count = SendMessageA(TopToolbar(), TB_BUTTONCOUNT, 0, 0);
  ASSERT_EQ(count, 4);
  struct Expected { int id; bool separator; int image; };
  const Expected expected[] = {{IDC_OPEN, false, 0}, {IDC_SAVE, false, 1}, {0, true, -1},
                               {IDC_TOOL_ONLY, false, 2}};
  for (int i = 0; i < 4; ++i) {
    TBBUTTON b{};
    SendMessageA(TopToolbar(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(b.idCommand, expected[i].id) << "button " << i;
    EXPECT_EQ((b.fsStyle & TBSTYLE_SEP) != 0, expected[i].separator) << "button " << i;
    if (!expected[i].separator) {
      EXPECT_EQ(b.iBitmap, expected[i].image) << "button " << i;
    }
  }
  const LRESULT size = SendMessageA(TopToolbar(), TB_GETBUTTONSIZE, 0, 0);
  // Wine difference: Wine's toolbar widens a button by one pixel over the size set
  // with TB_SETBUTTONSIZE (w + 6 = 22); Windows keeps 22.
  EXPECT_EQ(LOWORD(size), RunningOnWine() ? 23 : 22) << "button width w + 6";
  EXPECT_EQ(HIWORD(size), 22) << "button height h + 6";
  EXPECT_EQ(Root().tooltips.size(), 4u) << "tooltip table grows to the button count";
}

TEST_F(ToolbarTest, ButtonStatesComeFromTheMenu) {
  IWnToolbar(IDT_STATES);
  struct Case { int id; bool enabled; bool checked; };
  const Case cases[] = {{IDC_IGNORE, true, true}, {IDC_GREYED, false, false},
                        {IDC_APPEND, true, false}, {IDM_FILE_POPUP, true, false}};
  for (const Case& c : cases) {
    const LRESULT state = SendMessageA(TopToolbar(), TB_GETSTATE, c.id, 0);
    ASSERT_NE(state, -1) << "button " << c.id;
    EXPECT_EQ((state & TBSTATE_ENABLED) != 0, c.enabled) << "button " << c.id;
    EXPECT_EQ((state & TBSTATE_CHECKED) != 0, c.checked) << "button " << c.id;
  }
}

TEST_F(ToolbarTest, MenuStateChangesReachTheButtons) {
  IWnToolbar(IDT_TEST);
  IMnSetState(IDC_OPEN, kMenuEnabled, 0);
  EXPECT_EQ(LastError(), 0);
  EXPECT_FALSE(SendMessageA(TopToolbar(), TB_ISBUTTONENABLED, IDC_OPEN, 0)) << "button greyed too";
  EXPECT_TRUE(MenuFlagsAt({1, 1}) & MF_GRAYED) << "menu item greyed";
  IMnSetState(IDC_SAVE, kMenuChecked, 1);
  EXPECT_TRUE(SendMessageA(TopToolbar(), TB_ISBUTTONCHECKED, IDC_SAVE, 0));

  // An id only on the toolbar is found there: no error, and read from the button.
  IMnSetState(IDC_TOOL_ONLY, kMenuEnabled, 0);
  EXPECT_EQ(LastError(), 0);
  EXPECT_FALSE(SendMessageA(TopToolbar(), TB_ISBUTTONENABLED, IDC_TOOL_ONLY, 0));
  EXPECT_EQ(IMnGetState(IDC_TOOL_ONLY, kMenuEnabled), 0);
  IMnSetState(IDC_TOOL_ONLY, kMenuChecked, 1);
  EXPECT_EQ(IMnGetState(IDC_TOOL_ONLY, kMenuChecked), 1);
  EXPECT_EQ(LastError(), 0);
}

TEST_F(ToolbarTest, BadWindowIsError1003AndMissingListError1002) {
  struct Case { int resource; std::optional<int> window; int code; };
  const Case cases[] = {{IDT_TEST, 21, 1003}, {IDT_TEST, -1, 1003}, {IDT_TEST, 4, 1003},
                        {IDT_NO_LIST, std::nullopt, 1002}, {12345, std::nullopt, 1002}};
  for (const Case& c : cases) {
    IWnToolbar(c.resource, c.window);
    EXPECT_EQ(LastError(), c.code) << "resource " << c.resource << " window " << c.window.value_or(0);
    EXPECT_FALSE(Root().HasToolbar()) << "resource " << c.resource;
  }
  // A failed build also removes the toolbar that stood there.
  IWnToolbar(IDT_TEST);
  ASSERT_NE(TopToolbar(), nullptr);
  IWnToolbar(12345);
  EXPECT_EQ(LastError(), 1002);
  EXPECT_EQ(TopToolbar(), nullptr);
  EXPECT_EQ(ChildRect(Root().drawingArea).top, 0) << "the drawing area takes the place back";
}

TEST_F(ToolbarTest, FourPositionsShareTheClientArea) {
  const RECT client = ClientRectOf(Root().frame);
  const RECT status = WindowRectOf(Root().statusBar);
  const int statusHeight = status.bottom - status.top;
  IWnToolbar(IDT_TEST, 0, 1);
  IWnToolbar(IDT_WIDE, 0, 2);
  IWnToolbar(IDT_WIDE, 0, 3);
  IWnToolbar(IDT_WIDE, 0, 4);
  EXPECT_EQ(LastError(), 0);
  const RECT top = ChildRect(Root().toolbars[win::kToolbarTop].hwnd);
  const RECT left = ChildRect(Root().toolbars[win::kToolbarLeft].hwnd);
  const RECT right = ChildRect(Root().toolbars[win::kToolbarRight].hwnd);
  const RECT bottom = ChildRect(Root().toolbars[win::kToolbarBottom].hwnd);
  const RECT area = ChildRect(Root().drawingArea);
  struct Case { const char* what; long actual; long expected; };
  const Case cases[] = {
      {"top height", top.bottom - top.top, 28},
      {"bottom height (20 + 12)", bottom.bottom - bottom.top, 32},
      {"bottom stands on the status bar", bottom.bottom, client.bottom - statusHeight},
      {"left width (24 + 9)", left.right - left.left, 33},
      {"left starts below the top toolbar", left.top, 28},
      {"left ends above the bottom toolbar", left.bottom, bottom.top},
      {"right width", right.right - right.left, 33},
      {"right at the right edge", right.right, client.right},
      {"area left", area.left, 33},
      {"area right", area.right, client.right - 33},
      {"area top", area.top, 28},
      {"area bottom", area.bottom, bottom.top},
  };
  for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected) << c.what;

  // Removing the left one gives its width back; only one toolbar per position.
  IWnToolbar(0, 0, 2);
  EXPECT_EQ(Root().toolbars[win::kToolbarLeft].hwnd, nullptr);
  EXPECT_EQ(ChildRect(Root().drawingArea).left, 0);
  int toolbars = 0;
  for (HWND child = GetWindow(Root().frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassOf(child) == TOOLBARCLASSNAMEA) ++toolbars;
  EXPECT_EQ(toolbars, 3);
}

TEST_F(ToolbarTest, ReplacingAToolbarOfTheSameSizePlacesTheNewOne) {
  IWnToolbar(IDT_TEST);
  const HWND first = TopToolbar();
  Settle();
  IWnToolbar(IDT_STATES);
  EXPECT_FALSE(IsWindow(first));
  const RECT bar = ChildRect(TopToolbar());
  EXPECT_EQ(bar.bottom - bar.top, 28);
  EXPECT_EQ(bar.right - bar.left, ClientRectOf(Root().frame).right);
  EXPECT_EQ(Root().pending.kind, 0) << "the drawing area kept its size: no Resize";
}

TEST_F(ToolbarTest, TooltipsComeFromTheTableOrTheStringTable) {
  IWnToolbar(IDT_TEST);
  Root().tooltips[1].commandId = IDC_SAVE;
  Root().tooltips[1].text = "Save it now";
  struct Case { int id; const char* expected; };
  const std::string longTip(
      "A tooltip of more than seventy-nine characters is cut to that length by the fra");
  const Case cases[] = {{IDC_OPEN, "Open"},
                        {IDC_SAVE, "Save it now"},  // the window's table wins
                        {IDC_TOOL_ONLY, ""},
                        {IDS_LONG_TIP, longTip.c_str()}};
  for (const Case& c : cases) {
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageA(TopToolbar(), TB_GETTOOLTIPS, 0, 0));
    info.hdr.idFrom = c.id;
    info.hdr.code = TTN_GETDISPINFOA;
    std::memset(info.szText, '#', sizeof info.szText);
    SendMessageA(Root().frame, WM_NOTIFY, c.id, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr) << "id " << c.id;
    EXPECT_STREQ(info.lpszText, c.expected) << "id " << c.id;
  }
}

TEST_F(ToolbarTest, TooltipControlGetsItsTextThroughTheFrame) {
  IWnToolbar(IDT_TEST);
  const HWND tips = reinterpret_cast<HWND>(SendMessageA(TopToolbar(), TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tips, nullptr);
  char text[100] = "unchanged";
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = TopToolbar();
  tool.uId = IDC_SAVE;
  tool.lpszText = text;
  SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, "Save");
}

TEST_F(ToolbarTest, ClickedButtonArrivesAsMenuSelect) {
  IWnToolbar(IDT_TEST);
  Settle();
  RECT button{};
  SendMessageA(TopToolbar(), TB_GETRECT, IDC_SAVE, reinterpret_cast<LPARAM>(&button));
  const LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  PostMessageA(TopToolbar(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(TopToolbar(), WM_LBUTTONUP, 0, at);
  Message m = NextMessage();
  while (m.kind == kExpose || m.kind == kResize) m = NextMessage();  // a late repaint
  EXPECT_EQ(m.kind, kMenuSelect);
  EXPECT_EQ(m.info.value1, IDC_SAVE);
  EXPECT_EQ(m.info.window, 0);
}

}  // namespace
}  // namespace qh::test

// Tab fields with page dialogs under Wine: "[Tabs]" fills the field and embeds its
// pages with the named one shown, a click on a tab switches pages in the loaded dialog
// and in its modal instance, what is typed on a page stays, a button on a page ends a
// modal run as that page's, and unloading gives the pages back as they were loaded.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "modal_driver.h"
#include "resource_dialogs.h"
#include "win32_test_support.h"

namespace qh::test {
namespace {

HWND WindowOf(int dialogId) {
  const win::LoadedDialog* d = win::DialogOfId(dialogId);
  return d ? d->hwnd : nullptr;
}

HWND TabsOf(HWND dialog) { return GetDlgItem(dialog, IDF_TABS); }

LRESULT Selected(HWND tabs) { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0); }

std::string Label(HWND tabs, int index) {
  char text[64] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return text;
}

// A mouse click on a tab: the control hit-tests the point, selects the tab and tells
// its dialog with TCN_SELCHANGE, as it does for the user.
void ClickTab(HWND tabs, int index) {
  RECT r{};
  SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(tabs, WM_LBUTTONUP, 0, at);
}

// The page lies in `host` and is the one it shows (also while `host` itself is hidden).
bool ShownIn(HWND page, HWND host) {
  return GetParent(page) == host && (GetWindowLongA(page, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Ends a modal run by the cancel command should a press meant to end it miss, so that
// the test fails instead of waiting.
void CALLBACK CancelLate(HWND box, UINT, UINT_PTR id, DWORD) {
  KillTimer(box, id);
  PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
}

class DialogTabTest : public RootWindowTest {};

TEST_F(DialogTabTest, LoadingFillsTheTabsAndAClickShowsTheOtherPage) {
  IDlLoad(IDD_TABS);
  ASSERT_EQ(LastError(), 0);
  EXPECT_EQ(IDlInfo(3), IDD_TABS) << "the dialog stays current, not its last page";
  const HWND host = WindowOf(IDD_TABS);
  const HWND child = WindowOf(IDD_PAGE_CHILD);
  const HWND popup = WindowOf(IDD_PAGE_POPUP);
  ASSERT_TRUE(host && child && popup) << "each page is a loaded dialog";
  const HWND tabs = TabsOf(host);
  ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(Label(tabs, 0), "Child page");
  EXPECT_EQ(Label(tabs, 1), "Popup page");
  EXPECT_EQ(Selected(tabs), 1) << "the page whose dialog id the entry names";
  EXPECT_TRUE(ShownIn(popup, host));
  EXPECT_FALSE(ShownIn(child, host));
  EXPECT_EQ(GetParent(child), host);
  EXPECT_EQ(GetWindowLongA(popup, GWL_STYLE) & (WS_CAPTION | WS_POPUP), 0) << "no frame inside the field";

  // The page covers the tab field below its row of tabs, and the field lets it show.
  RECT row{};
  SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  MapWindowPoints(tabs, host, reinterpret_cast<POINT*>(&row), 2);
  const RECT field = ChildRect(tabs);
  const RECT page = ChildRect(popup);
  EXPECT_TRUE(page.left > field.left && page.right < field.right && page.top >= row.bottom &&
              page.bottom < field.bottom)
      << "page " << page.left << "," << page.top << "-" << page.right << "," << page.bottom << " field "
      << field.left << "," << field.top << "-" << field.right << "," << field.bottom << " tab row ends at "
      << row.bottom;
  EXPECT_TRUE(GetWindowLongA(tabs, GWL_STYLE) & WS_CLIPSIBLINGS);

  IDlShow(-1, -1);
  IDlLoad(IDD_PAGE_CHILD);
  IDlPutString(IDF_PAGE_EDIT, "kept");
  ClickTab(tabs, 0);
  EXPECT_EQ(Selected(tabs), 0);
  EXPECT_TRUE(IsWindowVisible(child)) << "the clicked tab's page";
  EXPECT_FALSE(IsWindowVisible(popup));
  ClickTab(tabs, 1);
  EXPECT_TRUE(IsWindowVisible(popup));
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_EQ(WindowText(GetDlgItem(child, IDF_PAGE_EDIT)), "kept") << "across page switches";
}

TEST_F(DialogTabTest, AModalRunSwitchesPagesKeepsTheirTextsAndEndsFromAPage) {
  IDlLoad(IDD_PAGE_CHILD);
  IDlPutString(IDF_PAGE_EDIT, "before");
  IDlLoad(IDD_TABS);
  const HWND host = WindowOf(IDD_TABS);
  const HWND child = WindowOf(IDD_PAGE_CHILD);
  const HWND popup = WindowOf(IDD_PAGE_POPUP);
  ASSERT_TRUE(host && child && popup);
  struct Seen {
    LRESULT count = 0, selected = -1;
    bool popupFirst = false, childAfterClick = false, popupAfterClick = false;
    std::string childText;
  } seen;
  ModalDriver driver({[&](HWND box, const SeenBox&) {
    const HWND tabs = TabsOf(box);
    seen.count = SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0);
    seen.selected = Selected(tabs);
    seen.popupFirst = ShownIn(popup, box) && IsWindowVisible(popup);
    ClickTab(tabs, 0);
    seen.childAfterClick = ShownIn(child, box) && IsWindowVisible(child) && !IsWindowVisible(popup);
    seen.childText = WindowText(GetDlgItem(child, IDF_PAGE_EDIT));
    SetWindowTextA(GetDlgItem(child, IDF_PAGE_EDIT), "typed");
    ClickTab(tabs, 1);
    seen.popupAfterClick = IsWindowVisible(popup) && !IsWindowVisible(child);
    PressButton(popup, IDB_PAGE_APPLY);
    SetTimer(box, 1, 3000, &CancelLate);
  }});
  IDlShow(-1, -1, 0, 1);
  ASSERT_EQ(driver.Seen().size(), 1u);
  EXPECT_EQ(seen.count, 2) << "the modal instance takes over the tabs";
  EXPECT_EQ(seen.selected, 1);
  EXPECT_TRUE(seen.popupFirst) << "the selected page shows in the modal instance";
  EXPECT_TRUE(seen.childAfterClick);
  EXPECT_EQ(seen.childText, "before");
  EXPECT_TRUE(seen.popupAfterClick);

  EXPECT_EQ(IDlInfo(1), IDB_PAGE_APPLY);
  EXPECT_EQ(IDlInfo(5), IDD_PAGE_POPUP) << "the page dialog in which the ending button lies";
  EXPECT_EQ(GetParent(child), host) << "the pages are back in the loaded dialog";
  EXPECT_TRUE(ShownIn(popup, host)) << "with the tab the user left selected";
  EXPECT_FALSE(ShownIn(child, host));
  EXPECT_EQ(Selected(TabsOf(host)), 1);
  EXPECT_EQ(WindowText(GetDlgItem(child, IDF_PAGE_EDIT)), "typed");
}

TEST_F(DialogTabTest, UnloadGivesThePagesBackAsLoadedAndAnotherDialogTakesThem) {
  IDlLoad(IDD_PAGE_POPUP);
  const HWND popup = WindowOf(IDD_PAGE_POPUP);
  const RECT own = WindowRectOf(popup);
  IDlLoad(IDD_TABS);
  const HWND host = WindowOf(IDD_TABS);
  const HWND child = WindowOf(IDD_PAGE_CHILD);
  ASSERT_EQ(GetParent(popup), host) << "an already loaded dialog is taken as the page";
  IDlUnload();
  EXPECT_FALSE(IsWindow(host));
  ASSERT_TRUE(IsWindow(child) && IsWindow(popup)) << "pages are dialogs of their own";
  EXPECT_EQ(GetParent(child), Root().drawingArea);
  EXPECT_FALSE(IsWindowVisible(child));
  const LONG style = GetWindowLongA(popup, GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), 0);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION) << "its frame back";
  EXPECT_EQ(GetWindow(popup, GW_OWNER), Root().frame);
  const RECT now = WindowRectOf(popup);
  EXPECT_EQ(now.right - now.left, own.right - own.left);
  EXPECT_EQ(now.bottom - now.top, own.bottom - own.top);

  IDlLoad(IDD_TABS_FIRST);
  ASSERT_EQ(LastError(), 0);
  const HWND other = WindowOf(IDD_TABS_FIRST);
  EXPECT_EQ(Selected(TabsOf(other)), 0) << "no page has the named id: the first";
  EXPECT_TRUE(ShownIn(child, other));
  EXPECT_EQ(GetParent(popup), other);
  IDlUnload();

  IDlLoad(IDD_PAGE_POPUP);
  IDlUnload();
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(win::Dialogs().loaded.size(), 1u) << "only the child page is left";
}

}  // namespace
}  // namespace qh::test

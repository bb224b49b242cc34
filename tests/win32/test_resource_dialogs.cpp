// Resource dialogs under Wine: the dialog table and its limits, the error codes of
// the field operations, the fields a loaded dialog gets (text limits, extra sections,
// greyed size items), showing modeless, semi-modal and modal (ended from a WH_CBT
// hook by OK, Esc, the cancel command and the close box), and IWnStop's clean-up.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "modal_driver.h"
#include "resource_dialogs.h"
#include "win32_test_support.h"

namespace qh::test {
namespace {

using win::Dialogs;

std::string FieldText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

HWND LoadedWindow() {
  win::LoadedDialog* d = win::CurrentDialog();
  return d ? d->hwnd : nullptr;
}

class ResourceDialogTest : public RootWindowTest {};

// Image buttons and statics get the image of their id; "[Ranges]" reaches progress bars
// and trackbars, "[Trackbars]" sets a trackbar's steps and selection, "[Lengths]" a
// combo box's text limit.
TEST_F(ResourceDialogTest, LoadingSetsUpImagesAndTheSectionsOfTheCommonControls) {
  IDlLoad(IDD_CONTROLS);
  ASSERT_EQ(LastError(), 0);
  win::LoadedDialog* d = win::CurrentDialog();
  ASSERT_NE(d, nullptr);
  const HWND dialog = d->hwnd;
  struct Image {
    int id;
    UINT message;
    WPARAM type;
  };
  for (const Image& image : {Image{IDF_ICON_BUTTON, BM_GETIMAGE, IMAGE_ICON},
                             Image{IDF_BITMAP_BUTTON, BM_GETIMAGE, IMAGE_BITMAP},
                             Image{IDF_ICON_STATIC, STM_GETIMAGE, IMAGE_ICON},
                             Image{IDF_BITMAP_STATIC, STM_GETIMAGE, IMAGE_BITMAP}}) {
    EXPECT_NE(SendDlgItemMessageA(dialog, image.id, image.message, image.type, 0), 0)
        << "field " << image.id << " has no image";
  }

  const HWND progress = GetDlgItem(dialog, IDF_PROGRESS);
  EXPECT_EQ(SendMessageA(progress, PBM_GETRANGE, TRUE, 0), 10) << "progress bar, low end";
  EXPECT_EQ(SendMessageA(progress, PBM_GETRANGE, FALSE, 0), 90) << "progress bar, high end";

  const HWND trackbar = GetDlgItem(dialog, IDF_TRACKBAR);
  struct Setting {
    const char* name;
    UINT message;
    LRESULT expected;
  };
  for (const Setting& s : {Setting{"range minimum", TBM_GETRANGEMIN, 0},
                           Setting{"range maximum", TBM_GETRANGEMAX, 40},
                           Setting{"line size", TBM_GETLINESIZE, 2},
                           Setting{"page size", TBM_GETPAGESIZE, 10},
                           Setting{"selection start", TBM_GETSELSTART, 8},
                           Setting{"selection end", TBM_GETSELEND, 24}}) {
    EXPECT_EQ(SendMessageA(trackbar, s.message, 0, 0), s.expected) << "trackbar " << s.name;
  }
  // A tick every 5 between the ends of 0..40: at 5, 10 ... 35.
  EXPECT_EQ(SendMessageA(trackbar, TBM_GETTIC, 0, 0), 5) << "first tick";
  EXPECT_EQ(SendMessageA(trackbar, TBM_GETTIC, 6, 0), 35) << "last tick";

  const HWND comboEdit = GetWindow(GetDlgItem(dialog, IDF_EDIT_COMBO), GW_CHILD);
  ASSERT_NE(comboEdit, nullptr);
  EXPECT_EQ(SendMessageA(comboEdit, EM_GETLIMITTEXT, 0, 0), 4) << "the combo box's edit field";
  const win::DialogField* combo = win::FieldRecord(*d, IDF_EDIT_COMBO);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->textLimit, 4);
}

TEST_F(ResourceDialogTest, TheTableKeepsOneEntryPerIdAndRefusesTheFiftyFirst) {
  IDlLoad(IDD_PLAIN);
  const HWND first = LoadedWindow();
  IDlLoad(IDD_PLAIN);
  EXPECT_EQ(LastError(), 0);
  EXPECT_EQ(Dialogs().loaded.size(), 1u) << "loading twice keeps one entry";
  EXPECT_EQ(LoadedWindow(), first);
  EXPECT_EQ(IDlInfo(3), IDD_PLAIN);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(IsWindowVisible(first)) << "loaded hidden although the template is WS_VISIBLE";
  EXPECT_EQ(GetWindow(first, GW_OWNER), Root().frame) << "owned through the drawing area";

  IDlLoad(IDD_MISSING);
  EXPECT_EQ(LastError(), 1007) << "no template";
  EXPECT_EQ(Dialogs().loaded.size(), 1u);
  EXPECT_EQ(IDlInfo(3), IDD_PLAIN) << "the current dialog stays";

  for (int id = IDD_MANY_FIRST; id < IDD_MANY_FIRST + 49; ++id) {
    IDlLoad(id);
    ASSERT_EQ(LastError(), 0) << "dialog " << id;
  }
  EXPECT_EQ(Dialogs().loaded.size(), 50u);
  IDlLoad(IDD_MANY_FIRST + 49);
  EXPECT_EQ(LastError(), 1007) << "the 51st distinct dialog";
  EXPECT_EQ(Dialogs().loaded.size(), 50u);
  IDlLoad(IDD_MANY_FIRST);
  EXPECT_EQ(LastError(), 0) << "one already loaded is only made current";
  EXPECT_EQ(IDlInfo(3), IDD_MANY_FIRST);
}

TEST_F(ResourceDialogTest, FieldOperationsWithoutADialogOrWithAnUnknownField) {
  struct Case {
    const char* name;
    void (*call)(int field);
  };
  static float value = 0;
  const Case cases[] = {
      {"IDlPutString", [](int f) { IDlPutString(f, "x"); }},
      {"IDlPutReal", [](int f) { IDlPutReal(f, 1.5f, "(F8.5)"); }},
      {"IDlPutDouble", [](int f) { IDlPutDouble(f, 1.5); }},
      {"IDlPutInteger", [](int f) { IDlPutInteger(f, 3); }},
      {"IDlGetReal", [](int f) { IDlGetReal(f, value); }},
  };
  for (const Case& c : cases) {
    value = 123.0f;
    c.call(IDF_PLAIN_REAL);
    EXPECT_EQ(LastError(), 1005) << c.name << " without a dialog";
    EXPECT_EQ(value, 123.0f) << c.name << " leaves the value";
  }
  IDlShow(-1, -1, 0, 1);
  EXPECT_EQ(LastError(), 1005) << "IDlShow without a dialog";
  IDlUnload();
  EXPECT_EQ(LastError(), 1005) << "IDlUnload without a dialog";

  IDlLoad(IDD_PLAIN);
  for (const Case& c : cases) {
    value = 123.0f;
    c.call(4242);
    EXPECT_EQ(LastError(), 1006) << c.name << " with an unknown field";
    EXPECT_EQ(value, 123.0f) << c.name << " leaves the value";
  }
}

TEST_F(ResourceDialogTest, LoadingSetsUpTheFieldsAndAppliesTheExtraSections) {
  IDlLoad(IDD_FIELDS);
  ASSERT_EQ(LastError(), 0);
  win::LoadedDialog* d = win::CurrentDialog();
  ASSERT_NE(d, nullptr);
  const HWND dialog = d->hwnd;

  // One record per field with an id; ranges only where "[Ranges]" put one.
  EXPECT_EQ(d->fields.size(), 13u) << "eleven fields and two buttons; the spin control has no id";
  for (const win::DialogField& f : d->fields) {
    const bool ranged = f.id == IDF_REAL_RANGED || f.id == IDF_SPIN;
    EXPECT_EQ(f.lower, ranged ? 0.0 : 1000.0) << "field " << f.id;
    EXPECT_EQ(f.upper, ranged ? 10.0 : -1000.0) << "field " << f.id;
  }
  struct Limit {
    int id;
    LRESULT limit;
  };
  for (const Limit& l : {Limit{IDF_EDIT, 5}, Limit{IDF_MULTI, 65535}}) {
    EXPECT_EQ(SendDlgItemMessageA(dialog, l.id, EM_GETLIMITTEXT, 0, 0), l.limit) << "field " << l.id;
    EXPECT_EQ(win::FieldRecord(*d, l.id)->textLimit, l.limit) << "field " << l.id;
  }

  EXPECT_EQ(SendDlgItemMessageA(dialog, IDF_LIST, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDF_LIST, LB_GETCURSEL, 0, 0), 1) << "item 2 selected";
  char item[32] = {};
  SendDlgItemMessageA(dialog, IDF_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, "First") << "trailing blanks dropped";
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDF_COMBO, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDF_COMBO, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDF_CHECK), BST_CHECKED);
  const win::DialogField* label = win::FieldRecord(*d, IDF_LABEL);
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->coloured);
  EXPECT_EQ(label->textColour, RGB(255, 0, 0));
  EXPECT_EQ(label->backColour, RGB(0, 0, 255));

  // The spin control sits beside its field and takes its range; the text stays.
  const HWND spinField = GetDlgItem(dialog, IDF_SPIN);
  const HWND spin = win::SpinOf(spinField);
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(ClassOf(spin), UPDOWN_CLASSA);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0)), spinField);
  int low = -1, high = -1;
  SendMessageA(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 10);
  EXPECT_EQ(FieldText(dialog, IDF_SPIN), "7");

  HMENU system = GetSystemMenu(dialog, FALSE);
  ASSERT_NE(system, nullptr);
  for (UINT command : {SC_RESTORE, SC_MAXIMIZE, SC_SIZE}) {
    EXPECT_TRUE(GetMenuState(system, command, MF_BYCOMMAND) & MF_GRAYED) << "system item " << command;
  }
}

TEST_F(ResourceDialogTest, PutStringDropsTrailingBlanksAndABlankTextEmptiesTheField) {
  IDlLoad(IDD_PLAIN);
  IDlPutString(IDF_PLAIN_REAL, "12.5     ");
  EXPECT_EQ(FieldText(LoadedWindow(), IDF_PLAIN_REAL), "12.5");
  IDlPutString(IDF_PLAIN_REAL, "    ");
  EXPECT_EQ(FieldText(LoadedWindow(), IDF_PLAIN_REAL), "");
  EXPECT_EQ(LastError(), 0);
}

TEST_F(ResourceDialogTest, ModelessShowCentresOrPlacesInDrawingUnits) {
  IDlLoad(IDD_PLAIN);
  const HWND dialog = LoadedWindow();
  IDlShow(-1, -1);
  EXPECT_EQ(LastError(), 0);
  EXPECT_TRUE(IsWindowVisible(dialog));
  const RECT r = WindowRectOf(dialog);
  const int w = r.right - r.left, h = r.bottom - r.top;
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2) << "centred across";
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2) << "centred down";
  EXPECT_EQ(IDlInfo(6), r.left);
  EXPECT_EQ(IDlInfo(7), r.top);
  EXPECT_EQ(IDlInfo(8), w);
  EXPECT_EQ(IDlInfo(9), h);
  EXPECT_EQ(Dialogs().modeless, std::vector<HWND>{dialog});
  EXPECT_TRUE(IsWindowEnabled(Root().frame)) << "modeless locks nothing";

  // A push button of a modeless dialog ends nothing: the loop hears of it.
  PressButton(dialog, IDOK);
  const Message m = NextMessage();
  EXPECT_EQ(m.kind, 3);
  EXPECT_EQ(m.info.value1, IDOK);
  EXPECT_TRUE(IsWindowVisible(dialog));

  IDlUnload();
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(IDlInfo(3), 0);
  EXPECT_TRUE(Dialogs().modeless.empty());

  IDlLoad(IDD_PLAIN);
  const RECT area = ClientRectOf(Root().drawingArea);
  IDlShow(5000, 2500);
  const RECT placed = WindowRectOf(LoadedWindow());
  EXPECT_EQ(placed.left, (area.right - 1) * 5000 / 9999) << "x in drawing units";
  EXPECT_EQ(placed.top, (area.bottom - 1) * 2500 / 9999) << "y in drawing units";
}

// Posts Escape to a field and says whether its dialog heard it as the cancel command
// before the sentinel came.
bool EscapeReachesDialog(HWND field) {
  PostMessageA(field, WM_KEYDOWN, VK_ESCAPE, 1 | (MapVirtualKeyA(VK_ESCAPE, 0) << 16));
  PostSentinel();
  const Message m = NextMessage();
  if (m.kind == kMenuSelect && m.info.value1 == kSentinel) return false;
  EXPECT_EQ(m.kind, 3);
  EXPECT_EQ(m.info.value1, IDCANCEL);
  const Message sentinel = NextMessage();
  EXPECT_EQ(sentinel.info.value1, kSentinel);
  return m.kind == 3 && m.info.value1 == IDCANCEL;
}

TEST_F(ResourceDialogTest, EachShownModelessDialogKeepsItsKeysWhenAnotherIsUnloaded) {
  IDlLoad(IDD_PLAIN);
  const HWND first = LoadedWindow();
  IDlShow(-1, -1);
  IDlLoad(IDD_MANY_FIRST);
  const HWND second = LoadedWindow();
  IDlShow(10, 10);
  ASSERT_EQ(LastError(), 0);
  EXPECT_TRUE(EscapeReachesDialog(GetDlgItem(first, IDF_PLAIN_REAL)))
      << "the first dialog while the second is shown";
  IDlUnload();  // the second, the current one
  EXPECT_FALSE(IsWindow(second));
  EXPECT_TRUE(EscapeReachesDialog(GetDlgItem(first, IDF_PLAIN_REAL)))
      << "the first dialog after the second was unloaded";
}

TEST_F(ResourceDialogTest, AMessageBoxDisablesEveryShownModelessDialog) {
  IDlLoad(IDD_PLAIN);
  const HWND first = LoadedWindow();
  IDlShow(-1, -1);
  IDlLoad(IDD_MANY_FIRST);
  const HWND second = LoadedWindow();
  IDlShow(10, 10);
  bool firstEnabled = true, secondEnabled = true;
  HWND owner = nullptr;
  {
    ModalDriver driver({[&](HWND box, const SeenBox&) {
      owner = GetWindow(box, GW_OWNER);
      firstEnabled = IsWindowEnabled(first) != FALSE;
      secondEnabled = IsWindowEnabled(second) != FALSE;
      PressButton(box, IDOK);
    }});
    IWnMessageBox(0, 0, 1, "Locked?", "Box");
    ASSERT_EQ(driver.Seen().size(), 1u);
  }
  EXPECT_EQ(owner, second) << "the dialog shown last owns the box";
  EXPECT_FALSE(firstEnabled) << "the earlier modeless dialog is locked as well";
  EXPECT_FALSE(secondEnabled) << "the owner is disabled by the box itself";
  EXPECT_TRUE(IsWindowEnabled(first)) << "and enabled again afterwards";
  EXPECT_TRUE(IsWindowEnabled(second));
}

// More shown dialogs than a table of 32 would hold: every one is locked. (Slow under
// Wine, which takes about two seconds to take each shown window down afterwards.)
TEST_F(ResourceDialogTest, AMessageBoxDisablesEveryOneOfManyShownDialogs) {
  constexpr int kShown = 34;
  std::vector<HWND> shown;
  for (int i = 0; i < kShown; ++i) {
    IDlLoad(IDD_MANY_FIRST + i);
    shown.push_back(LoadedWindow());
    IDlShow(i * 4, i * 4);
  }
  ASSERT_EQ(LastError(), 0);
  int enabledDuringBox = -1;
  {
    ModalDriver driver({[&](HWND box, const SeenBox&) {
      enabledDuringBox = 0;
      for (const HWND dialog : shown) enabledDuringBox += IsWindowEnabled(dialog) ? 1 : 0;
      PressButton(box, IDOK);
    }});
    IWnMessageBox(0, 0, 1, "Locked?", "Box");
    ASSERT_EQ(driver.Seen().size(), 1u);
  }
  EXPECT_EQ(enabledDuringBox, 0) << "of " << kShown << " shown dialogs";
  for (int i = 0; i < kShown; ++i) EXPECT_TRUE(IsWindowEnabled(shown[i])) << "dialog " << i << " afterwards";
}

TEST_F(ResourceDialogTest, SemiModalLocksTheOtherWindowsAndAModelessRequestBecomesSemiModal) {
  IDlLoad(IDD_PLAIN);
  IDlShow(-1, -1, 0, 3);
  EXPECT_EQ(LastError(), 0);
  EXPECT_FALSE(IsWindowEnabled(Root().frame)) << "the root window is locked";
  IDlLoad(IDD_MANY_FIRST);
  IDlShow(-1, -1);
  EXPECT_EQ(LastError(), 1014) << "modeless while a semi-modal dialog is up";
  EXPECT_EQ(win::CurrentDialog()->mode, 3);
  IDlUnload();
  IDlLoad(IDD_PLAIN);
  IDlUnload();
  EXPECT_TRUE(IsWindowEnabled(Root().frame)) << "enabled again after the last unload";
  EXPECT_EQ(Dialogs().semiModalCount, 0);
}

TEST_F(ResourceDialogTest, AChildTemplateIsOnlyModelessAndNeedsTheRootShown) {
  IDlLoad(IDD_CHILD);
  ASSERT_EQ(LastError(), 0);
  const HWND dialog = LoadedWindow();
  EXPECT_EQ(GetParent(dialog), Root().drawingArea);
  IDlShow(-1, -1, 0, 1);
  EXPECT_EQ(LastError(), 1014);
  EXPECT_TRUE(IsWindowVisible(dialog)) << "shown modeless instead";
  EXPECT_EQ(win::CurrentDialog()->mode, 2);
  const RECT area = ClientRectOf(Root().drawingArea);
  const RECT r = ChildRect(dialog);
  EXPECT_EQ(r.left, (area.right - (r.right - r.left)) / 2) << "centred in the drawing area";
  IDlUnload();

  IDlLoad(IDD_CHILD);
  ShowWindow(Root().frame, SW_HIDE);
  IDlShow(-1, -1);
  EXPECT_EQ(LastError(), 1016);
  EXPECT_FALSE(IsWindowVisible(LoadedWindow()));
  ShowWindow(Root().frame, SW_SHOW);
}

// How a modal run may end, and what IDlInfo says afterwards.
struct Ending {
  const char* how;
  ModalDriver::Action action;
  int exitButton;
};

TEST_F(ResourceDialogTest, ModalRunsEndedEveryWayKeepTheTypedTexts) {
  const std::vector<Ending> endings = {
      {"OK", ModalDriver::Press(IDOK), 1},
      {"cancel command", [](HWND box, const SeenBox&) { PostMessageA(box, WM_COMMAND, IDCANCEL, 0); }, 2},
      {"Esc", [](HWND, const SeenBox&) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }, 2},
      {"close box", [](HWND box, const SeenBox&) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }, 2},
  };
  int round = 0;
  for (const Ending& e : endings) {
    IDlLoad(IDD_PLAIN);
    IDlPutString(IDF_PLAIN_REAL, "2.5");
    const HWND loaded = LoadedWindow();
    const std::string typed = std::to_string(++round) + ".75";
    struct Seen {
      std::string text;
      bool loadedHidden = false, rootDisabled = false, focusOnField = false;
      RECT rect{};
      HWND owner = nullptr;
    } seen;
    ModalDriver driver({[&](HWND box, const SeenBox& s) {
      seen.text = FieldText(box, IDF_PLAIN_REAL);
      seen.loadedHidden = !IsWindowVisible(loaded);
      seen.rootDisabled = !IsWindowEnabled(Root().frame);
      seen.focusOnField = GetFocus() == GetDlgItem(box, IDF_PLAIN_REAL);
      seen.rect = WindowRectOf(box);
      seen.owner = GetWindow(box, GW_OWNER);
      SetWindowTextA(GetDlgItem(box, IDF_PLAIN_REAL), typed.c_str());
      e.action(box, s);
    }});
    Dialogs().items[2] = 77;
    IDlShow(-1, -1, IDF_PLAIN_REAL, 1);
    ASSERT_EQ(driver.Seen().size(), 1u) << e.how;
    EXPECT_EQ(driver.Seen()[0].caption, "Plain") << e.how;
    EXPECT_EQ(seen.text, "2.5") << e.how << ": the modal instance takes over the texts";
    EXPECT_TRUE(seen.loadedHidden) << e.how;
    EXPECT_TRUE(seen.rootDisabled) << e.how << ": the modal lock";
    EXPECT_TRUE(seen.focusOnField) << e.how << ": the focus field";
    EXPECT_EQ(seen.owner, Root().frame) << e.how;
    const int w = seen.rect.right - seen.rect.left, h = seen.rect.bottom - seen.rect.top;
    EXPECT_EQ(seen.rect.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2) << e.how << ": centred";
    EXPECT_EQ(seen.rect.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2) << e.how << ": centred";

    EXPECT_EQ(IDlInfo(1), e.exitButton) << e.how;
    EXPECT_EQ(IDlInfo(2), IDF_PLAIN_REAL) << e.how << ": the field that had the focus";
    EXPECT_EQ(IDlInfo(5), IDD_PLAIN) << e.how;
    EXPECT_EQ(FieldText(loaded, IDF_PLAIN_REAL), typed) << e.how << ": typed text in the loaded dialog";
    EXPECT_FALSE(IsWindowVisible(loaded)) << e.how;
    EXPECT_TRUE(IsWindowEnabled(Root().frame)) << e.how << ": lock lifted";
    EXPECT_FALSE(win::SnapshotsActive()) << e.how << ": snapshots released";
    float value = 0;
    IDlGetReal(IDF_PLAIN_REAL, value);
    EXPECT_FLOAT_EQ(value, std::stof(typed)) << e.how;
    IDlUnload();
  }
}

TEST_F(ResourceDialogTest, UnloadThenLoadGivesTheResourcesTexts) {
  IDlLoad(IDD_PLAIN);
  IDlPutString(IDF_PLAIN_REAL, "9.25");
  ModalDriver driver({ModalDriver::Press(IDOK)});
  IDlShow(-1, -1, 0, 1);
  EXPECT_EQ(FieldText(LoadedWindow(), IDF_PLAIN_REAL), "9.25") << "kept across a show";
  IDlUnload();
  EXPECT_EQ(IDlInfo(3), 0);
  IDlLoad(IDD_PLAIN);
  EXPECT_EQ(FieldText(LoadedWindow(), IDF_PLAIN_REAL), "0.0") << "created anew from the resource";
}

TEST_F(ResourceDialogTest, StopHidesAndDestroysEveryDialog) {
  IDlLoad(IDD_PLAIN);
  const HWND shown = LoadedWindow();
  IDlShow(-1, -1);
  IDlLoad(IDD_FIELDS);
  const HWND hidden = LoadedWindow();
  IWnStop();
  EXPECT_FALSE(IsWindow(shown));
  EXPECT_FALSE(IsWindow(hidden));
  EXPECT_TRUE(Dialogs().loaded.empty());
  EXPECT_TRUE(Dialogs().modeless.empty());
  for (int item = 1; item <= 5; ++item) EXPECT_EQ(IDlInfo(item), 0) << "item " << item;
  IWnOpenRoot(ConverterSpec());  // for the fixture's own stop
}

}  // namespace
}  // namespace qh::test

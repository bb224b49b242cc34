// IWnMessageBox and IDlInfo under Wine: buttons, default button, icon and answer of
// every kind, the texts, the owner and modal lock, and the window snapshots that
// keep the root window's picture while boxes (also nested ones) are up.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "boxes.h"
#include "layer_state.h"
#include "modal_driver.h"
#include "resource_dialogs.h"
#include "services/services.h"
#include "test_resource_ids.h"
#include "win32_test_support.h"

namespace {

using namespace qh::test;
using qh::win::Dialogs;
using qh::win::Windows;

class MessageBoxTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    qh::IWnStart(" ");
    qh::IWnOpenRoot(ConverterSpec());
  }
  void SetUp() override {
    ASSERT_TRUE(Windows().rootOpen);
    Settle();
    qh::IErInfo(1);
  }
};

TEST_F(MessageBoxTest, ButtonsDefaultButtonAndAnswerOfEveryKind) {
  struct Case {
    int kind, defaultButton;
    std::vector<int> buttons;
    int expectDefault;
    int press;
    int answer;
  };
  const std::vector<Case> cases = {
      {0, 5, {IDOK}, IDOK, IDOK, 1},
      {1, 2, {IDOK, IDCANCEL}, IDCANCEL, IDCANCEL, 0},
      {1, 7, {IDOK, IDCANCEL}, IDCANCEL, IDOK, 1},
      {1, 1, {IDOK, IDCANCEL}, IDOK, IDOK, 1},
      {2, 1, {IDRETRY, IDCANCEL}, IDRETRY, IDRETRY, 1},
      {2, 0, {IDRETRY, IDCANCEL}, IDCANCEL, IDCANCEL, 0},
      {3, 2, {IDYES, IDNO}, IDNO, IDNO, 2},
      {3, 1, {IDYES, IDNO}, IDYES, IDYES, 1},
      {4, 3, {IDYES, IDNO, IDCANCEL}, IDCANCEL, IDCANCEL, 0},
      {4, 2, {IDYES, IDNO, IDCANCEL}, IDNO, IDNO, 2},
      {4, 0, {IDYES, IDNO, IDCANCEL}, IDCANCEL, IDYES, 1},
      {5, 1, {IDABORT, IDRETRY, IDIGNORE}, IDABORT, IDABORT, 2},
      {5, 2, {IDABORT, IDRETRY, IDIGNORE}, IDRETRY, IDRETRY, 1},
      {5, 9, {IDABORT, IDRETRY, IDIGNORE}, IDIGNORE, IDIGNORE, 0},
      {6, 3, {IDOK}, IDOK, IDOK, 1},
      {-1, 2, {IDOK}, IDOK, IDOK, 1},
  };
  for (const Case& c : cases) {
    Dialogs().items[2] = 55;  // sentinel: a box sets item 2 to 0
    ModalDriver driver({ModalDriver::Press(c.press)});
    qh::IWnMessageBox(c.kind, 3, c.defaultButton, "Message", "Title");
    const std::string label =
        "kind " + std::to_string(c.kind) + " default " + std::to_string(c.defaultButton);
    ASSERT_EQ(driver.Seen().size(), 1u) << label;
    const SeenBox& seen = driver.Seen()[0];
    EXPECT_EQ(Ids(seen.buttons), Ids(c.buttons)) << label;
    EXPECT_EQ(seen.defaultButton, c.expectDefault) << label;
    EXPECT_EQ(qh::IDlInfo(4), c.answer) << label;
    EXPECT_EQ(qh::IDlInfo(2), 0) << label;
    EXPECT_EQ(qh::IErInfo(1), 0) << label;
  }
}

TEST_F(MessageBoxTest, IconsTextsAndOwner) {
  struct Case {
    int icon;
    LPCSTR expected;  // null: no icon
  };
  const std::vector<Case> cases = {
      {1, IDI_HAND}, {2, IDI_QUESTION}, {3, IDI_EXCLAMATION}, {4, IDI_ASTERISK},
      {0, nullptr},  {5, nullptr},
  };
  for (const Case& c : cases) {
    bool ownerDisabled = false;
    HWND owner = nullptr;
    ModalDriver driver({[&](HWND box, const SeenBox&) {
      owner = GetWindow(box, GW_OWNER);
      ownerDisabled = !IsWindowEnabled(Root().frame);
      PressButton(box, IDOK);
    }});
    qh::IWnMessageBox(0, c.icon, 1, "First line\rSecond line   ", "A title     ");
    ASSERT_EQ(driver.Seen().size(), 1u) << "icon " << c.icon;
    const SeenBox& seen = driver.Seen()[0];
    const HICON expected = c.expected ? LoadIcon(nullptr, c.expected) : nullptr;
    EXPECT_EQ(seen.icon, expected) << "icon " << c.icon;
    EXPECT_EQ(seen.caption, "A title") << "icon " << c.icon;
    EXPECT_EQ(seen.text, "First line\rSecond line") << "icon " << c.icon;
    EXPECT_EQ(owner, Root().frame) << "the root window owns the box";
    EXPECT_TRUE(ownerDisabled) << "the root window is disabled while the box is up";
    EXPECT_TRUE(IsWindowEnabled(Root().frame)) << "and enabled again afterwards";
  }
}

COLORREF PixelOfArea(int x, int y) {
  HDC dc = GetDC(Root().drawingArea);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(Root().drawingArea, dc);
  return c;
}

void PaintMark() {
  HDC dc = GetDC(Root().drawingArea);
  RECT r{0, 0, 40, 40};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(Root().drawingArea, dc);
}

// A shown dialog with a drawing field: its picture is kept for the box's life too. The
// field is scribbled on while the box is up, as an uncovered area is on a display that
// keeps no copy of it; its next paint brings the picture back.
TEST_F(MessageBoxTest, ADrawingFieldOfAShownDialogRepaintsFromTheDialogsSnapshot) {
  qh::IDlLoad(IDD_DRAWING);
  qh::IDlShow(-1, -1, 0, 2);
  ASSERT_EQ(qh::IErInfo(1), 0);
  qh::win::LoadedDialog* d = qh::win::CurrentDialog();
  ASSERT_NE(d, nullptr);
  const HWND field = GetDlgItem(d->hwnd, IDF_DRAWING);
  ASSERT_NE(field, nullptr);
  Settle();
  auto fill = [field](int stockBrush) {
    HDC dc = GetDC(field);
    RECT r{0, 0, 30, 30};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(stockBrush)));
    ReleaseDC(field, dc);
  };
  auto pixel = [field] {
    HDC dc = GetDC(field);
    const COLORREF c = GetPixel(dc, 5, 5);
    ReleaseDC(field, dc);
    return c;
  };
  fill(BLACK_BRUSH);
  ASSERT_EQ(pixel(), RGB(0, 0, 0));

  int count = -1;
  COLORREF scribbled = CLR_INVALID, repainted = CLR_INVALID;
  ModalDriver driver({[&](HWND box, const SeenBox&) {
    count = qh::win::CurrentDialog()->snapshot.useCount;
    fill(WHITE_BRUSH);
    scribbled = pixel();
    RedrawWindow(field, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    repainted = pixel();
    PressButton(box, IDOK);
  }});
  qh::IWnMessageBox(0, 0, 1, "over the dialog", "Box");
  EXPECT_EQ(count, 1) << "the dialog's snapshot while the box is up";
  EXPECT_EQ(scribbled, RGB(255, 255, 255));
  EXPECT_EQ(repainted, RGB(0, 0, 0)) << "the field repainted from the dialog's snapshot";
  EXPECT_EQ(qh::win::CurrentDialog()->snapshot.bitmap, nullptr) << "released after the box";
  EXPECT_EQ(pixel(), RGB(0, 0, 0)) << "and drawn back";
  EXPECT_EQ(driver.Unused(), 0u);
  qh::IDlUnload();
}

TEST_F(MessageBoxTest, WindowRepaintsFromItsSnapshotAndNestedBoxesShareIt) {
  PaintMark();
  ASSERT_EQ(PixelOfArea(5, 5), RGB(0, 0, 0)) << "the mark must stand before the box";

  struct Observed {
    bool active = false;
    bool bitmap = false;
    int count = -1;
    COLORREF pixelAfterRepaint = CLR_INVALID;
    bool pendingEmpty = false;
  };
  Observed outer, inner, outerAfterInner;
  auto observe = [](Observed& o) {
    o.active = qh::win::SnapshotsActive();
    o.bitmap = Root().snapshot.bitmap != nullptr;
    o.count = Root().snapshot.useCount;
    RedrawWindow(Root().drawingArea, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    o.pixelAfterRepaint = PixelOfArea(5, 5);
    o.pendingEmpty = Root().pending.Empty();
  };
  int innerAnswer = -5;
  ModalDriver driver({
      [&](HWND box, const SeenBox&) {
        observe(outer);
        qh::IWnMessageBox(0, 0, 1, "inner", "Inner");  // nested, ended by the next step
        innerAnswer = qh::IDlInfo(4);
        observe(outerAfterInner);
        PressButton(box, IDCANCEL);
      },
      [&](HWND box, const SeenBox&) {
        observe(inner);
        PressButton(box, IDOK);
      },
  });
  qh::IWnMessageBox(1, 0, 1, "outer", "Outer");

  struct Row {
    const char* when;
    const Observed& o;
    int count;
  };
  for (const Row& r : {Row{"outer box", outer, 1}, Row{"nested box", inner, 2},
                       Row{"outer box after the nested one", outerAfterInner, 1}}) {
    EXPECT_TRUE(r.o.active) << r.when;
    EXPECT_TRUE(r.o.bitmap) << r.when;
    EXPECT_EQ(r.o.count, r.count) << r.when << ": use count";
    EXPECT_EQ(r.o.pixelAfterRepaint, RGB(0, 0, 0)) << r.when << ": repainted from the snapshot";
    EXPECT_TRUE(r.o.pendingEmpty) << r.when << ": no redraw is kept while a box is up";
  }
  EXPECT_EQ(innerAnswer, 1) << "nested box answer";
  EXPECT_EQ(qh::IDlInfo(4), 0) << "outer box answer (Cancel)";
  EXPECT_FALSE(qh::win::SnapshotsActive()) << "after the boxes";
  EXPECT_EQ(Root().snapshot.bitmap, nullptr) << "snapshot released";
  EXPECT_EQ(Root().snapshot.useCount, 0);
  EXPECT_EQ(PixelOfArea(5, 5), RGB(0, 0, 0)) << "the picture is drawn back";
  EXPECT_EQ(driver.Unused(), 0u);
}

// ---------------------------------------------------------------- IDlInfo

TEST(DialogInfo, ItemsAndCurrentDialogRectangle) {
  auto& items = Dialogs().items;
  for (int i = 1; i <= 5; ++i) items[i] = 100 + i;
  HWND dialog = CreateWindowA("STATIC", "d", WS_POPUP, 40, 30, 200, 120, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(dialog, nullptr);
  static HWND current;
  current = dialog;
  qh::win::SetCurrentDialogLookup([]() { return current; });
  struct Case {
    int item, expected;
  };
  const Case cases[] = {{1, 101}, {2, 102}, {3, 103}, {4, 104}, {5, 105}, {6, 40},
                        {7, 30},  {8, 200}, {9, 120}, {0, 0},   {10, 0},  {-1, 0}};
  for (const Case& c : cases) EXPECT_EQ(qh::IDlInfo(c.item), c.expected) << "item " << c.item;
  current = nullptr;
  for (int item = 6; item <= 9; ++item) {
    EXPECT_EQ(qh::IDlInfo(item), 0) << "item " << item << " without a current dialog";
  }
  qh::win::SetCurrentDialogLookup(nullptr);
  DestroyWindow(dialog);
  for (int i = 1; i <= 5; ++i) items[i] = 0;
}

}  // namespace

// Numeric dialog fields under Wine: IDlPutReal / IDlPutDouble / IDlPutInteger with
// their formats, asterisks and ranges; IDlGetReal on the texts a user may leave; the
// keystroke filters of the four classes; and the check of a field's text when the
// focus leaves it or a push button is pressed in a modal run.
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/error_codes.h"
#include "core/error_state.h"
#include "modal_driver.h"
#include "resource_dialogs.h"
#include "win32_test_support.h"

namespace qh::test {
namespace {

using win::Dialogs;

HWND Dialog() { return win::CurrentDialog()->hwnd; }
HWND Field(int id) { return GetDlgItem(Dialog(), id); }
std::string TextOf(int id) { return WindowText(Field(id)); }

// Runs the messages that are waiting, as the modal loop would, so that a posted
// press has been handled when this returns.
void Pump(HWND box) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (IsDialogMessageA(box, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::pair<DWORD, DWORD> Selection(HWND field) {
  DWORD start = 0, end = 0;
  SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {start, end};
}

class NumericFieldTest : public RootWindowTest {
 protected:
  void SetUp() override {
    RootWindowTest::SetUp();
    IDlLoad(IDD_FIELDS);
    ASSERT_EQ(LastError(), 0);
  }
};

TEST_F(NumericFieldTest, PuttingNumbers) {
  struct Case {
    const char* label;
    void (*put)();
    int field;
    const char* text;
    int code;
  };
  const Case cases[] = {
      {"F8.5 -1.5", [] { IDlPutReal(IDF_REAL, -1.5f, "(F8.5)"); }, IDF_REAL, "-1.50000", 0},
      {"F8.5 2.25", [] { IDlPutReal(IDF_REAL, 2.25f, "(F8.5)"); }, IDF_REAL, "2.25000", 0},
      {"F8.5 0", [] { IDlPutReal(IDF_REAL, 0.0f, "(F8.5)"); }, IDF_REAL, "0.00000", 0},
      {"F8.5 123", [] { IDlPutReal(IDF_REAL, 123.0f, "(F8.5)"); }, IDF_REAL, "**********", 18},
      {"F8.5 -12.5", [] { IDlPutReal(IDF_REAL, -12.5f, "(F8.5)"); }, IDF_REAL, "**********", 18},
      {"no format 1.5", [] { IDlPutReal(IDF_REAL, 1.5f); }, IDF_REAL, "1.5000", 0},
      {"blank format", [] { IDlPutReal(IDF_REAL, 0.25f, "   "); }, IDF_REAL, "0.25000", 0},
      {"double", [] { IDlPutDouble(IDF_DOUBLE, 1234567.0); }, IDF_DOUBLE, "0.12346E+07", 0},
      {"double F", [] { IDlPutDouble(IDF_DOUBLE, -0.125, "(F6.3)"); }, IDF_DOUBLE, "-0.125", 0},
      {"integer", [] { IDlPutInteger(IDF_INTEGER, -42); }, IDF_INTEGER, "-42", 0},
      {"in range", [] { IDlPutReal(IDF_REAL_RANGED, 10.0f, "(F5.2)"); }, IDF_REAL_RANGED, "10.00", 0},
      {"out of range", [] { IDlPutReal(IDF_REAL_RANGED, 11.0f, "(F5.2)"); }, IDF_REAL_RANGED, "10.00", 1009},
      {"below range", [] { IDlPutReal(IDF_REAL_RANGED, -0.5f); }, IDF_REAL_RANGED, "10.00", 1009},
  };
  for (const Case& c : cases) {
    c.put();
    EXPECT_EQ(LastError(), c.code) << c.label;
    EXPECT_EQ(TextOf(c.field), c.text) << c.label;
  }
}

TEST_F(NumericFieldTest, ReadingNumbersBack) {
  struct Case {
    const char* text;
    float value;
    int code;
  };
  const Case cases[] = {
      {"1.5", 1.5f, 0},        {"-.25", -0.25f, 0},     {"2.5E3", 2500.0f, 0},
      {"1.5e-2", 0.015f, 0},   {"12 abc", 12.0f, 0},    {"1.2.3", 0.0f, 11},
      {"1,5", 0.0f, 12},       {"1.5E+39", 0.0f, 4},    {"0.5-100", 0.0f, 0},
      {"", -999.0f, 1010},     {"    ", -999.0f, 1010}, {"**********", 0.0f, 12},
  };
  for (const Case& c : cases) {
    SetWindowTextA(Field(IDF_REAL), c.text);
    float value = 77.0f;
    IDlGetReal(IDF_REAL, value);
    EXPECT_EQ(LastError(), c.code) << "\"" << c.text << "\"";
    EXPECT_FLOAT_EQ(value, c.value) << "\"" << c.text << "\"";
  }
  // A good read puts the last error back as it was; an empty field replaces it.
  SetWindowTextA(Field(IDF_REAL), "3");
  IErReport(77);
  float value = 0;
  IDlGetReal(IDF_REAL, value);
  EXPECT_EQ(LastError(), 77) << "restored after a good read";
  SetWindowTextA(Field(IDF_REAL), "");
  IErReport(77);
  IDlGetReal(IDF_REAL, value);
  EXPECT_EQ(LastError(), 1010);
}

TEST_F(NumericFieldTest, TypedCharactersAreFilteredPerClass) {
  struct Case {
    int field;
    const char* typed;
    const char* text;
    int beeps;
  };
  const Case cases[] = {
      {IDF_REAL, "1.5e-3", "1.5E-3", 0},
      {IDF_REAL, "x", "", 1},
      {IDF_REAL, "2d", "2", 1},
      {IDF_REAL, "1 2", "12", 1},
      {IDF_DOUBLE, "1d+2e", "1D+2E", 0},
      {IDF_INTEGER, "-12.5", "-125", 1},
      {IDF_INTEGER, "+3e", "+3", 1},
      {IDF_SPIN, "42", "42", 0},
      {IDF_REAL, "12\b3", "13", 0},
  };
  for (const Case& c : cases) {
    const HWND field = Field(c.field);
    SetWindowTextA(field, "");
    const int before = Dialogs().beepCount;
    for (const char* p = c.typed; *p; ++p) SendMessageA(field, WM_CHAR, static_cast<unsigned char>(*p), 1);
    EXPECT_EQ(WindowText(field), c.text) << "typed \"" << c.typed << "\" into " << c.field;
    EXPECT_EQ(Dialogs().beepCount - before, c.beeps) << "beeps for \"" << c.typed << "\" into " << c.field;
  }
  // Character 1 selects the whole text.
  const HWND field = Field(IDF_REAL);
  SetWindowTextA(field, "12.5");
  SendMessageA(field, EM_SETSEL, 1, 1);
  SendMessageA(field, WM_CHAR, 1, 1);
  EXPECT_EQ(Selection(field), (std::pair<DWORD, DWORD>{0, 4}));
  EXPECT_EQ(WindowText(field), "12.5");
  // A standard edit field takes everything.
  SetWindowTextA(Field(IDF_EDIT), "");
  SendMessageA(Field(IDF_EDIT), WM_CHAR, 'x', 1);
  EXPECT_EQ(TextOf(IDF_EDIT), "x");
}

TEST_F(NumericFieldTest, OkWithAnInvalidFieldBeepsKeepsTheDialogAndSelectsTheText) {
  struct Seen {
    bool openAfterOk = false;
    int beeps = 0;
    std::pair<DWORD, DWORD> selection{99, 99};
    bool focusKept = false;
  } seen;
  IDlPutReal(IDF_REAL, 1.5f);
  ModalDriver driver({[&](HWND box, const SeenBox&) {
    const HWND field = GetDlgItem(box, IDF_REAL);
    SetFocus(field);
    SetWindowTextA(field, "1.5x");  // pasted text is not filtered
    const int before = Dialogs().beepCount;
    PressButton(box, IDOK);
    Pump(box);
    seen.openAfterOk = IsWindow(box) && IsWindowVisible(box);
    seen.beeps = Dialogs().beepCount - before;
    seen.selection = Selection(field);
    seen.focusKept = GetFocus() == field;
    SetWindowTextA(field, "2.5");
    PressButton(box, IDOK);
  }});
  IDlShow(-1, -1, IDF_REAL, 1);
  EXPECT_TRUE(seen.openAfterOk) << "OK with 1.5x must not end the dialog";
  EXPECT_GE(seen.beeps, 1);
  EXPECT_EQ(seen.selection, (std::pair<DWORD, DWORD>{0, 4})) << "the whole text selected";
  EXPECT_TRUE(seen.focusKept);
  EXPECT_EQ(IDlInfo(1), IDOK);
  float value = 0;
  IDlGetReal(IDF_REAL, value);
  EXPECT_FLOAT_EQ(value, 2.5f);
}

// A dialog whose owner checks the fields itself: OK ends the run on a text that is no
// number, whether the focus moves to OK first (a click) or not (Enter), and the owner
// reads the text and its fault afterwards.
TEST_F(NumericFieldTest, WithoutTheCheckOnOkAnInvalidTextEndsTheRunForTheOwner) {
  IDlCheckOnOk(false);
  for (const bool focusToOk : {true, false}) {
    IDlPutReal(IDF_REAL, 1.5f);
    int beeps = -1;
    ModalDriver driver({[&](HWND box, const SeenBox&) {
      const HWND field = GetDlgItem(box, IDF_REAL);
      SetFocus(field);
      SetWindowTextA(field, "1.2.3E");
      const int before = Dialogs().beepCount;
      if (focusToOk) {
        SetFocus(GetDlgItem(box, IDOK));
        Pump(box);
      }
      beeps = Dialogs().beepCount - before;
      PressButton(box, IDOK);
    }});
    IDlShow(-1, -1, IDF_REAL, 1);
    EXPECT_EQ(beeps, 0) << "focus to OK " << focusToOk;
    EXPECT_EQ(IDlInfo(1), IDOK) << "focus to OK " << focusToOk;
    EXPECT_EQ(TextOf(IDF_REAL), "1.2.3E") << "the text stays for the owner to read";
    IErInfo(1);
    float value = 7;
    IDlGetReal(IDF_REAL, value);
    EXPECT_EQ(IErInfo(1), kErrTwoDecimalPoints) << "the owner learns the text is no number";
  }
  IDlCheckOnOk(true);
}

TEST_F(NumericFieldTest, AnotherButtonWithAnInvalidFieldPutsBackTheTextItHadAtTheFocus) {
  IDlPutReal(IDF_REAL_RANGED, 5.0f, "(F4.1)");
  ModalDriver driver({[&](HWND box, const SeenBox&) {
    SetWindowTextA(GetDlgItem(box, IDF_REAL_RANGED), "11");  // out of its range 0..10
    PressButton(box, IDB_OTHER);
  }});
  IDlShow(-1, -1, IDF_REAL_RANGED, 1);
  EXPECT_EQ(IDlInfo(1), IDB_OTHER);
  EXPECT_EQ(IDlInfo(2), IDF_REAL_RANGED);
  EXPECT_EQ(TextOf(IDF_REAL_RANGED), "5.0") << "the text it held when it got the focus, not 11";
}

TEST_F(NumericFieldTest, LeavingAnInvalidFieldForAnotherFieldTakesTheFocusBack) {
  struct Step {
    const char* label;
    int from;
    const char* text;
    int to;
    bool back;  // the focus returns to `from`
  };
  const std::vector<Step> steps = {
      {"letter, to another field", IDF_REAL, "1x", IDF_DOUBLE, true},
      {"out of range, to a check box", IDF_REAL_RANGED, "11", IDF_CHECK, true},
      {"in range", IDF_REAL_RANGED, "10", IDF_DOUBLE, false},
      {"letter, to a button other than OK", IDF_REAL, "1x", IDB_OTHER, false},
      {"letter, to OK", IDF_REAL, "1x", IDOK, true},
      {"empty is valid", IDF_REAL, "", IDF_DOUBLE, false},
      {"two invalid fields", IDF_REAL, "1x", IDF_INTEGER, true},
  };
  std::vector<std::string> failures;
  ModalDriver driver({[&](HWND box, const SeenBox&) {
    SetWindowTextA(GetDlgItem(box, IDF_INTEGER), "3.5");  // invalid as well, never left
    for (const Step& s : steps) {
      const HWND from = GetDlgItem(box, s.from);
      SetFocus(from);
      SetWindowTextA(from, s.text);
      const int before = Dialogs().beepCount;
      SetFocus(GetDlgItem(box, s.to));
      Pump(box);
      const bool back = GetFocus() == from;
      const int beeps = Dialogs().beepCount - before;
      if (back != s.back || beeps != (s.back ? 1 : 0))
        failures.push_back(std::string(s.label) + ": focus back " + std::to_string(back) +
                           ", beeps " + std::to_string(beeps));
      if (back && Selection(from) != std::pair<DWORD, DWORD>{0, static_cast<DWORD>(strlen(s.text))})
        failures.push_back(std::string(s.label) + ": text not selected");
      SetWindowTextA(from, "1");
    }
    SetWindowTextA(GetDlgItem(box, IDF_INTEGER), "3");
    PressButton(box, IDOK);
  }});
  IDlShow(-1, -1, 0, 1);
  EXPECT_TRUE(failures.empty()) << [&] {
    std::string all;
    for (const std::string& f : failures) all += "\n  " + f;
    return all;
  }();
  EXPECT_EQ(IDlInfo(1), IDOK);
}

TEST_F(NumericFieldTest, TheSpinFieldStepsWithinItsRange) {
  const HWND field = Field(IDF_SPIN);
  const HWND spin = win::SpinOf(field);
  ASSERT_NE(spin, nullptr);
  SetWindowTextA(field, "9");
  SendMessageA(spin, UDM_SETPOS32, 0, 10);
  EXPECT_EQ(WindowText(field), "10");
  SendMessageA(spin, UDM_SETPOS32, 0, 12);
  EXPECT_EQ(WindowText(field), "10") << "held at the upper bound";
}

}  // namespace
}  // namespace qh::test

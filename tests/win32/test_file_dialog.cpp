// IDlSelectFile under Wine: the filter list and index, the initial folder and
// name, the title, the flags (save, prompts, several files), the current folder
// kept or restored, and a failing dialog that leaves the caller's name alone.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layer_state.h"
#include "modal_driver.h"
#include "services/services.h"
#include "win32_test_support.h"

namespace {

using namespace qh::test;

// What the open dialog showed when the driver met it.
struct DialogView {
  std::string title;
  std::string folder;  // the folder the dialog shows
  std::string nameField;    // the name field
  std::vector<std::string> filters;
  int selectedFilter = -1;
  std::vector<std::string> listed;  // names in the file list
};

std::string Strip(std::string s) {
  while (!s.empty() && s.back() == '\\') s.pop_back();
  return s;
}

void CollectListed(HWND parent, std::vector<std::string>& out) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (WindowClassName(c) == "SysListView32") {
      const int n = static_cast<int>(SendMessageA(c, 0x1004 /* LVM_GETITEMCOUNT */, 0, 0));
      for (int i = 0; i < n; ++i) {
        char text[MAX_PATH] = {};
        struct {
          UINT mask;
          int iItem, iSubItem;
          UINT state, stateMask;
          LPSTR pszText;
          int cchTextMax;
        } item{};
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageA(c, 0x102D /* LVM_GETITEMTEXTA */, i, reinterpret_cast<LPARAM>(&item));
        out.push_back(text);
      }
    }
    CollectListed(c, out);
  }
}

DialogView View(HWND dialog) {
  DialogView v;
  v.title = WindowText(dialog);
  char buffer[MAX_PATH] = {};
  SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(buffer));
  v.folder = Strip(buffer);
  buffer[0] = '\0';
  SendMessageA(dialog, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(buffer));
  v.nameField = buffer;
  HWND types = GetDlgItem(dialog, kFileTypeCombo);
  const int n = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char item[256] = {};
    SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    v.filters.push_back(item);
  }
  v.selectedFilter = static_cast<int>(SendMessageA(types, CB_GETCURSEL, 0, 0));
  CollectListed(dialog, v.listed);
  return v;
}

std::string Joined(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& x : v) s += "[" + x + "]";
  return s;
}

class FileDialog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    qh::IWnStart(" ");
    qh::IWnOpenRoot(ConverterSpec());
  }
  void SetUp() override {
    Settle();
    qh::IErInfo(1);
    home_ = CurrentFolderNow();
    dir_ = folder_.WithSeparator();
    other_ = dir_ + "other\\";
    CreateDirectoryA(other_.c_str(), nullptr);
    for (const char* f : {"a.psp", "b.psp", "notes.txt", "x.ov2"}) WriteFile(dir_ + f, "x");
    WriteFile(other_ + "o.psp", "o");
  }
  void TearDown() override { SetCurrentDirectoryA(home_.c_str()); }
  TempFolder folder_;
  std::string home_, dir_, other_;
};

std::string Name(const char* buffer, std::size_t n) { return std::string(buffer, n); }

TEST_F(FileDialog, OpenInTheCurrentFolderShowsTheFilterAndCancels) {
  SetCurrentDirectoryA(dir_.c_str());
  DialogView view;
  ModalDriver driver({[&](HWND box, const SeenBox&) {
    view = View(box);
    PressButton(box, IDCANCEL);
  }});
  char name[512];
  std::fill(std::begin(name), std::end(name), ' ');
  qh::win::Dialogs().items[2] = 9;
  qh::IDlSelectFile("Pushpin files (*.psp)|*.psp|", 2, name, "Open File");
  EXPECT_EQ(view.title, "Open File");
  EXPECT_EQ(view.folder, Strip(dir_)) << "opens in the current folder";
  EXPECT_EQ(Joined(view.filters), "[Pushpin files (*.psp)]");
  EXPECT_EQ(view.selectedFilter, 0);
  EXPECT_EQ(Joined(view.listed), "[other][a.psp][b.psp]") << "folders and only the .psp files";
  EXPECT_EQ(qh::IDlInfo(4), 0) << "cancelled";
  EXPECT_EQ(qh::IDlInfo(2), 0);
  EXPECT_EQ(Name(name, sizeof(name)), std::string(512, ' ')) << "name stays blank";
  EXPECT_EQ(qh::IErInfo(1), 0) << "a plain cancel is no error";
}

TEST_F(FileDialog, SaveStartsFromTheGivenNameAndAsksBeforeOverwriting) {
  std::vector<DialogView> views;
  ModalDriver driver({
      [&](HWND box, const SeenBox&) {
        views.push_back(View(box));
        PressButton(box, IDOK);
      },
      ModalDriver::Press(IDYES),  // the overwrite question
  });
  char name[512];
  qh::StoreText(name, "  " + dir_ + "x.ov2");
  int index = 1;
  qh::IDlSelectFile("Overlay files (*.ov2)|*.ov2|", 3, name, "Save File", &index);
  ASSERT_EQ(views.size(), 1u);
  EXPECT_EQ(views[0].folder, Strip(dir_)) << "initial folder";
  EXPECT_EQ(views[0].nameField, "x.ov2") << "initial name";
  ASSERT_EQ(driver.Seen().size(), 2u) << "an overwrite question should follow";
  EXPECT_EQ(Ids(driver.Seen()[1].buttons), Ids({IDYES, IDNO})) << "the question";
  EXPECT_EQ(qh::IDlInfo(4), 1);
  EXPECT_EQ(index, 1);
  std::string expected = dir_ + "x.ov2";
  expected.resize(512, ' ');
  EXPECT_EQ(Name(name, sizeof(name)), expected);
}

TEST_F(FileDialog, FlagsDecideThePrompts) {
  struct Case {
    const char* name;
    int flags;
    std::string typed;
    bool prompt;  // a question box follows the dialog
    std::string result;
  };
  const std::vector<Case> cases = {
      {"save without prompt flag overwrites silently", 1, "x.ov2", false, dir_ + "x.ov2"},
      {"open with prompt asks before a new name", 2, "new.psp", true, dir_ + "new.psp"},
      {"open without prompt takes an existing name", 0, "a.psp", false, dir_ + "a.psp"},
  };
  for (const Case& c : cases) {
    ModalDriver driver({ModalDriver::TypeAndOk(c.typed), ModalDriver::Press(IDYES)});
    char name[300];
    qh::StoreText(name, dir_);
    qh::IDlSelectFile("All|*.*|", c.flags, name, "T");
    EXPECT_EQ(driver.Seen().size(), c.prompt ? 2u : 1u) << c.name;
    EXPECT_EQ(qh::IDlInfo(4), 1) << c.name;
    EXPECT_EQ(std::string(qh::Trimmed(std::string_view(name, sizeof(name)))), c.result) << c.name;
  }
}

TEST_F(FileDialog, OtherSeparatorIndexAndBlankTitle) {
  DialogView view;
  ModalDriver driver({[&](HWND box, const SeenBox&) {
    view = View(box);
    SetWindowTextA(FileNameField(box), "notes.txt");
    PressButton(box, IDOK);
  }});
  char name[260];
  qh::StoreText(name, dir_);
  int index = 2;
  qh::IDlSelectFile("Pushpins;*.psp;Texts;*.txt;", 0, name, "   ", &index);
  EXPECT_EQ(view.title, "Select File");
  EXPECT_EQ(Joined(view.filters), "[Pushpins][Texts]");
  EXPECT_EQ(view.selectedFilter, 1) << "the index picks the second pair";
  EXPECT_EQ(Joined(view.listed), "[other][notes.txt]") << "folders and the second pattern";
  EXPECT_EQ(index, 2);
  EXPECT_EQ(std::string(qh::Trimmed(std::string_view(name, sizeof(name)))), dir_ + "notes.txt");
}

TEST_F(FileDialog, CurrentFolderRestoredUnlessKept) {
  struct Case {
    int flags;
    std::string after;
  };
  const std::vector<Case> cases = {{0, Strip(dir_)}, {8, Strip(other_)}};
  for (const Case& c : cases) {
    SetCurrentDirectoryA(dir_.c_str());
    ModalDriver driver({[&](HWND box, const SeenBox&) {
      // Stands for the dialog moving the current folder while the user browses.
      SetCurrentDirectoryA(other_.c_str());
      SetWindowTextA(FileNameField(box), (other_ + "o.psp").c_str());
      PressButton(box, IDOK);
    }});
    char name[260];
    qh::StoreText(name, "");
    qh::IDlSelectFile("P|*.psp|", c.flags, name, "T");
    EXPECT_EQ(qh::IDlInfo(4), 1) << "flags " << c.flags;
    EXPECT_EQ(Strip(CurrentFolderNow()), c.after) << "flags " << c.flags;
  }
}

TEST_F(FileDialog, SeveralFilesComeBackNulSeparated) {
  ModalDriver driver({ModalDriver::TypeAndOk("\"a.psp\" \"b.psp\"")});
  char name[300];
  qh::StoreText(name, dir_);
  qh::IDlSelectFile("P|*.psp|", 16, name, "T");
  ASSERT_EQ(qh::IDlInfo(4), 1);
  std::string expected = Strip(dir_) + std::string(1, '\0') + "a.psp" + std::string(1, '\0') + "b.psp";
  expected.resize(sizeof(name), ' ');
  EXPECT_EQ(Name(name, sizeof(name)), expected);
}

TEST_F(FileDialog, FailingDialogLeavesTheNameAndSpoilsNoLaterBox) {
  // A name buffer too short for the chosen path makes the system dialog fail.
  ModalDriver driver({ModalDriver::TypeAndOk(dir_ + "a.psp"), ModalDriver::Press(IDOK)});
  char name[12];
  qh::StoreText(name, "short.psp");
  qh::IDlSelectFile("P|*.psp|", 0, name, "T");
  EXPECT_EQ(qh::IDlInfo(4), 0) << "failed dialog";
  EXPECT_EQ(qh::IErInfo(1), 1004) << "common-dialog error";
  EXPECT_EQ(Name(name, sizeof(name)), "short.psp   ") << "name unchanged";

  // The common-dialog error indicator still holds that failure; a message box
  // after it must still answer normally.
  qh::IWnMessageBox(0, 0, 1, "after", "After");
  EXPECT_EQ(qh::IDlInfo(4), 1) << "message box after a failed file dialog";
  EXPECT_EQ(qh::IErInfo(1), 0);
  EXPECT_EQ(driver.Seen().size(), 2u);
}

}  // namespace

// The resources built into Quillhaven.exe, read back from the finished program the way
// the window services read them: the menu and its path table, the toolbar button list
// and strip, the tip strings, the icon and the version block.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// winuser.h names a cursor IDC_HELP; here it is the program's Help command.
#undef IDC_HELP
#include "converter/command_ids.h"
#include "tests/support/temp_folder.h"

namespace {

// The build passes Unix paths; Wine's drive Z: is the Unix root.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') {
    for (char& c : path)
      if (c == '/') c = '\\';
    path = "Z:" + path;
  }
  return path;
}

std::string ProgramPath() { return WindowsPath(QH_PROGRAM_EXE); }

class ProgramResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  static void TearDownTestSuite() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(module_, nullptr) << "cannot load " << ProgramPath() << " as data, error "
                                << GetLastError();
  }

  // The 16-bit words of an RCDATA resource; empty when it is missing.
  static std::vector<std::uint16_t> Words(int id) {
    HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return {};
    const DWORD size = SizeofResource(module_, found);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module_, found)));
    std::vector<std::uint16_t> words;
    for (DWORD i = 0; i + 1 < size; i += 2) words.push_back(std::uint16_t(bytes[i] | bytes[i + 1] << 8));
    return words;
  }

  static inline HMODULE module_ = nullptr;
};

struct Item {
  std::string text;
  UINT id;
  bool checked;
};

std::vector<Item> PopupItems(HMENU popup) {
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(popup); ++i) {
    char text[64] = {};
    GetMenuStringA(popup, UINT(i), text, sizeof text, MF_BYPOSITION);
    const UINT state = GetMenuState(popup, UINT(i), MF_BYPOSITION);
    items.push_back({text, GetMenuItemID(popup, i), (state & MF_CHECKED) != 0});
  }
  return items;
}

void ExpectItems(HMENU popup, const std::vector<Item>& expected, const char* menu) {
  const std::vector<Item> actual = PopupItems(popup);
  ASSERT_EQ(actual.size(), expected.size()) << "items of " << menu;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(actual[i].text, expected[i].text) << menu << " item " << i + 1;
    EXPECT_EQ(actual[i].id, expected[i].id) << menu << " item " << i + 1 << " (" << expected[i].text << ")";
    EXPECT_EQ(actual[i].checked, expected[i].checked) << menu << " item " << i + 1 << " check mark";
  }
}

TEST_F(ProgramResources, MainMenuHasTheThreePopupsWithTheirItems) {
  HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(IDM_MAIN));
  ASSERT_NE(menu, nullptr) << "menu " << IDM_MAIN << " missing";
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  const char* titles[] = {"&File", "&Option", "&Help"};
  for (int i = 0; i < 3; ++i) {
    char text[64] = {};
    GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, titles[i]) << "menu bar entry " << i + 1;
    EXPECT_NE(GetSubMenu(menu, i), nullptr) << titles[i] << " is not a pop-up";
  }
  ExpectItems(GetSubMenu(menu, 0),
              {{"&Open\tCtrl+O", IDC_OPEN, false}, {"&Save\tCtrl+S", IDC_SAVE, false},
               {"Save &As", IDC_SAVE_AS, false}, {"E&xit", IDC_EXIT, false}}, "File");
  ExpectItems(GetSubMenu(menu, 1),
              {{"&Ignore Notes", IDC_IGNORE_NOTES, true}, {"&Append Notes", IDC_APPEND_NOTES, false},
               {"&Offsets", IDC_OFFSETS, false}}, "Option");
  ExpectItems(GetSubMenu(menu, 2),
              {{"&Quillhaven\tF1", IDC_HELP, false}, {"&About", IDC_ABOUT, false}},
              "Help");
  DestroyMenu(menu);
}

TEST_F(ProgramResources, MenuPathTableNamesThePopupsByPosition) {
  const std::vector<std::uint16_t> expected{IDM_FILE_POPUP, 1, 0, IDM_OPTION_POPUP, 2, 0,
                                            IDM_HELP_POPUP, 3, 0, 0};
  EXPECT_EQ(Words(IDM_MAIN), expected);
}

TEST_F(ProgramResources, ToolbarButtonListAndItsStrip) {
  const std::vector<std::uint16_t> expected{16, 16, IDC_OPEN, IDC_SAVE, 0, IDC_TOOLBAR_EXIT, 0, 0};
  EXPECT_EQ(Words(IDT_MAIN), expected);

  HBITMAP strip = LoadBitmapA(module_, MAKEINTRESOURCEA(IDT_MAIN));
  ASSERT_NE(strip, nullptr) << "bitmap " << IDT_MAIN << " missing";
  BITMAP info{};
  GetObjectA(strip, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 48) << "three 16-pixel images side by side";
  EXPECT_EQ(info.bmHeight, 16);

  // Each image is a picture, not a blank: it has pixels other than its corner colour,
  // and no two images are the same.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, strip);
  std::vector<std::vector<COLORREF>> images(3);
  for (int image = 0; image < 3; ++image)
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) images[image].push_back(GetPixel(dc, image * 16 + x, y));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(strip);
  for (int image = 0; image < 3; ++image) {
    int painted = 0;
    for (COLORREF c : images[image]) painted += c != images[image][0];
    EXPECT_GT(painted, 40) << "image " << image + 1 << " has only " << painted << " painted pixels";
  }
  EXPECT_NE(images[0], images[1]);
  EXPECT_NE(images[1], images[2]);
}

TEST_F(ProgramResources, TipStringsOfTheThreeButtons) {
  char text[64] = {};
  EXPECT_EQ(LoadStringA(module_, IDC_OPEN, text, sizeof text), 4);
  EXPECT_STREQ(text, "Open");
  EXPECT_EQ(LoadStringA(module_, IDC_SAVE, text, sizeof text), 4);
  EXPECT_STREQ(text, "Save");
  EXPECT_EQ(LoadStringA(module_, IDC_TOOLBAR_EXIT, text, sizeof text), 4);
  EXPECT_STREQ(text, "Exit");
}

// Ctrl+O, Ctrl+S and F1 reach the commands through the table loaded with the menu.
TEST_F(ProgramResources, AcceleratorsForOpenSaveAndHelp) {
  HACCEL table = LoadAcceleratorsA(module_, MAKEINTRESOURCEA(IDM_MAIN));
  ASSERT_NE(table, nullptr);
  ACCEL keys[8] = {};
  const int count = CopyAcceleratorTableA(table, keys, 8);
  struct Expected {
    WORD key;
    BYTE modifiers;
    WORD command;
  };
  const Expected expected[] = {{'O', FVIRTKEY | FCONTROL, IDC_OPEN},
                               {'S', FVIRTKEY | FCONTROL, IDC_SAVE},
                               {VK_F1, FVIRTKEY, IDC_HELP}};
  ASSERT_EQ(count, 3);
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(keys[i].key, expected[i].key) << "entry " << i;
    EXPECT_EQ(keys[i].fVirt & ~0x80, expected[i].modifiers) << "entry " << i;
    EXPECT_EQ(keys[i].cmd, expected[i].command) << "entry " << i;
  }
  DestroyAcceleratorTable(table);
}

TEST_F(ProgramResources, IconGroupIcon1HoldsOne32By32SixteenColourImage) {
  // The frame class asks for "icon1": resource names match without regard to case.
  HRSRC group = FindResourceA(module_, "icon1", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
  ASSERT_NE(group, nullptr) << "icon group ICON1 missing";
  const auto* dir = static_cast<const unsigned char*>(LockResource(LoadResource(module_, group)));
  const int count = dir[4] | dir[5] << 8;
  ASSERT_EQ(count, 1) << "images in ICON1";
  const unsigned char* entry = dir + 6;  // width, height, colours, reserved, planes, bits, ...
  EXPECT_EQ(entry[0], 32) << "width";
  EXPECT_EQ(entry[1], 32) << "height";
  EXPECT_EQ(entry[2], 16) << "colours";
  EXPECT_EQ(entry[6] | entry[7] << 8, 4) << "bits per pixel";

  // A program (not a data file) loads it as an icon of that size.
  HICON icon = static_cast<HICON>(LoadImageA(module_, "ICON1", IMAGE_ICON, 32, 32, 0));
  EXPECT_NE(icon, nullptr);
  if (icon) DestroyIcon(icon);
}

TEST_F(ProgramResources, VersionBlockNamesTheProgram) {
  const std::string path = ProgramPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version resource";
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  char* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\OriginalFilename",
                             reinterpret_cast<void**>(&value), &length));
  EXPECT_STREQ(value, "Quillhaven.exe");
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), QH_VERSION_MAJOR);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), QH_VERSION_MINOR);
  EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
}

// A dialog template read field by field (the classic DLGTEMPLATE with DS_SETFONT).
struct DialogItem {
  int id;
  std::string cls;  // "Button", "Edit", "Static" for the system atoms, else the name
  std::string text;
  int x, y, cx, cy;
  DWORD style;
};

struct DialogTemplate {
  DWORD style = 0;
  int cx = 0, cy = 0;
  std::string caption, font;
  int pointSize = 0;
  std::vector<DialogItem> items;
};

// Reads a counted run of 16-bit units as ASCII, or an ordinal as "#n".
std::string ReadText(const WORD*& p) {
  if (*p == 0xFFFF) {
    const int ordinal = p[1];
    p += 2;
    switch (ordinal) {
      case 0x80: return "Button";
      case 0x81: return "Edit";
      case 0x82: return "Static";
      default: return "#" + std::to_string(ordinal);
    }
  }
  std::string text;
  while (*p) text += static_cast<char>(*p++);
  ++p;
  return text;
}

const WORD* AlignToDword(const WORD* p, const void* base) {
  const auto offset = reinterpret_cast<const char*>(p) - static_cast<const char*>(base);
  return offset % 4 ? p + 1 : p;
}

bool ReadDialog(HMODULE module, int id, DialogTemplate& out) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  if (!found) return false;
  const void* base = LockResource(LoadResource(module, found));
  const auto* head = static_cast<const DLGTEMPLATE*>(base);
  if (reinterpret_cast<const WORD*>(base)[1] == 0xFFFF) return false;  // an extended template
  out.style = head->style;
  out.cx = head->cx;
  out.cy = head->cy;
  const WORD* p = reinterpret_cast<const WORD*>(head + 1);
  ReadText(p);  // menu
  ReadText(p);  // class
  out.caption = ReadText(p);
  if (head->style & DS_SETFONT) {
    out.pointSize = *p++;
    out.font = ReadText(p);
  }
  for (int i = 0; i < head->cdit; ++i) {
    p = AlignToDword(p, base);
    const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
    p = reinterpret_cast<const WORD*>(item + 1);
    DialogItem d{item->id, "", "", item->x, item->y, item->cx, item->cy, item->style};
    d.cls = ReadText(p);
    d.text = ReadText(p);
    p += 1 + *p / 2;  // creation data
    out.items.push_back(d);
  }
  return true;
}

std::string Describe(const DialogItem& d) {
  return std::to_string(d.id) + " " + d.cls + " \"" + d.text + "\" " + std::to_string(d.x) + "," +
         std::to_string(d.y) + "," + std::to_string(d.cx) + "x" + std::to_string(d.cy);
}

TEST_F(ProgramResources, AboutDialog) {
  DialogTemplate t;
  ASSERT_TRUE(ReadDialog(module_, IDD_ABOUT, t)) << "dialog " << IDD_ABOUT;
  EXPECT_EQ(t.caption, "About");
  EXPECT_EQ(t.cx, 120);
  EXPECT_EQ(t.cy, 120);
  EXPECT_EQ(t.font, "MS Sans Serif");
  EXPECT_EQ(t.pointSize, 8);
  ASSERT_EQ(t.items.size(), 3u);
  // The program's icon, by the name the frame class takes it by.
  EXPECT_EQ(Describe(t.items[0]), "1007 Static \"ICON1\" 50,6,0x0");
  EXPECT_EQ(t.items[0].style & SS_TYPEMASK, DWORD(SS_ICON));
  EXPECT_EQ(Describe(t.items[1]), "1001 Static \"\" 10,30,100x66");
  EXPECT_EQ(t.items[1].style & SS_TYPEMASK, DWORD(SS_CENTER));
  EXPECT_TRUE(t.items[1].style & SS_SUNKEN);
  EXPECT_EQ(Describe(t.items[2]), "1 Button \"OK\" 40,102,40x14");
  EXPECT_EQ(t.items[2].style & 0x0F, DWORD(BS_DEFPUSHBUTTON));
  EXPECT_EQ(FindResourceA(module_, MAKEINTRESOURCEA(IDD_ABOUT), MAKEINTRESOURCEA(10)), nullptr)
      << "the About box has no extra sections";
}

TEST_F(ProgramResources, OffsetsDialogAndItsEmptyExtraSections) {
  DialogTemplate t;
  ASSERT_TRUE(ReadDialog(module_, IDD_OFFSETS, t)) << "dialog " << IDD_OFFSETS;
  EXPECT_EQ(t.caption, "PushPin co-ordinates");
  EXPECT_EQ(t.cx, 160);
  EXPECT_EQ(t.cy, 80);
  EXPECT_EQ(t.font, "MS Sans Serif");
  EXPECT_EQ(t.pointSize, 8);
  // Each label comes just before its field, so that its mnemonic moves to the field.
  const std::vector<std::string> expected = {
      "1002 Button \"Offsets to be added\" 6,8,148x52",
      "1005 Static \"&Longitude (degrees)\" 74,24,74x8", "1003 REALEDIT \"0.0\" 12,21,56x14",
      "1006 Static \"L&atitude (degrees)\" 74,42,74x8",  "1004 REALEDIT \"0.0\" 12,39,56x14",
      "1 Button \"OK\" 70,64,40x14",                     "2 Button \"Cancel\" 114,64,40x14"};
  std::vector<std::string> actual;
  for (const DialogItem& d : t.items) actual.push_back(Describe(d));
  EXPECT_EQ(actual, expected);
  ASSERT_EQ(t.items.size(), expected.size());
  EXPECT_EQ(t.items[0].style & 0x0F, DWORD(BS_GROUPBOX));
  const DWORD edit = WS_BORDER | WS_TABSTOP;
  EXPECT_EQ(t.items[2].style & (edit | WS_GROUP), edit | WS_GROUP) << "longitude starts a group";
  EXPECT_EQ(t.items[4].style & (edit | WS_GROUP), edit) << "latitude";
  EXPECT_EQ(t.items[5].style & 0x0F, DWORD(BS_DEFPUSHBUTTON));
  EXPECT_EQ(t.items[6].style & 0x0F, DWORD(BS_PUSHBUTTON));

  HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(IDD_OFFSETS), MAKEINTRESOURCEA(10));
  ASSERT_NE(found, nullptr) << "extra sections of dialog " << IDD_OFFSETS;
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
  const std::string data(bytes, SizeofResource(module_, found));
  const std::string text = data.substr(0, data.find('\0'));
  EXPECT_EQ(text, "[Checks] \n[Menus] \n[Tabs] \n[Ranges] \n[Trackbars] \n[Grids] \n[Colours] \n[Lengths] \n");
  EXPECT_GT(data.size(), text.size()) << "ended by NUL characters";
  EXPECT_EQ(data.find_first_not_of('\0', text.size()), std::string::npos) << "only NULs follow";
}

// Each of the programs carries the one manifest (UTF-8 code page, current
// controls, asInvoker, system DPI, supported systems) as resource 1, the one a process
// is started with.
TEST(ProgramManifests, EachProgramCarriesTheManifestAsResourceOne) {
  std::string expected;
  ASSERT_TRUE(qh::test::ReadFile(WindowsPath(QH_MANIFEST_FILE), expected))
      << "cannot read " << QH_MANIFEST_FILE;
  ASSERT_NE(expected.find("<activeCodePage"), std::string::npos);
  for (const char* program : {QH_PROGRAM_EXE, QH_UTILITY_EXE, QH_PSP2OV2_EXE, QH_OV2_EXE}) {
    HMODULE module = LoadLibraryExA(WindowsPath(program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "cannot load " << program;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    std::string actual;
    if (found) {
      const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
      actual.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    EXPECT_EQ(actual, expected) << program << ": manifest resource 1";
  }
}

// The tools may hold a large input or index: each may use 4 GiB of addresses on 64-bit
// Windows, not 2 (a 770 MB GPX file was "out of memory").
TEST(ProgramHeaders, TheToolsAreLargeAddressAware) {
  for (const char* program : {QH_UTILITY_EXE, QH_PSP2OV2_EXE, QH_OV2_EXE}) {
    std::string bytes;
    ASSERT_TRUE(qh::test::ReadFile(WindowsPath(program), bytes)) << "cannot read " << program;
    IMAGE_DOS_HEADER dos{};
    ASSERT_GT(bytes.size(), sizeof dos);
    std::memcpy(&dos, bytes.data(), sizeof dos);
    IMAGE_NT_HEADERS32 nt{};
    ASSERT_GE(bytes.size(), static_cast<std::size_t>(dos.e_lfanew) + sizeof nt) << program;
    std::memcpy(&nt, bytes.data() + dos.e_lfanew, sizeof nt);
    ASSERT_EQ(nt.Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE)) << program;
    EXPECT_NE(nt.FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE, 0) << program;
  }
}

}  // namespace

// The resources built into Quillhaven.exe, read back from the finished program the way
// the window services read them: the menu and its path table, the toolbar button list
// and strip, the tip strings, the icon and the version block.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "converter/command_ids.h"

namespace {

// The build passes the program's Unix path; Wine's drive Z: is the Unix root.
std::string ProgramPath() {
  std::string path = QH_PROGRAM_EXE;
  if (!path.empty() && path[0] == '/') {
    for (char& c : path)
      if (c == '/') c = '\\';
    path = "Z:" + path;
  }
  return path;
}

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
  const char* titles[] = {"&File", "Option", "&Help"};
  for (int i = 0; i < 3; ++i) {
    char text[64] = {};
    GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, titles[i]) << "menu bar entry " << i + 1;
    EXPECT_NE(GetSubMenu(menu, i), nullptr) << titles[i] << " is not a pop-up";
  }
  ExpectItems(GetSubMenu(menu, 0),
              {{"&Open", IDC_OPEN, false}, {"&Save", IDC_SAVE, false},
               {"Save &As", IDC_SAVE_AS, false}, {"E&xit", IDC_EXIT, false}}, "File");
  ExpectItems(GetSubMenu(menu, 1),
              {{"&Ignore Notes", IDC_IGNORE_NOTES, true}, {"&Append Notes", IDC_APPEND_NOTES, false},
               {"&Offsets", IDC_OFFSETS, false}}, "Option");
  ExpectItems(GetSubMenu(menu, 2), {{"&Quillhaven", IDC_HELP, false}, {"&About", IDC_ABOUT, false}},
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

TEST_F(ProgramResources, TipStringsOfTheFirstTwoButtonsOnly) {
  char text[80];
  EXPECT_EQ(LoadStringA(module_, IDC_OPEN, text, sizeof text), 4);
  EXPECT_STREQ(text, "Open");
  EXPECT_EQ(LoadStringA(module_, IDC_SAVE, text, sizeof text), 4);
  EXPECT_STREQ(text, "Save");
  EXPECT_EQ(LoadStringA(module_, IDC_TOOLBAR_EXIT, text, sizeof text), 0) << "the Exit button has no tip";
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

}  // namespace

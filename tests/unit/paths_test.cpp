// Folder part, short display form and output names of paths.
#include "converter/paths.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "converter/output_names.h"

namespace qh {
namespace {

std::string FolderOf(std::string_view path, std::size_t length = 40) {
  std::string buffer(length, '#');
  StoreText(buffer, path);
  PathFolder(buffer);
  EXPECT_EQ(buffer.size(), length);
  return buffer;
}

std::string Padded(std::string_view text, std::size_t length = 40) {
  std::string s(text);
  s.resize(length, ' ');
  return s;
}

TEST(PathFolderTest, KeepsUpToTheLastBackslash) {
  EXPECT_EQ(FolderOf("D:\\a\\b.psp"), Padded("D:\\a\\"));
  EXPECT_EQ(FolderOf("D:\\a\\b\\"), Padded("D:\\a\\b\\"));
  EXPECT_EQ(FolderOf("\\\\srv\\share\\x.psp"), Padded("\\\\srv\\share\\"));
  EXPECT_EQ(FolderOf("D:\\dir with blanks\\f"), Padded("D:\\dir with blanks\\"));
  EXPECT_EQ(FolderOf("\\"), Padded("\\"));
}

TEST(PathFolderTest, NoBackslashGivesBlanks) {
  EXPECT_EQ(FolderOf("pins.psp"), Padded(""));
  EXPECT_EQ(FolderOf("D:/unix/style"), Padded(""));
  EXPECT_EQ(FolderOf(""), Padded(""));
}

TEST(PathFolderTest, WorksOnAFixedText) {
  FixedText<256> name("C:\\Tools\\Quillhaven.exe");
  PathFolder(name.Span());
  EXPECT_EQ(name.Trim(), "C:\\Tools\\");
  EXPECT_EQ(name.Length(), 9u);
}

// ---------------------------------------------------------------------------------

std::string Short(std::string_view path, int limit = 50) {
  const FixedText<256> result = ShortenPath(path, limit);
  return result.TrimmedString();
}

TEST(ShortenPathTest, ShortPathsUnchanged) {
  const std::string fifty = "D:\\" + std::string(41, 'f') + "\\a.psp";
  ASSERT_EQ(fifty.size(), 50u);
  EXPECT_EQ(Short(fifty), fifty);
  EXPECT_EQ(Short(""), "");
  EXPECT_EQ(ShortenPath("D:\\x", 50).View(), Padded("D:\\x", 256)) << "blank-padded to 256";
}

TEST(ShortenPathTest, DrivePathsLoseLeadingFolders) {
  struct Case {
    const char* path;
    const char* shown;
  };
  const Case cases[] = {
      {"D:\\Documents and Settings\\user\\My Documents\\pins\\a.psp",
       "D:\\...\\user\\My Documents\\pins\\a.psp"},
      // 51 characters: the first folder goes.
      {"C:\\abcdefghij\\klmnopqrst\\uvwxyz0123\\456789\\file.psp",
       "C:\\...\\klmnopqrst\\uvwxyz0123\\456789\\file.psp"},
      // Down to the last part, which then just fits with the gap: limit + 1 characters.
      {"D:\\maps\\more\\nashville-and-surrounding-area-caches-01.psp",
       "D:\\...\\nashville-and-surrounding-area-caches-01.psp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Short(c.path), c.shown) << "path " << c.path;
    EXPECT_LE(Short(c.path).size(), 51u) << "path " << c.path;
  }
  EXPECT_EQ(std::string_view(cases[0].path).size(), 54u);
  EXPECT_EQ(Short(cases[2].path).size(), 51u);
}

TEST(ShortenPathTest, OverlongLastPartShownAlone) {
  const std::string name(48, 'n');
  EXPECT_EQ(Short("D:\\maps\\" + name), name);
  EXPECT_EQ(Short("D:\\maps\\deeper\\" + name), name);
  // Without any backslash the first three characters go, and that is all.
  const std::string plain(60, 'p');
  EXPECT_EQ(Short(plain), plain.substr(3));
}

TEST(ShortenPathTest, LongInputIsCutToTheTextLength) {
  const std::string path = "D:\\" + std::string(300, 'x') + "\\a.psp";
  const FixedText<256> result = ShortenPath(path, 50);
  EXPECT_EQ(result.TrimmedString(), std::string(253, 'x')) << "the text holds 256 characters";
}

TEST(ShortenPathTest, NetworkPathsKeepServerAndShare) {
  EXPECT_EQ(Short("\\\\fileserver\\maps\\2009\\tennessee\\nashville area\\caches.psp"),
            "\\\\fileserver\\maps\\...\\nashville area\\caches.psp");
  EXPECT_EQ(Short("\\a\\bb\\folder-number-one\\folder-number-two\\caches.psp"),
            "\\a\\bb\\...\\folder-number-two\\caches.psp");
}

TEST(ShortenPathTest, NetworkPathWithLongNameFallsBack) {
  const std::string name45(45, 'k');
  EXPECT_EQ(Short("\\\\srv\\share\\" + name45), "...\\" + name45);
  EXPECT_EQ(Short("\\\\srv\\share\\dir\\" + name45), "...\\" + name45);
  const std::string name60 = "start-" + std::string(54, 'z');
  const std::string shown = Short("\\\\srv\\share\\" + name60);
  EXPECT_EQ(shown, name60.substr(60 - 51)) << "only the end of a name that cannot fit";
}

// Names are UTF-8: the end of a name that cannot fit starts on a whole letter.
TEST(ShortenPathTest, TheEndOfALongNameNeverStartsInsideALetter) {
  std::string greek;
  for (int i = 0; i < 30; ++i) greek += "\xCE\xB1";  // 30 alphas, 60 bytes
  for (const std::string& tail : {std::string(), std::string("x")}) {
    const std::string shown = Short("\\\\srv\\share\\" + greek + tail);
    SCOPED_TRACE("shown " + shown);
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(static_cast<unsigned char>(shown[0]) & 0xC0, 0x80) << "starts inside a letter";
    EXPECT_LE(shown.size(), 51u);
    EXPECT_GE(shown.size(), 50u);
    EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);
  }
}

// Any path whose second backslash comes at position 2 or 3 ends, within limit + 1
// characters, with its file name whenever the name can fit.
TEST(ShortenPathTest, EarlyBackslashPathsAlwaysEndWithinTheLimit) {
  const std::array<std::string, 4> heads = {"\\\\", "\\a\\", "a\\\\", "\\\\\\"};
  for (const std::string& head : heads) {
    for (int folders = 0; folders < 6; ++folders) {
      for (int nameLength : {1, 10, 30, 44, 47, 52, 70}) {
        std::string path = head;
        for (int f = 0; f < folders; ++f) path += std::string(static_cast<std::size_t>(3 + 7 * f), 'd') + "\\";
        const std::string name(static_cast<std::size_t>(nameLength), 'n');
        path += name;
        const std::string shown = Short(path);
        SCOPED_TRACE("path " + path + " shown " + shown);
        if (path.size() <= 50) {
          EXPECT_EQ(shown, path);
          continue;
        }
        EXPECT_LE(shown.size(), 51u);
        if (nameLength <= 47) {
          ASSERT_GE(shown.size(), name.size() + 1);
          EXPECT_EQ(shown.substr(shown.size() - name.size() - 1), "\\" + name);
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------------

void ExpectNames(const OutputNames& names, std::string_view asc, std::string_view ov2,
                 std::string_view bmp) {
  EXPECT_EQ(names.asc.Trim(), asc);
  EXPECT_EQ(names.ov2.Trim(), ov2);
  EXPECT_EQ(names.bmp.Trim(), bmp);
}

// Only a final ".psp" / ".ov2" (any case) gives way; every other dot stays where the
// user put it, and the outputs never leave the chosen folder.
TEST(OutputNamesTest, OnlyTheFinalExtensionGivesWay) {
  struct Case {
    bool saveAs;
    const char* chosen;
    const char* stem;
  };
  const Case cases[] = {
      {false, "D:\\Data\\Pins.PSP", "D:\\Data\\Pins"},
      {false, "D:\\maps\\trip.psp", "D:\\maps\\trip"},
      {false, "D:\\old.psp files\\Pins.psp", "D:\\old.psp files\\Pins"},
      {false, "D:\\Data\\Pins.PsP.bak", "D:\\Data\\Pins.PsP.bak"},
      {false, "D:\\Data\\Pins.dat", "D:\\Data\\Pins.dat"},
      {false, "C:\\MIXED\\Case.Psp", "C:\\MIXED\\Case"},
      {true, "D:\\out\\tour", "D:\\out\\tour"},
      {true, "D:\\out\\tour.ov2", "D:\\out\\tour"},
      {true, "D:\\out\\tour.OV2", "D:\\out\\tour"},
      {true, "D:\\out.old\\tour", "D:\\out.old\\tour"},
      {true, "D:\\out\\route v1.2", "D:\\out\\route v1.2"},
      {true, "D:\\out\\trip.psp", "D:\\out\\trip.psp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    const FixedText<512> dialog(c.chosen);  // as the dialog leaves it: blank-padded
    const OutputNames names = c.saveAs ? NamesFromSaveAs(dialog.View()) : NamesFromInput(dialog.View());
    const std::string stem = c.stem;
    ExpectNames(names, stem + ".asc", stem + ".ov2", stem + ".bmp");
  }
}

TEST(OutputNamesTest, SaveAsNamesCutTo256) {
  const std::string longName = "D:\\" + std::string(254, 'x');
  const OutputNames names = NamesFromSaveAs(longName);
  EXPECT_EQ(names.asc.Trim(), longName.substr(0, 256));
  EXPECT_EQ(names.ov2.Trim(), longName.substr(0, 256));
}

}  // namespace
}  // namespace qh

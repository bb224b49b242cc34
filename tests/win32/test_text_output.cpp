// IWnOutText and IWnClear, read back pixel by pixel: drawing units, the baseline,
// opaque character cells, colours of the colour table, the current text position,
// the window palette on palette displays, and the status bar texts and part styles.
#include "root_window.h"
#include "win32_test_support.h"

#include <array>
#include <string>

namespace qh::test {
namespace {

using win::Drawing;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class TextOutputTest : public RootWindowTest {
 protected:
  void SetUp() override {
    RootWindowTest::SetUp();
    dc_ = Drawing().dc;
    w_ = Drawing().width;
    h_ = Drawing().height;
  }
  void FillArea(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, w_, h_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y) & 0xFFFFFF; }
  // The extent of a text in the stock font the layer draws with.
  SIZE Extent(const std::string& text, TEXTMETRICA* metrics = nullptr) const {
    HGDIOBJ old = SelectObject(dc_, GetStockObject(SYSTEM_FONT));
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    if (metrics) GetTextMetricsA(dc_, metrics);
    SelectObject(dc_, old);
    return size;
  }
  HDC dc_ = nullptr;
  int w_ = 0;
  int h_ = 0;
};

TEST_F(TextOutputTest, ClearFillsTheWholeAreaWithTheBackground) {
  FillArea(kBlack);
  IWnClear();
  const std::array<POINT, 5> points{{{0, 0}, {w_ - 1, 0}, {0, h_ - 1}, {w_ - 1, h_ - 1}, {w_ / 2, h_ / 2}}};
  for (const POINT& p : points)
    EXPECT_EQ(Pixel(p.x, p.y), kWhite) << "pixel " << p.x << "," << p.y;

  Drawing().background = 13;  // blue
  IWnClear();
  EXPECT_EQ(Pixel(w_ - 1, h_ - 1), RGB(0, 0, 255)) << "background index 13";
  EXPECT_EQ(Pixel(0, 0), RGB(0, 0, 255));
}

TEST_F(TextOutputTest, TextSitsOnItsBaselineAtTheUnitPosition) {
  IWnClear();
  const std::string text = "HHHH";
  IWnOutText(100, 5000, text);
  const int px = UnitsToPixels(100, w_);
  const int py = UnitsToPixels(5000, h_);
  ASSERT_EQ(px, 5);
  ASSERT_EQ(py, 127);
  TEXTMETRICA tm{};
  const SIZE size = Extent(text, &tm);

  int minX = w_, maxX = -1, minY = h_, maxY = -1;
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x)
      if (Pixel(x, y) == kBlack) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  ASSERT_GE(maxX, 0) << "nothing drawn";
  EXPECT_EQ(maxY, py - 1) << "H stands on the baseline row " << py;
  EXPECT_GE(minY, py - tm.tmAscent) << "within the ascent";
  EXPECT_GE(minX, px) << "starts at the x position";
  EXPECT_LE(minX, px + 2) << "starts at the x position";
  EXPECT_LT(maxX, px + size.cx) << "ends inside the text's extent";

  EXPECT_EQ(Drawing().textX, PixelsToUnits(px + size.cx, w_)) << "current position x";
  EXPECT_EQ(Drawing().textY, PixelsToUnits(py, h_)) << "current position y";
}

// The program's texts are UTF-8 (its code page, by the manifest the test program
// carries too): "Łódź" is four letters wide, not the seven Windows-1252 characters
// its bytes would be.
TEST_F(TextOutputTest, TextInTheProgramsCodePageIsDrawnAsItsLetters) {
  ASSERT_EQ(GetACP(), 65001u) << "the test program runs without its UTF-8 manifest";
  const std::string text = "\xC5\x81\xC3\xB3\x64\xC5\xBA";  // Łódź
  HGDIOBJ old = SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  SIZE letters{};
  GetTextExtentPoint32W(dc_, L"\u0141\u00F3d\u017A", 4, &letters);
  SIZE bytes{};
  GetTextExtentPoint32A(dc_, "\xC5\x81\xC3\xB3\x64\xC5\xBA", 7, &bytes);
  SelectObject(dc_, old);
  ASSERT_NE(letters.cx, bytes.cx) << "the font cannot tell the two readings apart";

  IWnOutText(0, 5000, text);
  EXPECT_EQ(UnitsToPixels(Drawing().textX, w_), letters.cx)
      << "the text position moved by " << UnitsToPixels(Drawing().textX, w_)
      << " pixels; the letters are " << letters.cx << ", the bytes " << bytes.cx;
}

TEST_F(TextOutputTest, CellsAreOpaqueSoBlanksWipeWhatStoodThere) {
  FillArea(kBlack);
  const std::string blanks = "    ";
  IWnOutText(2000, 3000, blanks);
  const int px = UnitsToPixels(2000, w_);
  const int py = UnitsToPixels(3000, h_);
  TEXTMETRICA tm{};
  const SIZE size = Extent(blanks, &tm);
  struct Case { const char* where; int x; int y; COLORREF colour; };
  const Case cases[] = {
      {"cell top left", px, py - tm.tmAscent, kWhite},
      {"cell bottom right", px + size.cx - 1, py + tm.tmDescent - 1, kWhite},
      {"cell middle on the baseline", px + size.cx / 2, py, kWhite},
      {"left of the text", px - 1, py, kBlack},
      {"right of the text", px + size.cx, py, kBlack},
      {"above the cells", px, py - tm.tmAscent - 1, kBlack},
      {"below the cells", px, py + tm.tmDescent, kBlack},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Pixel(c.x, c.y), c.colour) << c.where << " (" << c.x << "," << c.y << ")";
}

TEST_F(TextOutputTest, EmptyTextDrawsNothingAndSetsThePositionToTheStart) {
  FillArea(kBlack);
  Drawing().textX = 1;
  Drawing().textY = 2;
  IWnOutText(4000, 6000, "");
  EXPECT_EQ(Drawing().textX, 4000);
  EXPECT_EQ(Drawing().textY, 6000);
  EXPECT_EQ(Pixel(UnitsToPixels(4000, w_), UnitsToPixels(6000, h_) - 3), kBlack);
}

TEST_F(TextOutputTest, ColoursComeFromTheColourTable) {
  IWnClear();
  Drawing().foreground = 9;   // red
  Drawing().background = 14;  // magenta
  IWnOutText(0, 5000, "H");
  const int py = UnitsToPixels(5000, h_);
  bool red = false;
  for (int x = 0; x < 20; ++x)
    for (int y = py - 12; y < py; ++y) red = red || Pixel(x, y) == RGB(255, 0, 0);
  EXPECT_TRUE(red) << "foreground 9 is red";
  EXPECT_EQ(Pixel(0, py), RGB(255, 0, 255)) << "cell in background 14";
  // The device context keeps its own settings between drawings.
  EXPECT_EQ(GetBkMode(dc_), TRANSPARENT);
  EXPECT_EQ(GetTextAlign(dc_) & (TA_BASELINE | TA_UPDATECP), static_cast<UINT>(TA_BASELINE));
}

TEST_F(TextOutputTest, ColourTableHoldsTheEighteenColours) {
  const std::array<COLORREF, 16> fixed{
      RGB(0, 0, 0),     RGB(191, 0, 0),   RGB(191, 191, 0), RGB(0, 191, 0),
      RGB(0, 191, 191), RGB(0, 0, 191),   RGB(191, 0, 191), RGB(191, 191, 191),
      RGB(64, 64, 64),  RGB(255, 0, 0),   RGB(255, 255, 0), RGB(0, 255, 0),
      RGB(0, 255, 255), RGB(0, 0, 255),   RGB(255, 0, 255), RGB(255, 255, 255)};
  for (std::size_t i = 0; i < fixed.size(); ++i)
    EXPECT_EQ(Drawing().colours[i], fixed[i]) << "colour " << i;
  EXPECT_EQ(Drawing().colours[16], GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(Drawing().colours[17], GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(Drawing().foreground, 0);
  EXPECT_EQ(Drawing().background, 15);
}

class StatusBarTest : public RootWindowTest {
 protected:
  std::string PartText(int part) {
    char text[600] = {};
    SendMessageA(Root().statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
  }
  int PartType(int part) { return HIWORD(SendMessageA(Root().statusBar, SB_GETTEXTLENGTHA, part, 0)); }
  std::array<int, 8> Edges(int* count) {
    std::array<int, 8> edges;
    edges.fill(-7);
    *count = static_cast<int>(
        SendMessageA(Root().statusBar, SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data())));
    return edges;
  }
};

// A true-colour display (as under Xvfb) has no palette, so the palette is built
// directly, as IWnOpenRoot does on a 256-entry palette display.
TEST_F(TextOutputTest, APaletteDisplayGetsAPaletteOfTheAskedSizeSelectedForDrawing) {
  win::DrawingState& d = Drawing();
  for (int size : {16, 32, 128}) {
    d.paletteSize = size;
    win::BuildWindowPalette(d);
    ASSERT_NE(d.palette, nullptr) << "size " << size;
    EXPECT_EQ(GetPaletteEntries(d.palette, 0, 0, nullptr), static_cast<UINT>(size));
    EXPECT_EQ(GetCurrentObject(dc_, OBJ_PAL), d.palette) << "selected into the drawing area";
    std::array<PALETTEENTRY, 128> entries{};
    GetPaletteEntries(d.palette, 0, static_cast<UINT>(size), entries.data());
    const int fromTable = size < win::kColourCount ? size : win::kColourCount;
    for (int i = 0; i < fromTable; ++i) {
      const PALETTEENTRY& e = entries[static_cast<std::size_t>(i)];
      EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), d.colours[static_cast<std::size_t>(i)])
          << "entry " << i << " of " << size;
    }
  }
  IWnStop();
  EXPECT_EQ(d.palette, nullptr) << "released with the window";
  IWnOpenRoot(ConverterSpec());  // for the fixture's own stop
}

TEST_F(StatusBarTest, PartsInDrawingUnitsWithBorderStyles) {
  const std::array<int, 3> widths{2000, 3000, -1};
  const std::array<int, 3> styles{0, 2, 7};
  IWnStatusText(1, "kept");
  IWnStatusParts(3, widths, styles);
  int count = 0;
  const auto edges = Edges(&count);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(edges[0], 102) << "2000 units of 511";
  EXPECT_EQ(edges[1], 102 + 153) << "running total";
  EXPECT_EQ(edges[2], -1);
  EXPECT_EQ(PartText(0), "kept") << "texts survive a new division";
  EXPECT_EQ(PartType(0), SBT_NOBORDERS) << "style 0";
  EXPECT_EQ(PartType(1), SBT_POPOUT) << "style 2";
  EXPECT_EQ(PartType(2), 0) << "any other style is sunken";

  IWnStatusText(2, "raised  ");
  EXPECT_EQ(PartText(1), "raised") << "trailing blanks dropped";
  EXPECT_EQ(PartType(1), SBT_POPOUT) << "text keeps the part's border";
}

TEST_F(StatusBarTest, MinusOneFirstGivesOnePartAndBadArgumentsDoNothing) {
  const std::array<int, 2> first{-1, 4000};
  IWnStatusParts(2, first);
  int count = 0;
  auto edges = Edges(&count);
  EXPECT_EQ(count, 1) << "the list ends at -1";
  EXPECT_EQ(edges[0], -1);

  const std::array<int, 2> two{3500, -1};
  IWnStatusParts(2, two);
  IWnStatusParts(0, two);
  IWnStatusParts(256, two);
  edges = Edges(&count);
  EXPECT_EQ(count, 2) << "counts outside 1..255 are ignored";
  EXPECT_EQ(edges[0], 178);

  IWnStatusText(1, "one");
  IWnStatusText(0, "zero");
  IWnStatusText(256, "too far");
  EXPECT_EQ(PartText(0), "one");
  EXPECT_EQ(PartText(1), "");
  EXPECT_EQ(LastError(), 0);
}

TEST_F(StatusBarTest, EdgesStayInPixelsWhenTheFrameGrows) {
  const std::array<int, 2> two{3500, -1};
  IWnStatusParts(2, two);
  RECT frame = WindowRectOf(Root().frame);
  SetWindowPos(Root().frame, nullptr, 0, 0, frame.right - frame.left + 200, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  int count = 0;
  const auto edges = Edges(&count);
  EXPECT_EQ(edges[0], 178);
  EXPECT_EQ(ClientRectOf(Root().drawingArea).right, 712) << "the drawing area followed";
}

TEST(StatusBarAbsent, OperationsWithoutAStatusBarDoNothing) {
  RootWindowSpec rootSpec = ConverterSpec();
  rootSpec.flags = kSysMenu | kFixedSize;
  IWnOpenRoot(rootSpec);
  const std::array<int, 2> two{3500, -1};
  IWnStatusParts(2, two);
  IWnStatusText(1, "nowhere");
  EXPECT_EQ(Root().statusBar, nullptr);
  EXPECT_EQ(IErInfo(1), 0);
  IWnStop();
  win::SetDefaultKindSwitches();
}

}  // namespace
}  // namespace qh::test

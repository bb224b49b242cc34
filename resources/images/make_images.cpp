// Draws the program's toolbar strip and icon and writes them as Windows image files:
//   toolbar.bmp      48 x 16, 16 colours: open (folder), save (disk), exit (door and arrow)
//   quillhaven.ico   one 32 x 32 image of 16 colours: a pushpin stuck in a globe
// It runs on the build machine (also in the cross build), so it uses nothing but the
// standard library and writes every header field byte by byte, little-endian.
//
// Usage: make_images OUTPUT_FOLDER
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The standard 16-colour palette. Silver (7) is the toolbar background: the toolbar
// maps it to the button face colour when it loads the strip.
constexpr std::array<std::array<std::uint8_t, 3>, 16> kPalette{{
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

enum Colour : std::uint8_t {
  kBlack = 0, kMaroon = 1, kGreen = 2, kOlive = 3, kNavy = 4, kPurple = 5, kTeal = 6,
  kSilver = 7, kGrey = 8, kRed = 9, kLime = 10, kYellow = 11, kBlue = 12, kFuchsia = 13,
  kAqua = 14, kWhite = 15,
};

// One letter per palette index in the pictures below; '.' is the background.
Colour ColourOf(char c, Colour background) {
  switch (c) {
    case 'K': return kBlack;
    case 'M': return kMaroon;
    case 'G': return kGreen;
    case 'O': return kOlive;
    case 'N': return kNavy;
    case 'T': return kTeal;
    case 'S': return kSilver;
    case 'D': return kGrey;
    case 'R': return kRed;
    case 'L': return kLime;
    case 'Y': return kYellow;
    case 'B': return kBlue;
    case 'A': return kAqua;
    case 'W': return kWhite;
    default: return background;
  }
}

// A picture of palette indices, row 0 at the top.
struct Canvas {
  int width, height;
  std::vector<std::uint8_t> pixels;
  std::vector<bool> opaque;  // false where the icon is transparent
  Canvas(int w, int h, Colour fill)
      : width(w), height(h), pixels(std::size_t(w) * h, fill), opaque(std::size_t(w) * h, false) {}
  void Set(int x, int y, Colour c) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    pixels[std::size_t(y) * width + x] = c;
    opaque[std::size_t(y) * width + x] = true;
  }
  std::uint8_t At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
  bool Opaque(int x, int y) const { return opaque[std::size_t(y) * width + x]; }
};

using Picture = std::array<std::string_view, 16>;

constexpr bool IsSquare16(const Picture& rows) {
  for (auto row : rows)
    if (row.size() != 16) return false;
  return true;
}

void Paint(Canvas& canvas, int left, const Picture& rows) {
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (rows[y][x] != '.') canvas.Set(left + x, y, ColourOf(rows[y][x], kSilver));
}

// An open yellow folder.
constexpr Picture kOpenPicture{
    "................",
    "................",
    "................",
    ".KKKK...........",
    "KYWYYK..........",
    "KWYYYYKKKKKKK...",
    "KYYYYYYYYYYYYK..",
    "KYYYYYYYYYYYYK..",
    "KYYKKKKKKKKKKKKK",
    "KYKOYYYYYYYYYYYK",
    "KYKYYYYYYYYYYYK.",
    "KKOYYYYYYYYYYYK.",
    "KKYYYYYYYYYYYK..",
    "KOYYYYYYYYYYYK..",
    "KKKKKKKKKKKKKK..",
    "................",
};

// A blue floppy disk: metal shutter at the top, white label below.
constexpr Picture kSavePicture{
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KNNSSSSSSSSNNK.",
    ".KNNSSSSDDSSNNK.",
    ".KNNSSSSDDSSNNK.",
    ".KNNSSSSSSSSNNK.",
    ".KNNNNNNNNNNNNK.",
    ".KNNNNNNNNNNNNK.",
    ".KNWWWWWWWWWWNK.",
    ".KNWWWWWWWWWWNK.",
    ".KNWKKKKKKKKWNK.",
    ".KNWWWWWWWWWWNK.",
    ".KNWKKKKKKWWWNK.",
    ".KNWWWWWWWWWWNK.",
    ".KKKKKKKKKKKKKK.",
    "................",
};

// An open brown door with a red arrow leaving through it.
constexpr Picture kExitPicture{
    "................",
    ".KKKKKKKK.......",
    ".KMMMMMMK.......",
    ".KMOOOOMK.......",
    ".KMOOOOMK....R..",
    ".KMOOOOMK....RR.",
    ".KMOOOOMRRRRRRRR",
    ".KMOOOYMRRRRRRRR",
    ".KMOOOOMK....RR.",
    ".KMOOOOMK....R..",
    ".KMOOOOMK.......",
    ".KMOOOOMK.......",
    ".KMOOOOMK.......",
    ".KMMMMMMK.......",
    "KKKKKKKKKK......",
    "................",
};

static_assert(IsSquare16(kOpenPicture) && IsSquare16(kSavePicture) && IsSquare16(kExitPicture));

// The icon: a globe (blue sea, green land, grid lines) with a red pushpin in it.
Canvas DrawIcon() {
  Canvas c(32, 32, kBlack);
  const double cx = 14.5, cy = 17.5, r = 13.0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const double dx = x + 0.5 - cx - 0.5, dy = y + 0.5 - cy - 0.5;
      const double d = std::sqrt(dx * dx + dy * dy);
      if (d > r) continue;
      if (d > r - 1.2) { c.Set(x, y, kNavy); continue; }
      // Land: two blobs, the rest sea; then a grid of one meridian and two parallels.
      const bool land = (std::hypot(dx + 4, dy + 3) < 5.5) || (std::hypot(dx - 5, dy - 5) < 4.0);
      Colour fill = land ? kGreen : kBlue;
      if (std::abs(dx) < 0.6 || std::abs(dy + 4.5) < 0.5 || std::abs(dy - 4.5) < 0.5)
        fill = land ? kLime : kAqua;
      c.Set(x, y, fill);
    }
  }
  // The pin's needle from its head down to the point where it enters the globe.
  for (int i = 0; i <= 8; ++i) c.Set(20 - i / 2, 11 + i, i % 2 ? kGrey : kBlack);
  // Its round head with a highlight.
  const double hx = 22.0, hy = 7.0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const double d = std::hypot(x + 0.5 - hx, y + 0.5 - hy);
      if (d <= 5.2) c.Set(x, y, d > 4.2 ? kMaroon : kRed);
    }
  c.Set(20, 5, kWhite);
  c.Set(21, 5, kWhite);
  c.Set(20, 6, kWhite);
  return c;
}

// Little-endian byte writer.
struct Bytes {
  std::vector<std::uint8_t> data;
  void U8(unsigned v) { data.push_back(std::uint8_t(v)); }
  void U16(unsigned v) { U8(v & 0xFF); U8((v >> 8) & 0xFF); }
  void U32(std::uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
};

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPaletteSize = 16 * 4;

int RowBytes4(int width) { return ((width * 4 + 31) / 32) * 4; }
int RowBytes1(int width) { return ((width + 31) / 32) * 4; }

// BITMAPINFOHEADER; storedHeight is doubled inside icons (colour rows plus mask rows).
void InfoHeader(Bytes& b, const Canvas& c, int storedHeight, std::uint32_t imageSize) {
  b.U32(kInfoHeaderSize);
  b.U32(std::uint32_t(c.width));
  b.U32(std::uint32_t(storedHeight));
  b.U16(1);                   // planes
  b.U16(4);                   // bits per pixel
  b.U32(0);                   // no compression
  b.U32(imageSize);
  b.U32(2835);                // 72 dots per inch
  b.U32(2835);
  b.U32(16);                  // colours used
  b.U32(0);
  for (const auto& rgb : kPalette) { b.U8(rgb[2]); b.U8(rgb[1]); b.U8(rgb[0]); b.U8(0); }
}

// Colour rows, bottom row first, two pixels per byte with the left one high.
void ColourRows(Bytes& b, const Canvas& c) {
  for (int y = c.height - 1; y >= 0; --y) {
    int written = 0;
    for (int x = 0; x < c.width; x += 2) {
      const unsigned hi = c.At(x, y), lo = x + 1 < c.width ? c.At(x + 1, y) : 0;
      b.U8((hi << 4) | lo);
      ++written;
    }
    for (; written < RowBytes4(c.width); ++written) b.U8(0);
  }
}

std::vector<std::uint8_t> BitmapFile(const Canvas& c) {
  const std::uint32_t imageSize = std::uint32_t(RowBytes4(c.width) * c.height);
  const std::uint32_t offset = 14 + kInfoHeaderSize + kPaletteSize;
  Bytes b;
  b.U8('B');
  b.U8('M');
  b.U32(offset + imageSize);
  b.U32(0);
  b.U32(offset);
  InfoHeader(b, c, c.height, imageSize);
  ColourRows(b, c);
  return b.data;
}

std::vector<std::uint8_t> IconFile(const Canvas& c) {
  const std::uint32_t colourSize = std::uint32_t(RowBytes4(c.width) * c.height);
  const std::uint32_t maskSize = std::uint32_t(RowBytes1(c.width) * c.height);
  const std::uint32_t imageBytes = kInfoHeaderSize + kPaletteSize + colourSize + maskSize;
  Bytes b;
  b.U16(0);  // reserved
  b.U16(1);  // type: icon
  b.U16(1);  // one image
  b.U8(std::uint8_t(c.width));
  b.U8(std::uint8_t(c.height));
  b.U8(16);  // colours
  b.U8(0);
  b.U16(1);  // planes
  b.U16(4);  // bits per pixel
  b.U32(imageBytes);
  b.U32(6 + 16);  // the image follows the directory
  InfoHeader(b, c, c.height * 2, colourSize + maskSize);
  ColourRows(b, c);
  // AND mask: a set bit leaves the screen as it is (transparent).
  for (int y = c.height - 1; y >= 0; --y) {
    int written = 0;
    for (int x = 0; x < c.width; x += 8) {
      unsigned bits = 0;
      for (int k = 0; k < 8; ++k)
        if (x + k < c.width && !c.Opaque(x + k, y)) bits |= 0x80u >> k;
      b.U8(bits);
      ++written;
    }
    for (; written < RowBytes1(c.width); ++written) b.U8(0);
  }
  return b.data;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  // Written to a temporary name and renamed, so a build never sees half a file.
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush()) {
      std::cerr << "make_images: cannot write " << temporary << "\n";
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::cerr << "make_images: cannot rename " << temporary << " to " << path << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_images OUTPUT_FOLDER\n";
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";

  Canvas strip(48, 16, kSilver);
  Paint(strip, 0, kOpenPicture);
  Paint(strip, 16, kSavePicture);
  Paint(strip, 32, kExitPicture);

  const bool ok = WriteFile(folder + "toolbar.bmp", BitmapFile(strip)) &&
                  WriteFile(folder + "quillhaven.ico", IconFile(DrawIcon()));
  return ok ? 0 : 1;
}

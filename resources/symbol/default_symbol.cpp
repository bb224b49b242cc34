#include "resources/symbol/default_symbol.h"

#include <array>

namespace qh {

namespace {

enum Colour : std::uint8_t {
  kBackground, kOutline, kRed, kHighlight, kShine, kNeedle, kNeedleLight, kShadow
};

// Blue, green, red of each palette entry; the unused entries stay black.
constexpr std::array<std::array<std::uint8_t, 3>, 8> kPalette = {{
    {{0xE0, 0xFF, 0xFF}},  // pale yellow background
    {{0x10, 0x10, 0x90}},  // dark red outline of the head
    {{0x28, 0x28, 0xDC}},  // red head
    {{0x90, 0x90, 0xFF}},  // light red
    {{0xFF, 0xFF, 0xFF}},  // white shine
    {{0x50, 0x50, 0x50}},  // needle
    {{0xB0, 0xB0, 0xB0}},  // needle edge
    {{0xB8, 0xC8, 0xC8}},  // shadow under the head
}};

// Geometry in half pixels, so that pixel centres (2x+1, 2y+1) are whole numbers and
// the picture needs no floating point.
struct Circle {
  int cx, cy, r2;
  bool Holds(int px, int py) const {
    return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= r2;
  }
};

// Squared distance test from a point to the segment A-B: |cross|^2 <= r^2 |AB|^2.
bool NearSegment(int px, int py, int ax, int ay, int bx, int by, int r2) {
  const long long dx = bx - ax, dy = by - ay;
  const long long len2 = dx * dx + dy * dy;
  const long long t = (px - ax) * dx + (py - ay) * dy;
  if (t < 0 || t > len2) return false;
  const long long cross = dx * (py - ay) - dy * (px - ax);
  return cross * cross <= r2 * len2;
}

void AppendLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> DefaultSymbolPixels() {
  const Circle head{29, 15, 11 * 11};
  const Circle rim{29, 15, 9 * 9};
  const Circle light{25, 11, 5 * 5};
  const Circle shine{24, 10, 2 * 2};
  const Circle shadow{31, 19, 11 * 11};
  std::vector<std::uint8_t> pixels(kSymbolSize * kSymbolSize, kBackground);
  for (int y = 0; y < kSymbolSize; ++y) {
    for (int x = 0; x < kSymbolSize; ++x) {
      const int px = 2 * x + 1, py = 2 * y + 1;
      std::uint8_t colour = kBackground;
      if (shadow.Holds(px, py)) colour = kShadow;
      // The needle runs from under the head down to the lower left corner.
      if (NearSegment(px, py, 23, 21, 5, 41, 3 * 3)) colour = kNeedleLight;
      if (NearSegment(px, py, 23, 21, 5, 41, 2 * 2)) colour = kNeedle;
      if (head.Holds(px, py)) colour = rim.Holds(px, py) ? kRed : kOutline;
      if (light.Holds(px, py)) colour = kHighlight;
      if (shine.Holds(px, py)) colour = kShine;
      pixels[static_cast<std::size_t>(y * kSymbolSize + x)] = colour;
    }
  }
  return pixels;
}

std::vector<std::uint8_t> DefaultSymbolBitmap() {
  constexpr std::uint32_t kRowBytes = ((kSymbolSize * 4 + 31) / 32) * 4;  // 4 bits a pixel
  constexpr std::uint32_t kImageBytes = kRowBytes * kSymbolSize;
  constexpr std::uint32_t kPaletteBytes = 16 * 4;
  constexpr std::uint32_t kDataOffset = 14 + 40 + kPaletteBytes;
  std::vector<std::uint8_t> out;
  out.reserve(kDataOffset + kImageBytes);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  AppendLe(out, kDataOffset + kImageBytes, 4);
  AppendLe(out, 0, 4);
  AppendLe(out, kDataOffset, 4);
  // BITMAPINFOHEADER: bottom-up rows, no compression, 16 colours.
  AppendLe(out, 40, 4);
  AppendLe(out, kSymbolSize, 4);
  AppendLe(out, kSymbolSize, 4);
  AppendLe(out, 1, 2);
  AppendLe(out, 4, 2);
  AppendLe(out, 0, 4);
  AppendLe(out, kImageBytes, 4);
  AppendLe(out, 2835, 4);  // 72 dots per inch
  AppendLe(out, 2835, 4);
  AppendLe(out, 16, 4);
  AppendLe(out, 0, 4);
  for (std::size_t i = 0; i < 16; ++i) {
    const auto bgr = i < kPalette.size() ? kPalette[i] : std::array<std::uint8_t, 3>{};
    out.insert(out.end(), bgr.begin(), bgr.end());
    out.push_back(0);
  }
  const std::vector<std::uint8_t> pixels = DefaultSymbolPixels();
  for (int y = kSymbolSize - 1; y >= 0; --y) {
    const std::uint8_t* row = pixels.data() + y * kSymbolSize;
    std::uint32_t written = 0;
    for (int x = 0; x < kSymbolSize; x += 2, ++written) {
      const std::uint8_t right = x + 1 < kSymbolSize ? row[x + 1] : 0;
      out.push_back(static_cast<std::uint8_t>((row[x] << 4) | right));
    }
    for (; written < kRowBytes; ++written) out.push_back(0);
  }
  return out;
}

}  // namespace qh

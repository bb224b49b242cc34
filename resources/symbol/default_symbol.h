// The default overlay icon: a red pushpin on a light background, 22 x 22 pixels in
// 4-bit indexed colour, the form TomTom devices show best. Drawn by code so that the
// shipped "default_symbol.bmp" and the copy built into psp2ov2 are the same bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace qh {

inline constexpr int kSymbolSize = 22;

// The palette index of every pixel, top row first.
std::vector<std::uint8_t> DefaultSymbolPixels();
// The whole ".bmp" file.
std::vector<std::uint8_t> DefaultSymbolBitmap();

}  // namespace qh

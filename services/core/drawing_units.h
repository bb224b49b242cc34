// Drawing units: each axis of a drawing area runs from 0 to 9999 whatever its size in
// pixels. Plain integer arithmetic shared by the window layer and its tests.
#pragma once

namespace qh {

constexpr int kUnitRange = 9999;

// Unit position u on an axis of n pixels: u * (n - 1) / 9999, truncating.
constexpr int UnitsToPixels(int units, int pixels) {
  return static_cast<int>(static_cast<long long>(units) * (pixels - 1) / kUnitRange);
}

// Pixel p back to units: trunc((p + 0.5) * 9999 / n) for n >= 2, else 0.
constexpr int PixelsToUnits(int pixel, int pixels) {
  if (pixels < 2) return 0;
  return static_cast<int>((pixel + 0.5) * kUnitRange / pixels);
}

}  // namespace qh

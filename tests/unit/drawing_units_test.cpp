// Drawing units against pixels: the truncations at both ends of an axis, and the
// round trip of every pixel of the converter's drawing area.
#include <gtest/gtest.h>

#include "core/drawing_units.h"

namespace qh {
namespace {

TEST(DrawingUnits, UnitsToPixelsTruncates) {
  struct Case { int units; int pixels; int expected; };
  const Case cases[] = {
      {0, 512, 0},      {9999, 512, 511},  {3500, 512, 178},  // the status part edge
      {100, 512, 5},    {1000, 228, 22},   {5000, 228, 113},
      {9998, 512, 510}, {1, 10000, 1},     {9999, 1, 0},      {5000, 2, 0},
      {-100, 512, -5},  // truncation toward zero on the negative side
  };
  for (const Case& c : cases)
    EXPECT_EQ(UnitsToPixels(c.units, c.pixels), c.expected) << c.units << " units of " << c.pixels;
}

TEST(DrawingUnits, PixelsToUnitsTakesThePixelCentre) {
  struct Case { int pixel; int pixels; int expected; };
  const Case cases[] = {
      {0, 512, 9},      {511, 512, 9989}, {256, 512, 5009}, {227, 228, 9977},
      {0, 2, 2499},     {1, 2, 7499},     {0, 1, 0},        {5, 0, 0},
      {10, 10000, 10},  {-1, 512, -9},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PixelsToUnits(c.pixel, c.pixels), c.expected) << "pixel " << c.pixel << " of " << c.pixels;
}

// Units of a pixel's centre map back to that pixel or one short of it (the forward
// map scales by n - 1, not n, and both directions truncate).
TEST(DrawingUnits, RoundTripLosesAtMostOnePixel) {
  for (int n : {2, 3, 228, 256, 512, 1024, 9999}) {
    for (int p = 0; p < n; ++p) {
      const int back = UnitsToPixels(PixelsToUnits(p, n), n);
      ASSERT_TRUE(back == p || back == p - 1)
          << "pixel " << p << " of " << n << " came back as " << back;
    }
  }
  EXPECT_EQ(UnitsToPixels(PixelsToUnits(0, 512), 512), 0);
  EXPECT_EQ(UnitsToPixels(PixelsToUnits(511, 512), 512), 510);
}

}  // namespace
}  // namespace qh

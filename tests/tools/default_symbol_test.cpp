#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/symbol/default_symbol.h"
#include "tests/formats/ov2_check.h"
#include "tests/support/temp_folder.h"

namespace qh {
namespace {

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}

TEST(DefaultSymbol, IsA22By22SixteenColourBitmap) {
  const auto bmp = DefaultSymbolBitmap();
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(Le(bmp, 2, 4), bmp.size());
  EXPECT_EQ(Le(bmp, 14, 4), 40u);   // header size
  EXPECT_EQ(Le(bmp, 18, 4), 22u);   // width
  EXPECT_EQ(Le(bmp, 22, 4), 22u);   // height, rows bottom-up
  EXPECT_EQ(Le(bmp, 26, 2), 1u);    // planes
  EXPECT_EQ(Le(bmp, 28, 2), 4u);    // bits a pixel
  EXPECT_EQ(Le(bmp, 30, 4), 0u);    // no compression
  const std::uint32_t offset = Le(bmp, 10, 4);
  EXPECT_EQ(offset, 14u + 40u + 16u * 4u);
  EXPECT_EQ(bmp.size(), offset + 12u * 22u);  // rows of 11 bytes padded to 12
}

TEST(DefaultSymbol, PixelsUnpackToThePictureWithALightBackground) {
  const auto bmp = DefaultSymbolBitmap();
  const auto pixels = DefaultSymbolPixels();
  ASSERT_EQ(pixels.size(), 22u * 22u);
  const std::size_t offset = Le(bmp, 10, 4);
  for (int y = 0; y < 22; ++y) {
    for (int x = 0; x < 22; ++x) {
      const std::uint8_t byte = bmp[offset + static_cast<std::size_t>((21 - y) * 12 + x / 2)];
      const int index = x % 2 == 0 ? byte >> 4 : byte & 15;
      ASSERT_EQ(index, pixels[static_cast<std::size_t>(y * 22 + x)]) << "x " << x << " y " << y;
    }
  }
  auto brightness = [&](int index) {
    const std::size_t at = 54 + static_cast<std::size_t>(index) * 4;  // blue, green, red
    return (bmp[at] + bmp[at + 1] + bmp[at + 2]) / 3;
  };
  auto reddish = [&](int index) {
    const std::size_t at = 54 + static_cast<std::size_t>(index) * 4;
    return bmp[at + 2] > 120 && bmp[at + 2] > bmp[at + 1] + 60;
  };
  EXPECT_GT(brightness(pixels[0]), 200) << "top left corner should be light";
  EXPECT_GT(brightness(pixels[22 * 22 - 1]), 200) << "bottom right corner should be light";
  int red = 0, dark = 0;
  for (std::uint8_t p : pixels) {
    if (reddish(p)) ++red;
    if (brightness(p) < 110) ++dark;
  }
  EXPECT_GE(red, 40) << "the pin's head";
  EXPECT_GE(dark, 12) << "the needle";
}

TEST(DefaultSymbol, TheCommittedFileIsTheGeneratorsOutput) {
  const std::string committed = test::ReadFile(QH_SOURCE_DIR "/resources/default_symbol.bmp");
  const auto generated = DefaultSymbolBitmap();
  ASSERT_EQ(committed.size(), generated.size())
      << "rebuild resources/default_symbol.bmp with the update_default_symbol target";
  EXPECT_TRUE(std::equal(generated.begin(), generated.end(), committed.begin(),
                         [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

}  // namespace
}  // namespace qh

#include <gtest/gtest.h>

#include <string>

#include "services/os.h"

namespace qh {
namespace {

TEST(TextCase, OnlyAsciiLettersChangeAndTheWholeBufferIsWalked) {
  std::string text = "a.psp     ";
  ITextUpper(text);
  EXPECT_EQ(text, "A.PSP     ");

  std::string mixed = "D:\\Data\\Pins.PSP 123 \xC9\xE9 [Z]`@{";
  ITextLower(mixed);
  EXPECT_EQ(mixed, "d:\\data\\pins.psp 123 \xC9\xE9 [z]`@{");
  ITextUpper(mixed);
  EXPECT_EQ(mixed, "D:\\DATA\\PINS.PSP 123 \xC9\xE9 [Z]`@{");
}

}  // namespace
}  // namespace qh

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "formats/text_encoding.h"

namespace qh {
namespace {

TEST(TextEncoding, EveryAssignedWindows1252ByteSurvivesTheWayThroughUtf8) {
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    std::string utf8, back;
    AppendUtf8FromWindows1252(utf8, byte);
    const bool replaced = AppendWindows1252FromUtf8(back, utf8);
    const bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    EXPECT_EQ(Windows1252Character(static_cast<unsigned char>(b)) == 0xFFFD, unassigned) << b;
    if (unassigned) {
      EXPECT_EQ(back, "?") << b;
      EXPECT_TRUE(replaced) << b;
    } else {
      EXPECT_EQ(back, byte) << b;
      EXPECT_FALSE(replaced) << b;
    }
  }
}

TEST(TextEncoding, Utf8ToWindows1252ReplacesWhatTheCodePageLacks) {
  struct Case {
    const char* utf8;
    const char* expected;
    bool replaced;
  };
  const Case cases[] = {
      {"Caf\xC3\xA9", "Caf\xE9", false},
      {"\xE2\x82\xAC 5", "\x80 5", false},     // the euro sign
      {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "?\xF3" "d?", true},  // Łódź
      {"\xF0\x9F\x98\x80!", "?!", true},       // beyond U+FFFF: one "?"
      {"\xC0\xAF", "??", true},                // overlong "/"
      {"\xED\xA0\x80", "???", true},           // a surrogate
      {"\xE2\x82", "??", true},                // cut sequence
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(AppendWindows1252FromUtf8(out, c.utf8), c.replaced) << c.utf8;
    EXPECT_EQ(out, c.expected) << c.utf8;
  }
}

TEST(TextEncoding, CheckedUtf8KeepsValidTextAndMarksBrokenBytes) {
  std::string out;
  EXPECT_FALSE(AppendCheckedUtf8(out, "\xC5\x81\xEF\xBF\xBD\xF0\x9F\x98\x80"));
  EXPECT_EQ(out, "\xC5\x81\xEF\xBF\xBD\xF0\x9F\x98\x80");
  out.clear();
  EXPECT_TRUE(AppendCheckedUtf8(out, "a\xFF" "b\xE2\x82"));
  EXPECT_EQ(out, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
}

// UTF-16 in either byte order: a pair of surrogates is one character, a lone surrogate
// and a last odd byte are U+FFFD, and say so.
TEST(TextEncoding, Utf16InEitherByteOrderBecomesUtf8) {
  struct Case {
    std::string littleEndian;
    std::string utf8;
    bool replaced;
  };
  const Case cases[] = {
      {std::string("A\0\xE9\0\xAC\x20", 6), "A\xC3\xA9\xE2\x82\xAC", false},
      {std::string("\x3C\xD8\xF0\xDF", 4), "\xF0\x9F\x8F\xB0", false},  // U+1F3F0
      {std::string("\x3C\xD8" "A\0", 4), "\xEF\xBF\xBD" "A", true},      // a lone high surrogate
      {std::string("\xF0\xDF", 2), "\xEF\xBF\xBD", true},                 // a lone low one
      {std::string("A\0B", 3), "A\xEF\xBF\xBD", true},                     // half a unit
  };
  for (const Case& c : cases) {
    std::string bigEndian = c.littleEndian;
    for (std::size_t i = 0; i + 1 < bigEndian.size(); i += 2) std::swap(bigEndian[i], bigEndian[i + 1]);
    for (const bool big : {false, true}) {
      std::string out = "x";
      EXPECT_EQ(AppendUtf8FromUtf16(out, big ? bigEndian : c.littleEndian, big), c.replaced) << c.utf8;
      EXPECT_EQ(out, "x" + c.utf8) << big;
    }
  }
}

// Whether text is UTF-8 throughout, told eight ASCII bytes at a time: the same answer
// as the character-by-character check, wherever a stray or broken byte falls.
TEST(TextEncoding, IsUtf8AgreesWithTheCheckedCopyWhereverTheFaultFalls) {
  std::mt19937 random(7);
  const std::string pieces[] = {"a", "abcdefgh", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                "\xEF\xBF\xBD", "\xE9", "\xC3", "\xED\xA0\x80", "\xC0\xAF", "\x80"};
  for (int n = 0; n < 20000; ++n) {
    std::string text;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      // Mostly ASCII and valid sequences, now and then a broken one.
      const std::size_t kinds = random() % 4 == 0 ? std::size(pieces) : 6;
      text += pieces[random() % kinds];
    }
    std::string copy;
    EXPECT_EQ(IsUtf8(text), !AppendCheckedUtf8(copy, text)) << text;
  }
  EXPECT_TRUE(IsUtf8(""));
  EXPECT_FALSE(IsUtf8("abcdefghijklmno\xE9"));
  EXPECT_FALSE(IsUtf8("\xE9" "bcdefghijklmnop"));
}

}  // namespace
}  // namespace qh

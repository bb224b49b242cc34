// The small encodings of a help file: compressed integers, context hashes and the
// code page of its texts.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "tools/helpc/bytes.h"
#include "tools/helpc/code_page.h"
#include "tools/helpc/context_hash.h"

namespace qh::help {
namespace {

struct EncodingCase {
  const char* what;
  std::function<void(ByteWriter&)> write;
  Bytes expected;
};

TEST(Bytes, CompressedIntegersAtTheirSizeLimits) {
  const EncodingCase cases[] = {
      {"unsigned short 0", [](ByteWriter& w) { w.CompressedU16(0); }, {0x00}},
      {"unsigned short 0x7F, the largest in one byte", [](ByteWriter& w) { w.CompressedU16(0x7F); }, {0xFE}},
      {"unsigned short 0x80, the smallest in two", [](ByteWriter& w) { w.CompressedU16(0x80); }, {0x01, 0x01}},
      {"unsigned short 0x7FFF", [](ByteWriter& w) { w.CompressedU16(0x7FFF); }, {0xFF, 0xFF}},
      {"signed short -0x40", [](ByteWriter& w) { w.CompressedI16(-0x40); }, {0x00}},
      {"signed short 0x3F", [](ByteWriter& w) { w.CompressedI16(0x3F); }, {0xFE}},
      {"signed short 0x40", [](ByteWriter& w) { w.CompressedI16(0x40); }, {0x81, 0x80}},
      {"signed short -0x41", [](ByteWriter& w) { w.CompressedI16(-0x41); }, {0x7F, 0x7F}},
      {"signed long 0", [](ByteWriter& w) { w.CompressedI32(0); }, {0x00, 0x80}},
      {"signed long -0x4000", [](ByteWriter& w) { w.CompressedI32(-0x4000); }, {0x00, 0x00}},
      {"signed long 0x3FFF", [](ByteWriter& w) { w.CompressedI32(0x3FFF); }, {0xFE, 0xFF}},
      {"signed long 0x4000", [](ByteWriter& w) { w.CompressedI32(0x4000); }, {0x01, 0x80, 0x00, 0x80}},
      {"little-endian long", [](ByteWriter& w) { w.U32(0x00035F3F); }, {0x3F, 0x5F, 0x03, 0x00}},
      {"padded text", [](ByteWriter& w) { w.Padded("abc", 5); }, {'a', 'b', 'c', 0, 0}},
      {"text cut to its width", [](ByteWriter& w) { w.Padded("abcdef", 4); }, {'a', 'b', 'c', 'd'}},
  };
  for (const EncodingCase& c : cases) {
    ByteWriter w;
    c.write(w);
    EXPECT_EQ(w.View(), c.expected) << c.what;
  }
}

TEST(Bytes, ValuesBeyondACompressedFormAreRefused) {
  ByteWriter w;
  EXPECT_THROW(w.CompressedU16(0x8000), std::out_of_range);
  EXPECT_THROW(w.CompressedI16(0x4000), std::out_of_range);
  EXPECT_THROW(w.CompressedI32(0x40000000), std::out_of_range);
  EXPECT_EQ(w.Size(), 0u) << "nothing written for a refused value";
}

TEST(ContextHash, MatchesTheViewersHash) {
  // The long and mixed names were looked up by name in Wine's viewer
  // (winhlp32 -i NAME), which hashes them itself, and found their topics.
  const struct {
    const char* name;
    std::int32_t hash;
  } cases[] = {
      {"a", 17}, {"A", 17}, {"z", 42}, {"1", 1}, {"9", 9}, {"0", 10}, {"ab", 17 * 43 + 18},
      {"a1", 732}, {"b0", 784}, {"Q7x", 61358}, {"Zz9", 79473}, {"m0n0p0", 4870647},
      {"Xylophone99", 704506830}, {"averyveryverylongcontextname", 951448463},
      {"zzzzzzzzzzzz", -1298638064},
  };
  for (const auto& c : cases) EXPECT_EQ(ContextHash(c.name), c.hash) << c.name;
}

TEST(ContextHash, OnlyLettersAndDigitsMakeAName) {
  for (const char* bad : {"", "a_b", "a.b", "a b", "caf\xC3\xA9"}) {
    EXPECT_FALSE(IsContextName(bad)) << bad;
    EXPECT_THROW(ContextHash(bad), std::invalid_argument) << bad;
  }
  EXPECT_TRUE(IsContextName("Saving2"));
}

TEST(CodePage, TextBecomesWindows1252) {
  EXPECT_EQ(ToWindows1252("plain ASCII"), "plain ASCII");
  EXPECT_EQ(ToWindows1252("caf\xC3\xA9 90\xC2\xB0"), "caf\xE9 90\xB0");
  EXPECT_EQ(ToWindows1252("\xE2\x82\xAC \xE2\x80\xBA \xE2\x80\x99 \xC5\x92"), "\x80 \x9B \x92 \x8C");
}

TEST(CodePage, CharactersWithoutAByteAreNamed) {
  const struct {
    const char* what;
    const char* text;
    char32_t missing;
  } cases[] = {
      {"L with stroke", "\xC5\x81", 0x141},
      {"emoji", "\xF0\x9F\x98\x80", 0x1F600},
      {"a control of the C1 range", "\xC2\x81", 0x81},
      {"a lone continuation byte", "a\x80", 0xFFFD},
      {"an overlong slash", "\xC0\xAF", 0xFFFD},
      {"a surrogate", "\xED\xA0\x80", 0xFFFD},
      {"a cut sequence", "\xE2\x82", 0xFFFD},
  };
  for (const auto& c : cases) {
    char32_t missing = 0;
    EXPECT_FALSE(ToWindows1252(c.text, &missing).has_value()) << c.what;
    EXPECT_EQ(missing, c.missing) << c.what;
  }
}

}  // namespace
}  // namespace qh::help

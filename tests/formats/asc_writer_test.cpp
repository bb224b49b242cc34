// ".asc" lines: columns, rounding, asterisks, the text in both encodings.
#include "formats/asc_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#if __has_include(<iconv.h>) && !defined(_WIN32)
#include <iconv.h>
#endif

#include "formats/pushpin_reader.h"

namespace qh {
namespace {

namespace fs = std::filesystem;

TEST(AscLineTest, ColumnsOfTheHomeExample) {
  const std::string line = AscLine(-0.12345, 51.5, "Home");
  EXPECT_EQ(line, "  -0.12345,  51.50000,\"Home\"\r\n");
  EXPECT_EQ(line.size(), 28u + 2u);
  EXPECT_EQ(line.find(','), 10u) << "column 11 holds the first comma";
  EXPECT_EQ(line.substr(21, 2), ",\"") << "columns 22-23";
}

TEST(AscLineTest, FixedPointFieldAtItsLimits) {
  struct Case {
    double value;
    const char* field;
  };
  const Case cases[] = {
      {0.0, "   0.00000"},
      {-0.0, "   0.00000"},
      {0.5, "   0.50000"},
      {-0.5, "  -0.50000"},
      {-0.000004, "   0.00000"},   // rounds to zero: no minus sign
      {-0.000005000001, "  -0.00001"},
      {0.015625, "   0.01562"},    // exactly halfway: to even
      {-0.015625, "  -0.01562"},
      {0.046875, "   0.04688"},
      {14.32394504547119140625, "  14.32395"},
      {-180.5, "-180.50000"},      // fills the ten columns
      {-999.99999, "-999.99999"},
      {-999.999995, "**********"},  // the double just beyond the halfway point
      {-1000.0, "**********"},
      {9999.99999, "9999.99999"},
      {9999.999995, "**********"},
      {10000.0, "**********"},
  };
  for (const Case& c : cases) {
    const std::string line = AscLine(c.value, c.value, "");
    EXPECT_EQ(line, std::string(c.field) + "," + c.field + ",\"\"\r\n") << "value " << c.value;
  }
}

TEST(AscLineTest, TextIsWrittenAsItStands) {
  const std::string text = std::string("a\"b,c\x01") + '\0' + "\xE9";
  EXPECT_EQ(AscLine(1.0, 2.0, text),
            "   1.00000,   2.00000,\"" + text + "\"\r\n");
}

TEST(PinTextTest, NotesModeJoinsTheConvertedTexts) {
  PinRecord pin;
  pin.name = u"A";
  pin.note1 = u"B";
  pin.note2 = u"C";
  EXPECT_EQ(PinText(pin, NotesMode::Ignore), "A");
  EXPECT_EQ(PinText(pin, NotesMode::Append), "ABC");

  pin.name = std::u16string{u'\u0141', u'\u00E9', u'\0', u'\u2603'};
  pin.note1 = u"line\r\n";
  pin.note2 = u"z";
  const std::string expected = "?\xE9 ?";
  EXPECT_EQ(PinText(pin, NotesMode::Ignore), expected);
  EXPECT_EQ(PinText(pin, NotesMode::Append), expected + "line  z");
  EXPECT_EQ(PinText(pin, NotesMode::Append, TextEncoding::kUtf8),
            "\xC5\x81\xC3\xA9 \xE2\x98\x83line  z");
}

// One text in both encodings: the byte of a unit up to U+00FF, Windows-1252 beyond it,
// UTF-8 at each length boundary, surrogates paired and alone, and line breaks.
TEST(PinTextTest, CharactersInBothEncodings) {
  struct Case {
    std::u16string text;
    std::string windows1252, utf8;
  };
  const Case cases[] = {
      {u"plain", "plain", "plain"},
      {u"a\r\nb\rc\nd", "a  b c d", "a  b c d"},
      // A NUL would end the name on the device.
      {std::u16string{u'a', u'\0', u'b'}, "a b", "a b"},
      {u"\u007F\u0080\u0085\u009F", "\x7F\x80\x85\x9F", "\x7F\xC2\x80\xC2\x85\xC2\x9F"},
      {u"\u00E9\u00FF", "\xE9\xFF", "\xC3\xA9\xC3\xBF"},
      {u"\u2019\u20AC\u0160\u0178", "\x92\x80\x8A\x9F",
       "\xE2\x80\x99\xE2\x82\xAC\xC5\xA0\xC5\xB8"},
      {u"\u0100\u0141\u07FF", "???", "\xC4\x80\xC5\x81\xDF\xBF"},
      {u"\u0800\uFFFD\uFFFF", "???", "\xE0\xA0\x80\xEF\xBF\xBD\xEF\xBF\xBF"},
      // Pairs: one character each.
      {u"\U0001F600", "?", "\xF0\x9F\x98\x80"},
      {u"\U00010000\U0010FFFF", "??", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
      // Lone surrogates: one each, and the unit after one is kept.
      {std::u16string{0xD83D, u'a'}, "?a", "\xEF\xBF\xBD" "a"},
      {std::u16string{u'a', 0xD83D}, "a?", "a\xEF\xBF\xBD"},
      {std::u16string{0xDE00, 0xD83D}, "??", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {std::u16string{0xD83D, 0xD83D, 0xDE00}, "??", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
      {std::u16string{0xD83D, u'\n'}, "? ", "\xEF\xBF\xBD "},
  };
  PinRecord pin;
  for (const Case& c : cases) {
    pin.name = c.text;
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(PinText(pin, NotesMode::Ignore, TextEncoding::kWindows1252), c.windows1252);
    EXPECT_EQ(PinText(pin, NotesMode::Ignore, TextEncoding::kUtf8), c.utf8);
    // The line says whether a character was replaced: "?" in Windows-1252 (no case
    // holds a "?" of its own), U+FFFD for a lone surrogate in UTF-8.
    std::string line;
    EXPECT_EQ(AppendAscLine(line, 1, 2, pin, NotesMode::Ignore, TextEncoding::kWindows1252),
              c.windows1252.find('?') != std::string::npos);
    const bool loneSurrogate = c.utf8.find("\xEF\xBF\xBD") != std::string::npos &&
                               c.text.find(u'\uFFFD') == std::u16string::npos;
    EXPECT_EQ(AppendAscLine(line, 1, 2, pin, NotesMode::Ignore, TextEncoding::kUtf8),
              loneSurrogate);
  }
}

#if __has_include(<iconv.h>) && !defined(_WIN32)
// Every character beyond U+00FF against the system's own Windows-1252 converter: its
// byte where the code page has one, else "?".
TEST(PinTextTest, Windows1252AgreesWithTheSystemsConverter) {
  const iconv_t converter = iconv_open("CP1252", "UTF-16LE");
  if (converter == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no CP1252 converter";
  PinRecord pin;
  int mapped = 0, differing = 0;
  std::string firstDifferences;
  for (char32_t c = 0x100; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    char out[4];
    char* inNext = in;
    char* outNext = out;
    std::size_t inLeft = sizeof in, outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    const bool converted = iconv(converter, &inNext, &inLeft, &outNext, &outLeft) != static_cast<std::size_t>(-1) &&
                           outNext - out == 1;
    const std::string expected = converted ? std::string(1, out[0]) : "?";
    mapped += converted;
    pin.name.assign(1, static_cast<char16_t>(c));
    const std::string actual = PinText(pin, NotesMode::Ignore);
    if (actual != expected && ++differing <= 5) {
      firstDifferences += ::testing::PrintToString(pin.name) + " gives " +
                          ::testing::PrintToString(actual) + ", the system " +
                          ::testing::PrintToString(expected) + "\n";
    }
  }
  iconv_close(converter);
  EXPECT_EQ(differing, 0) << firstDifferences;
  EXPECT_EQ(mapped, 27) << "characters beyond U+00FF the code page has";
}
#endif

// The line appended in place is byte for byte the line made of strings, after
// whatever the buffer already holds.
TEST(AppendAscLineTest, EqualsTheLineOfAscLineAndPinText) {
  PinRecord pin;
  pin.name = u"Caf\u00E9 \"A\" \u2019";
  pin.note1 = std::u16string{u'n', u'\u2603', u'\0', 0xD83D, 0xDE00, 0xD83D};
  pin.note2 = u"\r\nz";
  const double coordinates[][2] = {
      {-0.12345, 51.5}, {-180.5, 0.0}, {10000.0, -0.000004}, {0.015625, -999.999995}};
  std::string out = "kept";
  std::string expected = "kept";
  for (const auto& c : coordinates) {
    for (NotesMode mode : {NotesMode::Ignore, NotesMode::Append}) {
      for (TextEncoding encoding : {TextEncoding::kWindows1252, TextEncoding::kUtf8}) {
        AppendAscLine(out, c[0], c[1], pin, mode, encoding);
        expected += AscLine(c[0], c[1], PinText(pin, mode, encoding));
      }
    }
  }
  EXPECT_EQ(out, expected);
  pin = PinRecord{};
  out.clear();
  AppendAscLine(out, 1, 2, pin, NotesMode::Append);
  EXPECT_EQ(out, "   1.00000,   2.00000,\"\"\r\n");
  EXPECT_EQ(out.find('"'), kAscTextColumn - 1);
}

TEST(AddOffsetTest, SingleOffsetWidenedAndSummedInDouble) {
  EXPECT_EQ(AddOffset(0.1f, 1.0), 1.100000001490116119384765625);
  // Summing in single precision would move the fifth decimal here.
  EXPECT_EQ(AscLine(AddOffset(0.5f, 1234.56789), AddOffset(0.0f, -86.67955), ""),
            "1235.06789, -86.67955,\"\"\r\n");
  EXPECT_EQ(AscLine(AddOffset(0.001f, -0.12345), AddOffset(-0.002f, 51.5), "Home"),
            "  -0.12245,  51.49800,\"Home\"\r\n");
}

}  // namespace
}  // namespace qh

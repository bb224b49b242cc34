// Edit descriptors pinned at their rounding and width limits, and the text-to-number
// conversion with its error codes.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "numeric/edit_descriptors.h"
#include "services/errors.h"
#include "services/numbers.h"

namespace qh {
namespace {

struct FCase {
  double value;
  int width, decimals;
  const char* expected;
};

TEST(EditF, RoundsPadsAndOverflowsAtItsLimits) {
  const FCase cases[] = {
      {-0.12345, 10, 5, "  -0.12345"},
      {51.5, 10, 5, "  51.50000"},
      {0.5, 10, 5, "   0.50000"},
      {-0.5, 10, 5, "  -0.50000"},
      {-0.000004, 10, 5, "   0.00000"},  // rounds to zero: no sign
      {-0.0, 10, 5, "   0.00000"},
      {-180.5, 10, 5, "-180.50000"},     // fills the field exactly
      {10000.0, 10, 5, "**********"},
      {9999.99999, 10, 5, "9999.99999"},
      {9999.999995, 10, 5, "**********"},  // rounds up to 10000.00000
      {-999.99999, 10, 5, "-999.99999"},
      {-999.999995, 10, 5, "**********"},
      {0.015625, 10, 5, "   0.01562"},  // exact tie (1/64): half to even
      {0.046875, 10, 5, "   0.04688"},  // exact tie (3/64): half to even
      {14.32394504547119140625, 10, 5, "  14.32395"},
      {0.001, 9, 5, "  0.00100"},
      {-0.002, 9, 5, " -0.00200"},
      {0.0, 9, 5, "  0.00000"},
      {999.999995, 9, 5, "*********"},
      {-99.99999, 9, 5, "-99.99999"},
      {-100.0, 9, 5, "*********"},
      {-1.5, 8, 5, "-1.50000"},
      {2.25, 8, 5, " 2.25000"},
      {12.25, 8, 5, "12.25000"},
      {123.0, 8, 5, "********"},
      {-12.5, 8, 5, "********"},
      {-0.5, 7, 5, "-.50000"},  // no room for the leading zero
      {5.0, 3, 0, " 5."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EditF(c.value, c.width, c.decimals), c.expected)
        << "F" << c.width << "." << c.decimals << " of " << c.value;
  }
}

// The field as the text of std::to_chars would give it: an independent reference for
// the digits, so that any shortcut in EditF must agree with the exact expansion.
std::string ReferenceF(double value, int width, int decimals) {
  char buf[400];
  const auto end = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed, decimals).ptr;
  std::string digits(buf, end);
  if (decimals == 0) digits += '.';
  const bool negative = std::signbit(value) && digits.find_first_of("123456789") != std::string::npos;
  std::string text = (negative ? "-" : "") + digits;
  if (static_cast<int>(text.size()) > width && digits.rfind("0.", 0) == 0)
    text = (negative ? "-" : "") + digits.substr(1);
  if (static_cast<int>(text.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

TEST(EditF, AgreesWithTheExactExpansionEverywhere) {
  std::vector<double> values;
  std::mt19937_64 random(20240601);
  // Ordinary coordinates, every binary scale from subnormals to beyond 1e9, and the
  // halfway points of five and fewer decimals with their neighbours.
  std::uniform_real_distribution<double> degrees(-10000.0, 10000.0);
  for (int i = 0; i < 50000; ++i) values.push_back(degrees(random));
  for (int e = -1074; e <= 40; ++e) {
    const double scale = std::ldexp(1.0, e);
    values.push_back(scale);
    values.push_back(-scale * (1.0 + static_cast<double>(random() % 1000) / 1000.0));
  }
  for (int d = 0; d <= 9; ++d) {
    for (int k = 0; k < 2000; ++k) {
      const double half = (static_cast<double>(random() % 20000000) + 0.5) / std::pow(10.0, d);
      for (double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e300)}) {
        values.push_back(v);
        values.push_back(-v);
      }
    }
  }
  for (double v : {0.015625, 0.046875, 2.5, 0.5, 1.5, 999999999.5, 1e9, 9999.999995, 1e-6, 5e-6})
    values.push_back(v);
  int failures = 0;
  for (const double v : values) {
    for (int decimals : {0, 1, 2, 3, 5, 6, 9, 10}) {
      for (int width : {3, 7, 10, 16, 40}) {
        const std::string expected = ReferenceF(v, width, decimals);
        const std::string actual = EditF(v, width, decimals);
        if (actual != expected && ++failures <= 10) {
          ADD_FAILURE() << "F" << width << "." << decimals << " of " << v << ": expected \""
                        << expected << "\", got \"" << actual << "\"";
        }
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

// The number an F field shows, in units of its last decimal: its digits with its sign.
std::int64_t ShownUnits(const std::string& field) {
  std::int64_t units = 0;
  for (const char c : field) {
    if (c >= '0' && c <= '9') units = units * 10 + (c - '0');
  }
  return field.find('-') != std::string::npos ? -units : units;
}

// F10.5 by integer arithmetic against the general formatter, over a large sample made
// the same way on every run: ordinary coordinates, every exact tie at the fifth
// decimal (the odd multiples of 1/64) up to the asterisks and the doubles beside
// them, the doubles nearest the halfway points of many other values, the edges where
// the field fills up or overflows, and random bit patterns (subnormals, huge numbers,
// infinities and NaNs among them).
TEST(PutF10_5, AgreesWithTheGeneralFormatterOverALargeSample) {
  std::vector<double> values;
  std::mt19937_64 random(20250517);
  std::uniform_real_distribution<double> degrees(-20000.0, 20000.0);
  for (int i = 0; i < 600000; ++i) values.push_back(degrees(random));
  for (std::int64_t odd = 1; odd < 10001 * 64; odd += 2) {
    const double tie = static_cast<double>(odd) / 64.0;
    for (const double v : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300)}) {
      values.push_back(v);
      values.push_back(-v);
    }
  }
  for (int i = 0; i < 200000; ++i) {
    const double half = (static_cast<double>(random() % 1500000000) + 0.5) / 100000.0;
    double v = half;
    for (int step = 0; step < 3; ++step) v = std::nextafter(v, 0.0);
    for (int step = 0; step < 7; ++step, v = std::nextafter(v, 1e300)) values.push_back(i % 2 ? v : -v);
  }
  for (const double edge : {9999.999995, 999.999995, 10000.0, 1000.0, 0.000005, 0.0000049999999,
                            16384.0, 1e-320, 0.0}) {
    double v = edge;
    for (int step = 0; step < 50; ++step) v = std::nextafter(v, 0.0);
    for (int step = 0; step < 100; ++step, v = std::nextafter(v, 1e300)) {
      values.push_back(v);
      values.push_back(-v);
    }
  }
  for (int i = 0; i < 300000; ++i) values.push_back(std::bit_cast<double>(random()));
  int failures = 0;
  for (const double v : values) {
    char field[10];
    std::int32_t units = 12345;
    const bool fits = PutF10_5(v, field, units);
    const std::string expected = EditFExact(v, 10, 5);
    const std::string got(field, sizeof field);
    const bool agrees = got == expected && fits == (expected[0] != '*') &&
                        (!fits || units == ShownUnits(expected)) && EditF(v, 10, 5) == expected;
    if (!agrees && ++failures <= 10) {
      ADD_FAILURE() << "F10.5 of " << std::hexfloat << v << ": expected \"" << expected
                    << "\", got \"" << got << "\" (" << (fits ? "fits" : "asterisks") << ", "
                    << units << " units)";
    }
  }
  EXPECT_EQ(failures, 0) << "of " << values.size() << " values";
}

TEST(EditF, NotANumberIsAsterisks) {
  EXPECT_EQ(EditF(std::nan(""), 6, 2), "******");
  EXPECT_EQ(EditF(INFINITY, 6, 2), "******");
}

struct GCase {
  double value;
  int width, digits, exponent;
  const char* expected;
};

TEST(EditG, FixedInsideItsRangeExponentOutside) {
  const GCase cases[] = {
      {1.5, 15, 7, 2, "   1.500000    "},
      {0.5, 15, 7, 2, "  0.5000000    "},
      {-0.5, 15, 7, 2, " -0.5000000    "},
      {0.0, 15, 7, 2, "   0.000000    "},
      {1234567.0, 15, 7, 2, "   1234567.    "},
      {9999999.0, 15, 7, 2, "   9999999.    "},
      {9999999.6, 15, 7, 2, "  0.1000000E+08"},  // rounding carries it out of range
      {1.0e7, 15, 7, 2, "  0.1000000E+08"},
      {0.01, 15, 7, 2, "  0.1000000E-01"},
      {-0.002, 15, 7, 2, " -0.2000000E-02"},
      {0.1, 15, 7, 2, "  0.1000000    "},
      {3.0e38, 15, 7, 2, "  0.3000000E+39"},
      {1.0e-101, 15, 7, 2, "***************"},  // exponent needs three digits
      {1.0e-100, 15, 7, 2, "  0.1000000E-99"},
      {1.5, 15, 5, 2, "     1.5000    "},
      {100000.0, 15, 5, 2, "    0.10000E+06"},
      {12345.0, 15, 5, 2, "     12345.    "},
      // Too narrow for a digit before the four trailing blanks: stars, never a shorter text.
      {0.5, 1, 1, 2, "*"},
      {0.0, 4, 1, 2, "****"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EditG(c.value, c.width, c.digits, c.exponent), c.expected)
        << "G" << c.width << "." << c.digits << "E" << c.exponent << " of " << c.value;
  }
}

TEST(EditI, RightJustifiesAndOverflows) {
  EXPECT_EQ(EditI(13, 4), "  13");
  EXPECT_EQ(EditI(1001, 4), "1001");
  EXPECT_EQ(EditI(-5, 4), "  -5");
  EXPECT_EQ(EditI(12345, 4), "****");
  EXPECT_EQ(EditI(-1000, 4), "****");
  EXPECT_EQ(EditI(0, 11), "          0");
}

TEST(EditFormat, ReadsTheFormatText) {
  std::string out;
  ASSERT_TRUE(EditFormat("(F8.5)", -1.5, out));
  EXPECT_EQ(out, "-1.50000");
  ASSERT_TRUE(EditFormat("(G15.5E2)", 1.5, out));
  EXPECT_EQ(out, "     1.5000    ");
  ASSERT_TRUE(EditFormat("(g15.5)", 1.5, out));
  EXPECT_EQ(out, "     1.5000    ");
  ASSERT_TRUE(EditFormat("(I11)", 42.0, out));
  EXPECT_EQ(out, "         42");
  for (const char* bad : {"", "()", "(X5)", "(F8)", "(F8.5.3)", "(Fa.b)", "(I4.2)"}) {
    EXPECT_FALSE(EditFormat(bad, 1.0, out)) << bad;
    EXPECT_TRUE(out.empty()) << bad;
  }
}

struct ReadCase {
  const char* text;
  bool wide;
  double expected;
  int code;  // error code left behind, 0 for none
};

TEST(ReadNumber, ConvertsOrReportsTheCode) {
  const ReadCase cases[] = {
      {"1.5", false, 1.5, 0},
      {"-.25", false, -0.25, 0},
      {"2.5E3", false, 2500.0, 0},
      {"1.5e-2", false, static_cast<double>(0.015f), 0},
      {"12 abc", false, 12.0, 0},
      {"   7   ", false, 7.0, 0},
      {"+3", false, 3.0, 0},
      {"12345E2", false, 1234500.0, 0},
      {"0.5-100", false, 0.0, 0},   // a minus with three characters after it marks the exponent
      {"2+003", false, 2000.0, 0},
      {"0E50", false, 0.0, 0},      // a zero mantissa is zero whatever the exponent
      {"1.2.3", false, 0.0, 11},
      {"1x.2.3", false, 0.0, 11},  // two points are found before the stray letter
      {"1,5", false, 0.0, 12},
      {"1.5x", false, 0.0, 12},
      {"1E2.5", false, 0.0, 12},
      {"1D2", false, 0.0, 12},      // D marks an exponent only for 64-bit results
      {"-1.5-100", false, 0.0, 12}, // a sign at the start is not a marker
      {"1.5E+39", false, 0.0, 4},
      {"3.5E38", false, 0.0, 4},    // above the largest 32-bit real
      {"3.4E38", false, static_cast<double>(3.4e38f), 0},
      {"1234567890123456789012345678901234567890", false, 0.0, 4},  // 40 integer digits
      {"", false, 0.0, 10},
      {"     ", false, 0.0, 10},
      {"1.5D2", true, 150.0, 0},
      {"1d-1", true, 0.1, 0},
      {"1D309", true, 0.0, 4},
      {"0.1", true, 0.1, 0},
      // An exponent far beyond any integer reads as the underflow it is.
      {"5D-455555555555555555555555555555", true, 0.0, 0},
      {"5E-999999999999999999999999999999", false, 0.0, 0},
  };
  for (const auto& c : cases) {
    IErInfo(1);  // clear the last error
    const double got = ReadNumber(c.text, c.wide);
    EXPECT_EQ(got, c.expected) << "text [" << c.text << "] wide " << c.wide;
    EXPECT_EQ(IErInfo(1), c.code) << "text [" << c.text << "] wide " << c.wide;
  }
}

TEST(ReadNumber, ThirtyTwoBitResultsAreRoundedToSingle) {
  IErInfo(1);
  EXPECT_EQ(ReadNumber("0.1", false), static_cast<double>(0.1f));
  EXPECT_NE(ReadNumber("0.1", false), 0.1);
  EXPECT_EQ(IErInfo(1), 0);
}

}  // namespace
}  // namespace qh

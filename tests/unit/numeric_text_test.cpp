// The numeric fields' text rules: typed characters per class, the validation scan with
// ranges, and the text that putting a number shows.
#include <gtest/gtest.h>

#include <string>

#include "core/numeric_text.h"

namespace qh {
namespace {

using Kind = NumericFieldKind;

TEST(NumericText, ClassNames) {
  EXPECT_EQ(NumericKindOfClass("INTEGEREDIT"), Kind::Integer);
  EXPECT_EQ(NumericKindOfClass("IntegerSpin"), Kind::Integer);
  EXPECT_EQ(NumericKindOfClass("realedit"), Kind::Real);
  EXPECT_EQ(NumericKindOfClass("DOUBLEEDIT"), Kind::Double);
  EXPECT_EQ(NumericKindOfClass("EDIT"), std::nullopt);
  EXPECT_EQ(NumericKindOfClass("REALEDITX"), std::nullopt);
}

TEST(NumericText, TypedCharactersPerClass) {
  struct Case {
    int typed;
    int integer, real, dbl;  // what each class enters; -1 refused
  };
  const Case cases[] = {
      {'0', '0', '0', '0'}, {'9', '9', '9', '9'}, {'+', '+', '+', '+'}, {'-', '-', '-', '-'},
      {'.', -1, '.', '.'},  {'E', -1, 'E', 'E'},  {'e', -1, 'E', 'E'},  {'D', -1, -1, 'D'},
      {'d', -1, -1, 'D'},   {'x', -1, -1, -1},    {' ', -1, -1, -1},    {',', -1, -1, -1},
      {1, 1, 1, 1},         {3, 3, 3, 3},         {8, 8, 8, 8},         {9, 9, 9, 9},
      {13, 13, 13, 13},     {22, 22, 22, 22},     {24, 24, 24, 24},     {26, 26, 26, 26},
      {27, 27, 27, 27},     {2, -1, -1, -1},      {10, -1, -1, -1},     {127, -1, -1, -1},
      {0xE9, -1, -1, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FilterTypedCharacter(Kind::Integer, c.typed), c.integer) << "integer, char " << c.typed;
    EXPECT_EQ(FilterTypedCharacter(Kind::Real, c.typed), c.real) << "real, char " << c.typed;
    EXPECT_EQ(FilterTypedCharacter(Kind::Double, c.typed), c.dbl) << "double, char " << c.typed;
  }
}

TEST(NumericText, ValidationScan) {
  struct Case {
    const char* text;
    bool valid;
  };
  const Case cases[] = {
      {"", true},        {"1.5", true},      {"-.25", true},    {"  +12", true},
      {"\t3", true},     {"2.5E3", true},    {"1.5e-2", true},  {"1D+300", true},
      {"7d4", true},     {"1.", true},       {"-", true},       {"1.5E", true},
      {"1.2.3", false},  {"1,5", false},     {"1.5x", false},   {"12 abc", false},
      {"1.5 ", false},   {"E5", true},       {"1E5E5", false},  {"1E2.5", false},
      {"--1", false},    {"1-", false},      {"**********", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NumericTextScans(c.text), c.valid) << "\"" << c.text << "\"";
    EXPECT_EQ(NumericFieldTextValid(c.text, 1000.0, -1000.0), c.valid) << "no range, \"" << c.text << "\"";
  }
}

TEST(NumericText, RangesOnlyWhenInForce) {
  EXPECT_FALSE(RangeInForce(1000.0, -1000.0)) << "a new field has none";
  EXPECT_TRUE(RangeInForce(0, 0));
  struct Case {
    const char* text;
    double low, high;
    bool valid;
  };
  const Case cases[] = {
      {"10", 0, 10, true},     {"10.0001", 0, 10, false}, {"-0", 0, 10, true},
      {"-1", 0, 10, false},    {"1E1", 0, 10, true},      {"1E2", 0, 10, false},
      {"1D-1", 0, 10, true},   {"", 5, 10, true},         {"-", 5, 10, false},
      {"1E999", 0, 10, false}, {"-1E999", -1, 1, false},  {"1E-999", -1, 1, true},
      {"11", 10, 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NumericFieldTextValid(c.text, c.low, c.high), c.valid)
        << "\"" << c.text << "\" in " << c.low << ".." << c.high;
  }
  EXPECT_DOUBLE_EQ(ScannedValue(" -.25"), -0.25);
  EXPECT_DOUBLE_EQ(ScannedValue("2.5d3"), 2500.0);
  EXPECT_DOUBLE_EQ(ScannedValue("+4E"), 4.0);
}

TEST(NumericText, PutTexts) {
  struct Case {
    double value;
    std::optional<std::string_view> format;
    std::string_view defaultFormat;
    const char* text;
    bool fitted;
  };
  const Case cases[] = {
      {-1.5, "(F8.5)", kRealFieldFormat, "-1.50000", true},
      {2.25, "(F8.5)", kRealFieldFormat, "2.25000", true},
      {0.0, "(F8.5)", kRealFieldFormat, "0.00000", true},
      {12.25, "(F8.5)", kRealFieldFormat, "12.25000", true},
      {123.0, "(F8.5)", kRealFieldFormat, "**********", false},
      {-12.5, "(F8.5)", kRealFieldFormat, "**********", false},
      {-10.0, "(F8.5)", kRealFieldFormat, "**********", false},
      {1.5, std::nullopt, kRealFieldFormat, "1.5000", true},
      {1.5, "   ", kRealFieldFormat, "1.5000", true},
      {123456.0, std::nullopt, kRealFieldFormat, "0.12346E+06", true},
      {42.0, kIntegerFieldFormat, kIntegerFieldFormat, "42", true},
      {-7.0, kIntegerFieldFormat, kIntegerFieldFormat, "-7", true},
      {1.0, "(Q3)", kRealFieldFormat, "**********", false},
  };
  for (const Case& c : cases) {
    bool fitted = !c.fitted;
    EXPECT_EQ(FieldNumberText(c.value, c.format, c.defaultFormat, fitted), c.text)
        << c.value << " with " << c.format.value_or("<none>");
    EXPECT_EQ(fitted, c.fitted) << c.value << " with " << c.format.value_or("<none>");
  }
}

}  // namespace
}  // namespace qh

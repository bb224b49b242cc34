#include "core/numeric_text.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <system_error>

#include "services/numbers.h"
#include "services/text.h"
#include "numeric/ascii.h"

namespace qh {
namespace {


bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != b[i])
      return false;
  }
  return true;
}

bool PassingControl(int c) {
  switch (c) {
    case 1: case 3: case 8: case 9: case 13: case 22: case 24: case 26: case 27:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::optional<NumericFieldKind> NumericKindOfClass(std::string_view className) {
  if (SameName(className, "INTEGEREDIT") || SameName(className, "INTEGERSPIN"))
    return NumericFieldKind::Integer;
  if (SameName(className, "REALEDIT")) return NumericFieldKind::Real;
  if (SameName(className, "DOUBLEEDIT")) return NumericFieldKind::Double;
  return std::nullopt;
}

int FilterTypedCharacter(NumericFieldKind kind, int c) {
  if (PassingControl(c)) return c;
  if ((c >= '0' && c <= '9') || c == '+' || c == '-') return c;
  if (kind == NumericFieldKind::Integer) return -1;
  if (c == '.' || c == 'E') return c;
  if (c == 'e') return 'E';
  if (kind == NumericFieldKind::Double) {
    if (c == 'D') return c;
    if (c == 'd') return 'D';
  }
  return -1;
}

bool NumericTextScans(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  bool point = false;
  while (i < n && (IsDigit(text[i]) || (text[i] == '.' && !point))) {
    if (text[i] == '.') point = true;
    ++i;
  }
  if (i < n && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < n && IsDigit(text[i])) ++i;
  }
  return i == n;
}

double ScannedValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::string number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') number += '-';
    ++i;
  }
  number += '0';  // a digit before the point, and "" or "." read as zero
  while (i < text.size() && (IsDigit(text[i]) || text[i] == '.')) number += text[i++];
  if (i < text.size()) {
    ++i;  // the exponent letter
    std::string exponent;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      if (text[i] == '-') exponent += '-';
      ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
      exponent += text[i++];
      ++digits;
    }
    if (digits > 0) number += "e" + exponent;
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: far outside any range, or zero.
    const bool negative = number[0] == '-';
    const bool tiny = number.find("e-") != std::string::npos;
    if (tiny) return 0.0;
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  }
  return value;
}

bool NumericFieldTextValid(std::string_view text, double low, double high) {
  if (text.empty()) return true;
  if (!NumericTextScans(text)) return false;
  return WithinRange(low, high, ScannedValue(text));
}

std::string FieldNumberText(double value, std::optional<std::string_view> format,
                            std::string_view defaultFormat, bool& fitted) {
  std::string_view used = defaultFormat;
  if (format && !IsBlank(*format)) used = format->substr(0, 50);
  std::string edited;
  const bool understood = EditFormat(used, value, edited);
  const bool starsAdded = edited.find('*') != std::string::npos &&
                          used.find('*') == std::string_view::npos;
  fitted = understood && !starsAdded;
  if (!fitted) return std::string(10, '*');
  if (edited.size() > 100) edited.resize(100);
  std::size_t first = 0;
  while (first < edited.size() && edited[first] == ' ') ++first;
  return std::string(Trimmed(std::string_view(edited).substr(first)));
}

}  // namespace qh

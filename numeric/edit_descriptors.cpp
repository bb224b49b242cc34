// Numeric editing: the F, G and I edit descriptors. std::to_chars gives the exact
// decimal expansion of a double, so every rounding here is a correct rounding of the
// binary value (exact ties go to even).
#include "numeric/edit_descriptors.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>


namespace qh {
namespace {

std::string Stars(int width) { return std::string(static_cast<std::size_t>(std::max(width, 0)), '*'); }

std::string RightJustify(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return Stars(width);
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// Fixed-point digits of |value| with `decimals` places; empty when not finite.
std::string FixedDigits(double magnitude, int decimals) {
  char buf[400];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return {};
  std::string digits(buf, end);
  if (decimals == 0) digits += '.';  // the point is always written
  return digits;
}

bool AllZeroDigits(std::string_view digits) {
  for (char c : digits)
    if (c >= '1' && c <= '9') return false;
  return true;
}

// Sign and optional leading zero: the zero before the point goes first when room is short.
std::string FitFixed(bool negative, std::string digits, int width) {
  if (AllZeroDigits(digits)) negative = false;  // -0.000004 prints as 0.00000
  std::string text = (negative ? "-" : "") + digits;
  if (static_cast<int>(text.size()) > width && digits.size() > 1 && digits[0] == '0' && digits[1] == '.')
    text = (negative ? "-" : "") + digits.substr(1);
  return RightJustify(text, width);
}

// Exponent form 0.ddddE+xx in `width` columns; std::nullopt-like empty string on overflow.
std::string ExponentForm(double value, int width, int digits, int exponentDigits) {
  const double magnitude = std::fabs(value);
  std::string mantissa;
  int exponent = 0;
  if (magnitude == 0.0) {
    mantissa = std::string(static_cast<std::size_t>(digits), '0');
  } else {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, digits - 1);
    if (ec != std::errc()) return Stars(width);
    std::string s(buf, end);  // d.ddde+XX
    const auto e = s.find('e');
    for (std::size_t i = 0; i < e; ++i)
      if (s[i] != '.') mantissa += s[i];
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), exponent);
    exponent += 1;  // 0.ddd form
  }
  std::string exp = std::to_string(std::abs(exponent));
  if (static_cast<int>(exp.size()) > exponentDigits) return Stars(width);
  exp = std::string(static_cast<std::size_t>(exponentDigits) - exp.size(), '0') + exp;
  const std::string tail = "." + mantissa + "E" + (exponent < 0 ? "-" : "+") + exp;
  const bool negative = value < 0 && magnitude != 0.0;
  std::string text = (negative ? "-0" : "0") + tail;
  if (static_cast<int>(text.size()) > width) text = (negative ? "-" : "") + tail;
  return RightJustify(text, width);
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// |value| * 10^decimals rounded to an integer as the exact binary value rounds (ties
// to even). The product in double is within half a unit in its last place of the
// exact one, so it rounds the same way unless it lies that close to a half; those
// rare values, and large ones, are left to std::to_chars (false).
bool ScaledInteger(double magnitude, int decimals, std::uint64_t& scaled) {
  if (decimals > 9 || !(magnitude < 1e9)) return false;
  const double product = magnitude * kPowersOfTen[decimals];  // below 2^60
  const auto whole = static_cast<std::uint64_t>(product);
  const double fraction = product - static_cast<double>(whole);  // exact
  if (std::fabs(fraction - 0.5) <= product * 0x1p-52) return false;
  scaled = whole + (fraction > 0.5 ? 1 : 0);
  return true;
}

// Writes `value` in decimal, at least `digits` digits with leading zeros, to end
// just before `end`; returns where it begins. Two digits a step from a table halve
// the chain of divisions.
char* PutDigits(char* end, std::uint32_t value, int digits) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324"
      "25262728293031323334353637383940414243444546474849"
      "50515253545556575859606162636465666768697071727374"
      "75767778798081828384858687888990919293949596979899";
  for (; value >= 10 || digits > 1; digits -= 2) {
    const std::uint32_t pair = value % 100;
    value /= 100;
    end -= 2;
    std::memcpy(end, kPairs + std::size_t{2} * pair, 2);
  }
  if (value > 0 || digits > 0) *--end = static_cast<char>('0' + value);
  return end;
}

// The fast path of EditF, for the short fields that make up nearly all output
// (millions of ".asc" columns): the field is put together right to left in `text`,
// with no string but the result. False when it does not cover the case.
constexpr int kShortWidth = 32;
bool ShortEditF(double value, int width, int decimals, char (&text)[2 * kShortWidth],
                std::string_view& field) {
  const double magnitude = std::fabs(value);
  std::uint64_t scaled = 0;
  if (width > kShortWidth || !ScaledInteger(magnitude, decimals, scaled)) return false;
  // Both parts fit 32 bits. The truncated magnitude spares a division; rounding may
  // carry one unit into it.
  auto whole = static_cast<std::uint32_t>(magnitude);
  const auto unit = static_cast<std::uint32_t>(kPowersOfTen[decimals]);
  auto fraction = static_cast<std::uint32_t>(scaled - std::uint64_t{whole} * unit);
  if (fraction == unit) {
    ++whole;
    fraction = 0;
  }
  // Right to left into a buffer of blanks, so the padding is already there.
  std::memset(text, ' ', sizeof text);
  char* const end = text + sizeof text;
  char* first = end;
  if (decimals == 0) *--first = '.';  // the point is always written
  first = PutDigits(first, fraction, decimals);
  if (decimals > 0) *--first = '.';
  first = PutDigits(first, whole, 1);
  const bool negative = std::signbit(value) && scaled != 0;  // -0.000004 prints as 0.00000
  const auto columns = static_cast<std::ptrdiff_t>(std::max(width, 0));
  std::ptrdiff_t length = (end - first) + (negative ? 1 : 0);
  if (length > columns && first[0] == '0') {  // the zero before the point goes first
    *first++ = ' ';
    --length;
  }
  if (length > columns) {
    std::memset(end - columns, '*', static_cast<std::size_t>(columns));
  } else if (negative) {
    *--first = '-';
  }
  field = std::string_view(end - columns, static_cast<std::size_t>(columns));
  return true;
}

// |value| * 10^5 rounded to an integer from the bits of the double, the exact binary
// value rounded with ties to even; false when that is 10^9 or more, or not a number.
// The value is mantissa * 2^exponent, so the scaled one is mantissa * 3125 >> shift with
// shift = -(exponent + 5); the product, up to 65 bits, is kept in two parts: `high`
// above the low 32 bits `low`. Below 2^14 (the only magnitudes that fit ten columns)
// the shift is at least 34.
bool ScaledBy10To5(double magnitude, std::uint32_t& scaled) {
  if (!(magnitude < 16384.0)) return false;  // also infinity and NaN
  // Nearly always the product in doubles rounds as the exact one does. Below 2^31 every
  // whole number and a half is a double, and the product is rounded to the nearest
  // double: it lies on the same side of each half as the exact product, or on it. Only
  // a product that is a whole number and a half needs the exact way below.
  const double product = magnitude * 100000.0;
  const auto whole = static_cast<std::int32_t>(product);  // below 2^31, and truncated
  const double fraction = product - whole;  // exact
  if (fraction != 0.5) {
    const auto rounded = static_cast<std::uint32_t>(whole) + (fraction > 0.5 ? 1u : 0u);
    if (rounded >= 1000000000u) return false;
    scaled = rounded;
    return true;
  }
  const auto bits = std::bit_cast<std::uint64_t>(magnitude);
  const auto field = static_cast<int>(bits >> 52);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  if (field != 0) mantissa |= std::uint64_t{1} << 52;
  const int shift = (field != 0 ? 1075 - field : 1074) - 5;
  const std::uint64_t lowProduct = (mantissa & 0xFFFFFFFFu) * 3125;
  const std::uint64_t high = (mantissa >> 32) * 3125 + (lowProduct >> 32);
  const std::uint64_t low = lowProduct & 0xFFFFFFFFu;
  const int highShift = shift - 32;  // at least 2
  if (highShift > 40) {  // the product is below 2^66 and a half at least 2^72
    scaled = 0;
    return true;
  }
  const std::uint64_t quotient = high >> highShift;
  const std::uint64_t rest = high & ((std::uint64_t{1} << highShift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (highShift - 1);
  // Up past the half, and at the half itself when the quotient is odd: computed, not
  // branched on, as the digits beyond the fifth decimal are as good as random.
  const auto above = static_cast<std::uint64_t>(rest > half);
  const auto atHalf = static_cast<std::uint64_t>(rest == half);
  const std::uint64_t up = above | (atHalf & (static_cast<std::uint64_t>(low != 0) | quotient));
  const std::uint64_t rounded = quotient + (up & 1);
  if (rounded >= 1000000000u) return false;
  scaled = static_cast<std::uint32_t>(rounded);
  return true;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324"
    "25262728293031323334353637383940414243444546474849"
    "50515253545556575859606162636465666768697071727374"
    "75767778798081828384858687888990919293949596979899";

void PutPair(char* at, std::uint32_t pair) { std::memcpy(at, kDigitPairs + std::size_t{2} * pair, 2); }

// The four columns before the point of an F10.5 field, for every whole part one shows:
// 0 to 9999 as digits after blanks, then (from kNegativeLead on) 0 to 999 with the
// sign before them. Read from a table rather than chosen by branches: coordinates vary
// in length and sign from one line to the next and would defeat a guess.
constexpr std::uint32_t kNegativeLead = 10000;
constexpr auto kLeadColumns = [] {
  std::array<std::array<char, 4>, kNegativeLead + 1000> columns{};
  for (std::uint32_t i = 0; i < columns.size(); ++i) {
    const bool negative = i >= kNegativeLead;
    std::uint32_t whole = negative ? i - kNegativeLead : i;
    int at = 3;
    do {
      columns[i][static_cast<std::size_t>(at--)] = static_cast<char>('0' + whole % 10);
      whole /= 10;
    } while (whole > 0);
    if (negative) columns[i][static_cast<std::size_t>(at--)] = '-';
    for (; at >= 0; --at) columns[i][static_cast<std::size_t>(at)] = ' ';
  }
  return columns;
}();

}  // namespace

bool PutF10_5(double value, char* field, std::int32_t& units) {
  std::uint32_t scaled = 0;
  const bool negative = std::signbit(value);
  // Ten columns: "dddd.ddddd" or "-ddd.ddddd" at the most; a zero has no sign.
  // (The sign is half the time one way and half the other: it is computed with, not
  // branched on.)
  const auto sign = static_cast<std::uint32_t>(negative);
  if (!ScaledBy10To5(std::fabs(value), scaled) || scaled >= 1000000000u - sign * 900000000u) {
    std::memset(field, '*', 10);
    return false;
  }
  const std::uint32_t shownSign = sign & static_cast<std::uint32_t>(scaled != 0);
  const std::uint32_t whole = scaled / 100000, fraction = scaled % 100000;
  std::memcpy(field, kLeadColumns[whole + shownSign * kNegativeLead].data(), 4);
  field[4] = '.';
  PutPair(field + 5, fraction / 1000);
  PutPair(field + 7, fraction % 1000 / 10);
  field[9] = static_cast<char>('0' + fraction % 10);
  const auto magnitude = static_cast<std::int32_t>(scaled);
  units = shownSign != 0 ? -magnitude : magnitude;
  return true;
}

std::string EditF(double value, int width, int decimals) {
  if (!std::isfinite(value) || decimals < 0) return Stars(width);
  char text[2 * kShortWidth];
  if (std::string_view field; ShortEditF(value, width, decimals, text, field)) {
    return std::string(field);
  }
  return EditFExact(value, width, decimals);
}

std::string EditFExact(double value, int width, int decimals) {
  if (!std::isfinite(value) || decimals < 0) return Stars(width);
  const std::string digits = FixedDigits(std::fabs(value), decimals);
  if (digits.empty()) return Stars(width);
  return FitFixed(std::signbit(value), digits, width);
}

std::string EditG(double value, int width, int digits, int exponentDigits) {
  if (!std::isfinite(value) || digits < 1) return Stars(width);
  const int trailing = exponentDigits + 2;
  const double magnitude = std::fabs(value);
  // The fixed form needs a digit before its trailing blanks; a narrower field cannot
  // hold it, and the field keeps its width whatever the value.
  const bool fixedFits = width - trailing >= 1;
  if (magnitude == 0.0) {
    if (!fixedFits) return Stars(width);
    const std::string fixed = FitFixed(false, FixedDigits(0.0, digits - 1), width - trailing);
    return fixed + std::string(static_cast<std::size_t>(trailing), ' ');
  }
  // The decimal exponent after rounding to `digits` significant digits decides the form.
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, digits - 1);
  if (ec != std::errc()) return Stars(width);
  const std::string s(buf, end);
  int exponent = 0;
  const auto e = s.find('e');
  std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), exponent);
  const int k = exponent + 1;  // 10^(k-1) <= rounded magnitude < 10^k
  if (k >= 0 && k <= digits) {
    if (!fixedFits) return Stars(width);
    const std::string fixed = FitFixed(std::signbit(value), FixedDigits(magnitude, digits - k), width - trailing);
    if (fixed.find('*') != std::string::npos) return Stars(width);
    return fixed + std::string(static_cast<std::size_t>(trailing), ' ');
  }
  return ExponentForm(value, width, digits, exponentDigits);
}

std::string EditI(std::int64_t value, int width) {
  return RightJustify(std::to_string(value), width);
}

bool EditFormat(std::string_view format, double value, std::string& out) {
  out.clear();
  std::string f;
  for (char c : format)
    if (c != ' ' && c != '(' && c != ')') f += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (f.size() < 2) return false;
  const char kind = f[0];
  int numbers[3] = {0, -1, -1};
  int count = 0;
  const char* p = f.data() + 1;
  const char* last = f.data() + f.size();
  while (p < last && count < 3) {
    auto [next, ec] = std::from_chars(p, last, numbers[count]);
    if (ec != std::errc()) return false;
    ++count;
    p = next;
    if (p < last && (*p == '.' || *p == 'E')) {
      if (*p == 'E' && count != 2) return false;
      ++p;
    } else if (p < last) {
      return false;
    }
  }
  if (p != last || numbers[0] <= 0) return false;
  switch (kind) {
    case 'F':
      if (count != 2) return false;
      out = EditF(value, numbers[0], numbers[1]);
      return true;
    case 'G':
      if (count < 2) return false;
      out = EditG(value, numbers[0], numbers[1], count == 3 ? numbers[2] : 2);
      return true;
    case 'I':
      if (count != 1) return false;
      if (!std::isfinite(value) || std::fabs(value) > 9.2e18) {
        out = Stars(numbers[0]);
      } else {
        out = EditI(static_cast<std::int64_t>(value), numbers[0]);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace qh

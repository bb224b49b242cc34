// Numeric editing (F, G and I edit descriptors) and the text-to-number conversion.
// std::to_chars gives the exact decimal expansion of a double, so every rounding here
// is a correct rounding of the binary value (exact ties go to even).
#include "services/numbers.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "services/errors.h"

namespace qh {
namespace {

std::string Stars(int width) { return std::string(static_cast<std::size_t>(std::max(width, 0)), '*'); }

std::string RightJustify(std::string text, int width) {
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

// The fast path of F editing, for the short fields that make up nearly all output
// (millions of ".asc" columns): the digits go to a stack buffer instead of strings.
constexpr std::size_t kShortDigits = 64;

#ifdef __SIZEOF_INT128__
// |value| * 10^decimals rounded to an integer, ties to even, from the exact binary
// value: the same digits std::to_chars gives, several times faster. False outside the
// range it covers.
bool ScaledInteger(double magnitude, int decimals, std::uint64_t& scaled) {
  constexpr std::uint64_t kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000,
                                       100000000, 1000000000};
  if (decimals > 9 || !(magnitude < 1e9)) return false;
  const auto bits = std::bit_cast<std::uint64_t>(magnitude);
  const int biased = static_cast<int>(bits >> 52);
  if (biased == 0) {  // zero or subnormal: far below half a unit of any decimal here
    scaled = 0;
    return true;
  }
  // magnitude = mantissa / 2^shift, shift > 23 as magnitude < 2^30.
  const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | std::uint64_t{1} << 52;
  const int shift = 1075 - biased;
  const unsigned __int128 product = static_cast<unsigned __int128>(mantissa) * kPowers[decimals];
  if (shift > 100) {  // product < 2^83: less than half
    scaled = 0;
    return true;
  }
  std::uint64_t quotient = static_cast<std::uint64_t>(product >> shift);
  const unsigned __int128 rest = product - (static_cast<unsigned __int128>(quotient) << shift);
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
  if (rest > half || (rest == half && (quotient & 1) != 0)) ++quotient;
  scaled = quotient;
  return true;
}
#endif

// What FixedDigits gives, written to `out` (kShortDigits bytes); 0 when it does not fit.
std::size_t ShortFixedDigits(double magnitude, int decimals, char* out) {
  char* end = out;
#ifdef __SIZEOF_INT128__
  std::uint64_t scaled = 0;
  if (ScaledInteger(magnitude, decimals, scaled)) {
    char reversed[32];
    std::size_t n = 0;
    for (int i = 0; i < decimals; ++i, scaled /= 10) reversed[n++] = static_cast<char>('0' + scaled % 10);
    if (decimals > 0) reversed[n++] = '.';
    do {
      reversed[n++] = static_cast<char>('0' + scaled % 10);
      scaled /= 10;
    } while (scaled != 0);
    while (n > 0) *end++ = reversed[--n];
  }
#endif
  if (end == out) {
    const auto [last, ec] =
        std::to_chars(out, out + kShortDigits - 1, magnitude, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return 0;
    end = last;
  }
  if (decimals == 0) *end++ = '.';
  return static_cast<std::size_t>(end - out);
}

// FitFixed on a stack buffer.
std::string FitShortFixed(bool negative, std::string_view digits, int width) {
  if (AllZeroDigits(digits)) negative = false;
  std::size_t length = digits.size() + (negative ? 1 : 0);
  const auto columns = static_cast<std::size_t>(std::max(width, 0));
  if (length > columns && digits.size() > 1 && digits[0] == '0' && digits[1] == '.') {
    digits.remove_prefix(1);
    --length;
  }
  if (length > columns) return Stars(width);
  std::string field(columns, ' ');
  char* at = field.data() + (columns - length);
  if (negative) *at++ = '-';
  std::memcpy(at, digits.data(), digits.size());
  return field;
}

}  // namespace

std::string EditF(double value, int width, int decimals) {
  if (!std::isfinite(value) || decimals < 0) return Stars(width);
  char short_digits[kShortDigits];
  if (const std::size_t n = ShortFixedDigits(std::fabs(value), decimals, short_digits)) {
    return FitShortFixed(std::signbit(value), std::string_view(short_digits, n), width);
  }
  const std::string digits = FixedDigits(std::fabs(value), decimals);
  if (digits.empty()) return Stars(width);
  return FitFixed(std::signbit(value), digits, width);
}

std::string EditG(double value, int width, int digits, int exponentDigits) {
  if (!std::isfinite(value) || digits < 1) return Stars(width);
  const int trailing = exponentDigits + 2;
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) {
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

namespace {

constexpr int kNoSubstring = 10;
constexpr int kTooLarge = 4;
constexpr int kTwoPoints = 11;
constexpr int kInvalidCharacter = 12;

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\0'; }

// Checks one part (mantissa or exponent) and returns its digits in a form that
// std::from_chars reads exactly; 0 on success, else the error code.
int CheckPart(std::string_view part, bool isExponent, int maxIntegerDigits, std::string& clean) {
  clean.clear();
  std::size_t start = 0;
  bool negative = false;
  if (!part.empty() && (part[0] == '-' || part[0] == '+')) {
    negative = part[0] == '-';
    start = 1;
  }
  int integerDigits = 0;
  bool seenPoint = false;
  for (std::size_t i = start; i < part.size(); ++i) {
    const char c = part[i];
    if (c == '.') {
      if (isExponent) return kInvalidCharacter;
      if (seenPoint) return kTwoPoints;
      seenPoint = true;
    } else if (c < '0' || c > '9') {
      return kInvalidCharacter;
    } else if (!seenPoint) {
      ++integerDigits;
    }
  }
  if (integerDigits > maxIntegerDigits) return kTooLarge;
  clean = negative ? "-" : "";
  clean += "0";  // gives a digit before the point and makes an empty part read as zero
  clean.append(part.substr(start));
  if (clean.back() == '.') clean.pop_back();
  return 0;
}

double Fail(int code) {
  IErReport(code);
  return 0.0;
}

}  // namespace

double ReadNumber(std::string_view text, bool wide) {
  std::size_t first = 0;
  while (first < text.size() && IsBlankChar(text[first])) ++first;
  if (first == text.size()) return Fail(kNoSubstring);
  std::size_t last = first;
  while (last < text.size() && !IsBlankChar(text[last])) ++last;
  const std::string_view word = text.substr(first, last - first);

  // The exponent marker: E, then e (then D, d for a 64-bit result), by letter, not by
  // position; failing those, a sign after the first character followed by exactly three.
  std::size_t marker = std::string_view::npos;
  bool markerNegates = false;
  for (char letter : std::string_view(wide ? "EeDd" : "Ee")) {
    marker = word.find(letter);
    if (marker != std::string_view::npos) break;
  }
  if (marker == std::string_view::npos) {
    for (char sign : {'+', '-'}) {
      const std::size_t at = word.find(sign);
      if (at != std::string_view::npos && at > 0 && word.size() - at - 1 == 3) {
        marker = at;
        markerNegates = sign == '-';
        break;
      }
    }
  }
  const int maxDigits = wide ? 309 : 39;
  const std::string_view mantissaText = word.substr(0, marker == std::string_view::npos ? word.size() : marker);
  std::string mantissa, exponent;
  if (int code = CheckPart(mantissaText, false, maxDigits, mantissa)) return Fail(code);

  double result = 0.0;
  if (marker == std::string_view::npos) {
    std::from_chars(mantissa.data(), mantissa.data() + mantissa.size(), result);
  } else {
    if (int code = CheckPart(word.substr(marker + 1), true, maxDigits, exponent)) return Fail(code);
    double m = 0.0;
    std::from_chars(mantissa.data(), mantissa.data() + mantissa.size(), m);
    if (m == 0.0) return 0.0;
    double e = 0.0;
    std::from_chars(exponent.data(), exponent.data() + exponent.size(), e);
    if (markerNegates) e = -e;
    const double k = std::trunc(std::log10(std::fabs(m)) - 1.0);
    const double decimalExponent = std::trunc(e) + k;
    if (decimalExponent > (wide ? 308 : 38)) return Fail(kTooLarge);
    // Read mantissa and exponent together so the result is the correctly rounded value.
    const std::string joined = mantissa + "e" + std::to_string(static_cast<long long>(std::trunc(e)));
    auto [ptr, ec] = std::from_chars(joined.data(), joined.data() + joined.size(), result);
    if (ec == std::errc::result_out_of_range) {
      if (std::fabs(std::trunc(e)) > 0 && decimalExponent < 0) return 0.0;  // underflow reads as zero
      return Fail(kTooLarge);
    }
  }
  if (!wide) {
    if (std::fabs(result) > 3.4028234663852886e+38) return Fail(kTooLarge);
    return static_cast<double>(static_cast<float>(result));
  }
  if (!std::isfinite(result)) return Fail(kTooLarge);
  return result;
}

}  // namespace qh

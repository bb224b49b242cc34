// The services' text-to-number conversion: the first word of a text, with the
// services' error codes for what is not a number.
#include "services/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "services/errors.h"
#include "core/error_codes.h"

namespace qh {
namespace {


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
  // A second decimal point in the mantissa is reported before any stray character.
  if (!isExponent) {
    const std::size_t point = part.find('.');
    if (point != std::string_view::npos && part.find('.', point + 1) != std::string_view::npos) {
      return kErrTwoDecimalPoints;
    }
  }
  int integerDigits = 0;
  bool seenPoint = false;
  for (std::size_t i = start; i < part.size(); ++i) {
    const char c = part[i];
    if (c == '.') {
      if (isExponent) return kErrInvalidCharacter;
      if (seenPoint) return kErrTwoDecimalPoints;
      seenPoint = true;
    } else if (c < '0' || c > '9') {
      return kErrInvalidCharacter;
    } else if (!seenPoint) {
      ++integerDigits;
    }
  }
  if (integerDigits > maxIntegerDigits) return kErrNumberTooLarge;
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

// The exponent marker: E, then e (then D, d for a 64-bit result), by letter, not by
// position; failing those, a sign after the first character followed by exactly three.
struct ExponentMarker {
  std::size_t at = std::string_view::npos;
  bool negates = false;  // a "-" that is the marker and the exponent's sign at once
};

ExponentMarker FindExponentMarker(std::string_view word, bool wide) {
  ExponentMarker marker;
  for (char letter : std::string_view(wide ? "EeDd" : "Ee")) {
    marker.at = word.find(letter);
    if (marker.at != std::string_view::npos) return marker;
  }
  for (char sign : {'+', '-'}) {
    const std::size_t at = word.find(sign);
    if (at != std::string_view::npos && at > 0 && word.size() - at - 1 == 3) {
      marker.at = at;
      marker.negates = sign == '-';
      return marker;
    }
  }
  return marker;
}

// A checked mantissa with an exponent: too large fails, far too small reads as zero.
double ReadWithExponent(const std::string& mantissa, std::string_view exponentText, bool negates,
                        bool wide, int maxDigits) {
  std::string exponent;
  if (int code = CheckPart(exponentText, true, maxDigits, exponent)) return Fail(code);
  double m = 0.0;
  std::from_chars(mantissa.data(), mantissa.data() + mantissa.size(), m);
  if (m == 0.0) return 0.0;
  double e = 0.0;
  std::from_chars(exponent.data(), exponent.data() + exponent.size(), e);
  if (negates) e = -e;
  const double k = std::trunc(std::log10(std::fabs(m)) - 1.0);
  const double decimalExponent = std::trunc(e) + k;
  if (decimalExponent > (wide ? 308 : 38)) return Fail(kErrNumberTooLarge);
  // Far below the smallest double it can only read as zero; the exponent would not
  // even fit an integer on its way to the text below.
  if (decimalExponent < -400) return 0.0;
  // Read mantissa and exponent together so the result is the correctly rounded value.
  const std::string joined = mantissa + "e" + std::to_string(static_cast<long long>(std::trunc(e)));
  double result = 0.0;
  auto [ptr, ec] = std::from_chars(joined.data(), joined.data() + joined.size(), result);
  if (ec == std::errc::result_out_of_range) {
    if (std::fabs(std::trunc(e)) > 0 && decimalExponent < 0) return 0.0;  // underflow reads as zero
    return Fail(kErrNumberTooLarge);
  }
  return result;
}

}  // namespace

double ReadNumber(std::string_view text, bool wide) {
  std::size_t first = 0;
  while (first < text.size() && IsBlankChar(text[first])) ++first;
  if (first == text.size()) return Fail(kErrNoSubstring);
  std::size_t last = first;
  while (last < text.size() && !IsBlankChar(text[last])) ++last;
  const std::string_view word = text.substr(first, last - first);

  const ExponentMarker marker = FindExponentMarker(word, wide);
  const int maxDigits = wide ? 309 : 39;
  const std::string_view mantissaText = word.substr(0, marker.at == std::string_view::npos ? word.size() : marker.at);
  std::string mantissa;
  if (int code = CheckPart(mantissaText, false, maxDigits, mantissa)) return Fail(code);

  double result = 0.0;
  if (marker.at == std::string_view::npos) {
    std::from_chars(mantissa.data(), mantissa.data() + mantissa.size(), result);
  } else {
    result = ReadWithExponent(mantissa, word.substr(marker.at + 1), marker.negates, wide, maxDigits);
    if (result == 0.0) return result;  // zero as it is, or a failure already reported
  }
  if (!wide) {
    if (std::fabs(result) > 3.4028234663852886e+38) return Fail(kErrNumberTooLarge);
    return static_cast<double>(static_cast<float>(result));
  }
  if (!std::isfinite(result)) return Fail(kErrNumberTooLarge);
  return result;
}

}  // namespace qh

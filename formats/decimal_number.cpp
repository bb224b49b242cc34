#include "formats/decimal_number.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

#include "numeric/ascii.h"

namespace qh {
namespace {

// For a number that a double cannot hold: whether its first significant digit lies
// below the units (so that it reads as zero) rather than above. `number` is what
// from_chars matched: [-]digits[.digits][e[sign]digits].
bool IsTooSmall(std::string_view number) {
  std::size_t i = !number.empty() && number[0] == '-' ? 1 : 0;
  const std::size_t wholeStart = i;
  while (i < number.size() && IsDigit(number[i])) ++i;
  const std::size_t wholeEnd = i;
  long long place = 0;  // of the first significant digit: 0 for the units, -1 for tenths
  bool found = false;
  for (std::size_t k = wholeStart; k < wholeEnd && !found; ++k) {
    found = number[k] != '0';
    place = static_cast<long long>(wholeEnd - 1 - k);
  }
  if (i < number.size() && number[i] == '.') {
    ++i;
    for (long long decimal = 1; i < number.size() && IsDigit(number[i]); ++i, ++decimal) {
      if (!found && number[i] != '0') {
        found = true;
        place = -decimal;
      }
    }
  }
  long long exponent = 0;
  bool negative = false;
  if (i < number.size()) {  // 'e' or 'E'
    ++i;
    if (i < number.size() && (number[i] == '-' || number[i] == '+')) negative = number[i++] == '-';
    for (; i < number.size() && IsDigit(number[i]); ++i) {
      if (exponent < 1000000) exponent = exponent * 10 + (number[i] - '0');
    }
  }
  return !found || place + (negative ? -exponent : exponent) < 0;
}

// "[-]digits[.digits]" of at most 15 digits in all, read exactly without the general
// reader: the digits as an integer (below 2^53) and a power of ten up to 10^15 are both
// exact doubles, so one division rounds as the general reader does. Coordinates are
// written so; false leaves anything else (an exponent, more digits) to the general
// reader.
bool ReadShortDecimal(const char* first, const char* last, const char*& end, double& value) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const char* at = first;
  const bool negative = at < last && *at == '-';
  if (negative) ++at;
  std::uint64_t digits = 0;
  // The digits up to `at`, and their count from where they start: one test a digit.
  const auto readDigits = [&] {
    const char* const start = at;
    for (; at < last; ++at) {
      const auto digit = static_cast<unsigned>(static_cast<unsigned char>(*at)) - '0';
      if (digit > 9) break;
      digits = digits * 10 + digit;
    }
    return static_cast<int>(at - start);
  };
  int count = readDigits(), decimals = 0;
  if (at < last && *at == '.') {
    ++at;
    decimals = readDigits();
    count += decimals;
  }
  // Past 15 digits the integer may have wrapped: the count is tested first.
  if (count == 0 || count > 15 || (at < last && (*at == 'e' || *at == 'E'))) return false;
  value = static_cast<double>(digits) / kPowersOfTen[decimals];
  if (negative) value = -value;
  end = at;
  return true;
}

}  // namespace

bool ReadDecimal(std::string_view line, std::size_t& pos, double& value) {
  std::size_t start = pos;
  if (start < line.size() && line[start] == '+') ++start;
  std::size_t lead = start;
  if (lead == pos && lead < line.size() && line[lead] == '-') ++lead;
  if (lead >= line.size() || !(IsDigit(line[lead]) || line[lead] == '.')) return false;
  const char* first = line.data() + start;
  const char* last = line.data() + line.size();
  if (const char* end = nullptr; ReadShortDecimal(first, last, end, value)) {
    pos = static_cast<std::size_t>(end - line.data());
    return true;
  }
  const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ptr == first) return false;
  if (ec == std::errc::result_out_of_range) {
    const bool negative = *first == '-';
    const std::string_view number(first, static_cast<std::size_t>(ptr - first));
    value = IsTooSmall(number) ? 0.0 : std::numeric_limits<double>::infinity();
    if (negative) value = -value;
  } else if (ec != std::errc()) {
    return false;
  }
  pos = static_cast<std::size_t>(ptr - line.data());
  return true;
}

bool ParseDecimal(std::string_view text, double& value) {
  std::size_t pos = 0;
  return ReadDecimal(text, pos, value) && pos == text.size();
}

}  // namespace qh

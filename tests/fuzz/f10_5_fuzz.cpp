// The F10.5 columns of the ".asc" lines: PutF10_5, made by integer arithmetic for
// speed, writes what the general formatter (EditFExact, the exact decimal expansion of
// std::to_chars) and EditF write, for any double: the same ten columns, asterisks
// exactly when the value does not fit, and the units it returns are the number the
// columns show. Besides the fuzzer's own double, each input makes an exact tie at the
// fifth decimal (an odd multiple of 1/64) and a value beside one of the asterisks'
// edges, each with its neighbouring doubles and both signs.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "numeric/edit_descriptors.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::string Shown(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%a (%.17g)", value, value);
  return text;
}

std::int64_t ShownUnits(const std::string& field) {
  std::int64_t units = 0;
  for (const char c : field) {
    if (c >= '0' && c <= '9') units = units * 10 + (c - '0');
  }
  return field.find('-') != std::string::npos ? -units : units;
}

void Check(double value) {
  char field[10];
  std::int32_t units = 0;
  const bool fits = qh::PutF10_5(value, field, units);
  const std::string got(field, sizeof field);
  const std::string expected = qh::EditFExact(value, 10, 5);
  QH_FUZZ_CHECK(got == expected, "F10.5 of " + Shown(value) + ": \"" + got + "\" for \"" +
                                     expected + "\"");
  QH_FUZZ_CHECK(qh::EditF(value, 10, 5) == expected, "EditF of " + Shown(value));
  QH_FUZZ_CHECK(fits == (expected.find('*') == std::string::npos),
                "asterisks not told for " + Shown(value));
  if (fits) {
    QH_FUZZ_CHECK(units == ShownUnits(expected), "units " + std::to_string(units) + " of \"" +
                                                     expected + "\" for " + Shown(value));
  }
}

// The value, the doubles `reach` steps either side of it, and all of them negated.
void CheckAround(double value, int reach) {
  double v = value;
  for (int step = 0; step < reach && std::isfinite(v); ++step) v = std::nextafter(v, -INFINITY);
  for (int step = 0; step <= 2 * reach; ++step, v = std::nextafter(v, INFINITY)) {
    Check(v);
    Check(-v);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qh::fuzz::Bytes input(data, size);
  const double value = input.Take<double>();
  const std::uint32_t odd = 2 * (input.Take<std::uint32_t>() % (10001u * 32u)) + 1;
  const std::uint8_t edge = input.Take<std::uint8_t>();
  const std::int16_t shift = input.Take<std::int16_t>();
  CheckAround(value, 2);
  CheckAround(static_cast<double>(odd) / 64.0, 2);  // a tie, up to the asterisks
  // Where the field fills up, overflows, or shows its first unit; the point itself is
  // the nearest double to the halfway value, so its neighbours straddle it.
  constexpr double kEdges[] = {9999.999995, 999.999995, 10000.0, 1000.0,
                               0.000005,    16384.0,    0.0,     5e-324};
  const double at = kEdges[edge % (sizeof kEdges / sizeof kEdges[0])];
  double v = at;
  for (int step = 0; step < shift % 64 && std::isfinite(v); ++step) v = std::nextafter(v, INFINITY);
  for (int step = 0; step > shift % 64; --step) v = std::nextafter(v, -INFINITY);
  CheckAround(v, 1);
  return 0;
}

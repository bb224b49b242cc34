// Number formatting and reading: what an edit descriptor writes reads back through the
// services' number conversion (and the ".asc" parser) as the value it was written
// from, to within the descriptor's rounding; any text read gives a finite number, and
// zero whenever an error code was reported.
#include <cmath>
#include <cstdint>
#include <string>

#include "core/error_state.h"
#include "formats/asc_reader.h"
#include "formats/decimal_number.h"
#include "services/errors.h"
#include "services/numbers.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using qh::fuzz::Shown;

bool Stars(const std::string& text) { return text.find('*') != std::string::npos; }

// Reads `text` as the services do, both widths; returns the 64-bit value.
double ReadBack(const std::string& text, const std::string& what) {
  const double wide = qh::ReadNumber(text, true);
  QH_FUZZ_CHECK(qh::IErInfo(1) == 0, what + " " + Shown(text) + " reported an error");
  const double narrow = qh::ReadNumber(text, false);
  const int narrowError = qh::IErInfo(1);
  if (narrowError == 0) {
    QH_FUZZ_CHECK(narrow == static_cast<double>(static_cast<float>(wide)),
                  what + " " + Shown(text) + " reads differently in single precision");
  } else {
    QH_FUZZ_CHECK(narrow == 0 && std::fabs(wide) > 3.4e38, what + " " + Shown(text) +
                                                                " refused in single precision");
  }
  return wide;
}

void CheckF(double value, int width, int decimals) {
  const std::string text = qh::EditF(value, width, decimals);
  QH_FUZZ_CHECK(static_cast<int>(text.size()) == width, "F width of " + Shown(text));
  if (Stars(text)) return;
  const std::string what = "F" + std::to_string(width) + "." + std::to_string(decimals);
  const double back = ReadBack(text, what);
  const double step = std::pow(10.0, -decimals);
  QH_FUZZ_CHECK(std::fabs(back - value) <= 0.5 * step * (1 + 1e-9) + std::fabs(value) * 1e-15,
                what + " " + Shown(text) + " is not " + std::to_string(value));
  // The ".asc" parser takes numbers with a digit; F writes a lone "." for a zero
  // without room for one.
  if (text.find_first_of("0123456789") == std::string::npos) return;
  double parsed = 0;
  QH_FUZZ_CHECK(qh::ParseDecimal(text.substr(text.find_first_not_of(' ')), parsed) && parsed == back,
                what + " " + Shown(text) + " reads differently in the .asc parser");
}

void CheckG(double value, int width, int digits) {
  const std::string text = qh::EditG(value, width, digits);
  QH_FUZZ_CHECK(static_cast<int>(text.size()) == width, "G width of " + Shown(text));
  if (Stars(text)) return;
  const std::string what = "G" + std::to_string(width) + "." + std::to_string(digits);
  const double back = ReadBack(text, what);
  // Half a unit in the last written digit, plus the rounding of the text back to a
  // double: at 16 digits the two are of a size.
  const double relative = 0.5 * std::pow(10.0, 1 - digits) * (1 + 1e-9) + 0x1p-52;
  QH_FUZZ_CHECK(std::fabs(back - value) <= relative * std::fabs(value) + 1e-300,
                what + " " + Shown(text) + " is not " + std::to_string(value));
}

void CheckI(std::int64_t value, int width) {
  const std::string text = qh::EditI(value, width);
  QH_FUZZ_CHECK(static_cast<int>(text.size()) == width, "I width of " + Shown(text));
  if (Stars(text)) return;
  const double back = ReadBack(text, "I" + std::to_string(width));
  QH_FUZZ_CHECK(back == static_cast<double>(value), "I " + Shown(text) + " is not " + std::to_string(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    qh::ResetErrorStateForTests();  // reporting mode 0: codes are kept, nothing shown
    return true;
  }();
  (void)ready;
  qh::fuzz::Bytes input(data, size);
  const double value = input.Take<double>();
  const int width = 1 + input.Take<std::uint8_t>() % 40;
  const int places = input.Take<std::uint8_t>() % 20;
  const std::int64_t integer = input.Take<std::int64_t>();
  if (std::isfinite(value)) {
    CheckF(value, width, places % width);
    if (places >= 1) CheckG(value, width, places);
  }
  if (integer > -(std::int64_t{1} << 53) && integer < (std::int64_t{1} << 53)) CheckI(integer, width);

  // The rest as typed text: a finite number, and zero once an error was reported.
  const std::string text(input.Rest());
  for (const bool wide : {false, true}) {
    const double read = qh::ReadNumber(text, wide);
    const int error = qh::IErInfo(1);
    QH_FUZZ_CHECK(std::isfinite(read), "not finite from " + Shown(text));
    QH_FUZZ_CHECK(error == 0 || read == 0, "error " + std::to_string(error) + " yet " +
                                               std::to_string(read) + " from " + Shown(text));
  }
  return 0;
}

// The offsets-file reader. Any text: a refused one leaves the caller's values alone, an
// accepted one gives finite numbers, and the file reader says Loaded exactly when the
// text parses, with the same numbers. Offsets taken from the input go through the
// file's own line and read back to within its seven significant digits.
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "formats/offsets_file.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/temp_folder.h"

namespace {

using qh::fuzz::Shown;

bool Same(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

// G15.7 keeps seven significant digits: half a unit of the seventh, then the float's
// own rounding.
bool CloseEnough(float written, float read) {
  const double tolerance = 0.5e-6 * std::fabs(static_cast<double>(written)) * (1 + 1e-6) + 1e-45;
  return std::fabs(static_cast<double>(written) - static_cast<double>(read)) <= tolerance * 1.2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static qh::test::TempFolder folder;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  constexpr float kSentinel = -12345.75f;
  float longitude = kSentinel, latitude = kSentinel;
  const bool parsed = qh::ParseOffsets(text, longitude, latitude);
  if (!parsed) {
    QH_FUZZ_CHECK(Same(longitude, kSentinel) && Same(latitude, kSentinel),
                  "a refused text changed the offsets: " + Shown(text));
  } else {
    QH_FUZZ_CHECK(std::isfinite(longitude) && std::isfinite(latitude),
                  "offsets not finite from " + Shown(text));
  }

  const std::string path = folder.File("offsets.txt");
  qh::test::WriteFile(path, text);
  float fileLongitude = kSentinel, fileLatitude = kSentinel;
  const qh::OffsetsRead read = qh::ReadOffsetsFile(path, fileLongitude, fileLatitude);
  QH_FUZZ_CHECK((read == qh::OffsetsRead::Loaded) == parsed,
                "the file reader and the parser disagree on " + Shown(text));
  if (parsed) {
    QH_FUZZ_CHECK(Same(fileLongitude, longitude) && Same(fileLatitude, latitude),
                  "the file reader's numbers differ");
  } else {
    QH_FUZZ_CHECK(fileLongitude == 0 && fileLatitude == 0, "a bad file leaves offsets");
  }

  // The first eight bytes as two offsets, through the file's line and back.
  qh::fuzz::Bytes input(data, size);
  const float wantedLongitude = input.Take<float>();
  const float wantedLatitude = input.Take<float>();
  if (!std::isfinite(wantedLongitude) || !std::isfinite(wantedLatitude)) return 0;
  const std::string line = qh::OffsetsFileLine(wantedLongitude, wantedLatitude);
  QH_FUZZ_CHECK(line.size() == 1 + 15 + 15 + 2 && line.ends_with("\r\n"),
                "offsets line " + Shown(line));
  float backLongitude = kSentinel, backLatitude = kSentinel;
  QH_FUZZ_CHECK(qh::ParseOffsets(line, backLongitude, backLatitude),
                "the file's own line refused: " + Shown(line));
  QH_FUZZ_CHECK(CloseEnough(wantedLongitude, backLongitude) && CloseEnough(wantedLatitude, backLatitude),
                "offsets moved through " + Shown(line));
  return 0;
}

// Pushpin files for tests, built from pins: the reader's layout written out byte by
// byte, so every test (and every test program) makes its inputs instead of relying
// on sample files that a checkout may not have.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qh::test {

// The reader's factor, inverted: degrees in, the radians a file stores.
inline constexpr double kRadiansPerDegree = 1.0 / 57.295780181884765625;

// One pin as a file stores it: coordinates in radians, texts as UTF-16 code units.
struct StoredPin {
  std::uint8_t flag = 0;
  double latitudeRadians = 0;
  double longitudeRadians = 0;
  std::u16string name, note1, note2;
  std::int32_t layout = 7;
  std::int32_t symbol = 3;
};

// The bytes of a pushpin file holding `pins`, ids counting from 1; a `declared` of 0
// or more stands in the header instead of the real count.
std::string PushpinBytes(const std::vector<StoredPin>& pins, int declared = -1);

// Nine pins shaped like a file exported by a real mapping program: zone flag 2,
// western longitudes already stored negative, a name, a first note and an empty
// second note on every pin.
std::vector<StoredPin> SamplePins();

}  // namespace qh::test

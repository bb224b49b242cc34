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

// Pushpin file bytes field by field, for records no well-formed pin gives (negative
// counts, texts cut short, files that end inside a field).
class PspBytes {
 public:
  // 12 and 16 marked filler bytes around the pin count.
  PspBytes& Header(std::int32_t npins);
  PspBytes& Int32(std::int32_t value);
  PspBytes& Byte(std::uint8_t value);
  PspBytes& Double(double value);
  // UTF-16 code units, low byte first, with no count.
  PspBytes& Units(const std::u16string& text);
  // Pin fields up to and including `symbol` (29 bytes).
  PspBytes& PinStart(std::int32_t id, std::uint8_t flag, double latRad, double lonRad,
                     std::int32_t layout = 7, std::int32_t symbol = -3);
  // A whole pin with ordinary (non-negative) counts.
  PspBytes& Pin(std::int32_t id, std::uint8_t flag, double latRad, double lonRad,
                const std::u16string& name, const std::u16string& note1 = u"",
                const std::u16string& note2 = u"");
  std::size_t Size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& Data() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

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
// second note on every pin; one note holds a line break, one name a typographic
// apostrophe.
std::vector<StoredPin> SamplePins();

// Three pins at the edges of what an overlay holds: one in Lodz named with a "Ł" that
// Windows-1252 lacks, one at 179.9995 degrees east (beyond 180 with an offset of 0.001),
// and one in London.
std::vector<StoredPin> EdgePins();

}  // namespace qh::test

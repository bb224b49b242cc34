#include "tests/support/pushpin_builder.h"

#include <bit>

namespace qh::test {
namespace {

template <typename T>
void PutLittleEndian(std::string& out, T value) {
  using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t,
                                  std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint8_t>>;
  const auto bits = std::bit_cast<Bits>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<char>(bits >> (8 * i)));
}

void PutText(std::string& out, const std::u16string& text) {
  out.push_back(static_cast<char>(text.size()));
  for (const char16_t unit : text) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
}

}  // namespace

PspBytes& PspBytes::Header(std::int32_t npins) {
  for (int i = 0; i < 12; ++i) bytes_.push_back(static_cast<std::uint8_t>(0xA0 + i));
  Int32(npins);
  for (int i = 0; i < 16; ++i) bytes_.push_back(static_cast<std::uint8_t>(0xB0 + i));
  return *this;
}

PspBytes& PspBytes::Int32(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
  return *this;
}

PspBytes& PspBytes::Byte(std::uint8_t value) {
  bytes_.push_back(value);
  return *this;
}

PspBytes& PspBytes::Double(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
  return *this;
}

PspBytes& PspBytes::Units(const std::u16string& text) {
  for (const char16_t unit : text) {
    bytes_.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return *this;
}

PspBytes& PspBytes::PinStart(std::int32_t id, std::uint8_t flag, double latRad, double lonRad,
                             std::int32_t layout, std::int32_t symbol) {
  return Int32(id).Byte(flag).Double(latRad).Double(lonRad).Int32(layout).Int32(symbol);
}

PspBytes& PspBytes::Pin(std::int32_t id, std::uint8_t flag, double latRad, double lonRad,
                        const std::u16string& name, const std::u16string& note1,
                        const std::u16string& note2) {
  PinStart(id, flag, latRad, lonRad);
  Byte(static_cast<std::uint8_t>(name.size())).Units(name);
  Byte(static_cast<std::uint8_t>(note1.size())).Units(note1);
  return Byte(static_cast<std::uint8_t>(note2.size())).Units(note2);
}

std::string PushpinBytes(const std::vector<StoredPin>& pins, int declared) {
  std::string out = "1niP" + std::string(8, '\x11');  // 12 bytes the reader skips
  PutLittleEndian<std::int32_t>(out, declared >= 0 ? declared : static_cast<int>(pins.size()));
  out += std::string(16, '\x22');
  std::int32_t id = 1;
  for (const StoredPin& pin : pins) {
    PutLittleEndian<std::int32_t>(out, id++);
    PutLittleEndian<std::uint8_t>(out, pin.flag);
    PutLittleEndian<double>(out, pin.latitudeRadians);
    PutLittleEndian<double>(out, pin.longitudeRadians);
    PutLittleEndian<std::int32_t>(out, pin.layout);
    PutLittleEndian<std::int32_t>(out, pin.symbol);
    PutText(out, pin.name);
    PutText(out, pin.note1);
    PutText(out, pin.note2);
  }
  return out;
}

std::vector<StoredPin> SamplePins() {
  struct Place {
    double latitude, longitude;  // degrees
    const char16_t* name;
    const char16_t* note;
  };
  static const Place kPlaces[] = {
      // A note of two lines, as word processors leave them.
      {36.16266, -86.78160, u"Riverfront Landing", u"Steps down to the water,\r\nsmall container"},
      {36.14970, -86.81260, u"Centennial Oak", u"Behind the big oak, north side"},
      {36.10450, -86.73420, u"Old Mill Bridge", u"Magnetic, under the east rail"},
      {36.20110, -86.62180, u"Lakeside Bench", u"Caf\u00e9 sign points the way"},
      {36.05870, -86.96030, u"Harpeth Bend", u"Bring a torch; tree hollow"},
      {36.28530, -86.86740, u"Ridge Overlook", u"Park at the gate, 300 m walk"},
      {35.96410, -86.81770, u"Library\u2019s Steps", u"Open hours only"},
      {36.17390, -86.51470, u"Dam Trail \"North\"", u"Quote marks in the name on purpose"},
      {36.11220, -86.94340, u"Cedar Glade", u"Under a flat rock, 5 m off the path"},
  };
  std::vector<StoredPin> pins;
  for (const Place& place : kPlaces) {
    StoredPin pin;
    pin.flag = 2;
    pin.latitudeRadians = place.latitude * kRadiansPerDegree;
    pin.longitudeRadians = place.longitude * kRadiansPerDegree;
    pin.name = place.name;
    pin.note1 = place.note;
    pins.push_back(pin);
  }
  return pins;
}

std::vector<StoredPin> EdgePins() {
  const auto at = [](double latitude, double longitude, const char16_t* name) {
    StoredPin pin;
    pin.flag = latitude >= 0 ? 0 : 1;  // east of Greenwich, by hemisphere
    pin.latitudeRadians = latitude * kRadiansPerDegree;
    pin.longitudeRadians = longitude * kRadiansPerDegree;
    pin.name = name;
    return pin;
  };
  return {at(51.75917, 19.45598, u"\u0141\u00f3d\u017a"), at(-16.5, 179.9995, u"Date line"),
          at(51.50735, 0.12776, u"London")};
}

}  // namespace qh::test

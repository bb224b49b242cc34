// The pushpin reader through to the ".asc" lines. The reader is held against a model of
// the record layout written here from the file's description: it takes the same pins,
// stops where the model stops, and never counts a byte the input does not hold; its
// view of the pins in place (NextPinView) takes them alike. Every pin it gives makes the
// same line by the program's path (AscLine of PinText), by AppendAscLine and by
// psp2ov2's (PutAscLine from the view), and that line reads back as the point it was
// made from, as psp2ov2 judges it without reading it.
#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "formats/asc_reader.h"
#include "formats/asc_writer.h"
#include "formats/pushpin_reader.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/temp_folder.h"

namespace {

using qh::fuzz::Shown;

struct ModelPin {
  std::int32_t pinId = 0;
  std::uint8_t flag = 0;
  double latitudeRadians = 0, longitudeRadians = 0;
  std::int32_t layout = 0, symbol = 0;
  std::u16string name, note1, note2;
};

// The layout as the file format describes it, one field at a time.
class Model {
 public:
  explicit Model(std::string_view bytes) : bytes_(bytes) {}

  bool Pin(ModelPin& pin) {
    pin = ModelPin{};
    std::int8_t c1 = 0, c2 = 0, c3 = 0;
    if (!Int32(pin.pinId) || !Byte(pin.flag) || !Double(pin.latitudeRadians) ||
        !Double(pin.longitudeRadians) || !Int32(pin.layout) || !Int32(pin.symbol) ||
        !Count(c1) || !Text(c1, pin.name) || !Count(c2) || !Text(c2, pin.note1) || !Count(c3)) {
      return false;
    }
    // A negative first-note count leaves the second note out of the record.
    return c2 < 0 || Text(c3, pin.note2);
  }
  bool Header(std::int32_t& npins) {
    if (bytes_.size() < 32) return false;
    at_ = 12;
    Int32(npins);
    at_ = 32;
    return true;
  }
  std::size_t At() const { return at_; }

 private:
  bool Has(std::size_t n) const { return bytes_.size() - at_ >= n; }
  std::uint64_t Le(std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
      v |= std::uint64_t{static_cast<unsigned char>(bytes_[at_ + i])} << (8 * i);
    at_ += n;
    return v;
  }
  bool Int32(std::int32_t& v) {
    if (!Has(4)) return false;
    v = static_cast<std::int32_t>(static_cast<std::uint32_t>(Le(4)));
    return true;
  }
  bool Byte(std::uint8_t& v) {
    if (!Has(1)) return false;
    v = static_cast<std::uint8_t>(Le(1));
    return true;
  }
  bool Count(std::int8_t& v) {
    if (!Has(1)) return false;
    v = static_cast<std::int8_t>(Le(1));
    return true;
  }
  bool Double(double& v) {
    if (!Has(8)) return false;
    v = std::bit_cast<double>(Le(8));
    return true;
  }
  bool Text(std::int8_t count, std::u16string& text) {
    text.clear();
    if (count <= 0) return true;
    if (!Has(2 * static_cast<std::size_t>(count))) return false;
    for (int i = 0; i < count; ++i) text.push_back(static_cast<char16_t>(Le(2)));
    return true;
  }

  std::string_view bytes_;
  std::size_t at_ = 0;
};

bool SameDouble(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}

double PlacedByZone(std::uint8_t flag, double longitude) {
  if (!(longitude > 0)) return longitude;
  if (flag == 2 || flag == 6) return -longitude;
  if (flag == 3 || flag == 7) return longitude - 180.0;
  return longitude;
}

// The line reads back as the point it was made from, whichever reader takes it.
void CheckLine(const std::string& line, double longitude, double latitude,
               std::string_view text) {
  QH_FUZZ_CHECK(line.size() >= qh::kAscTextColumn + 3 && line.ends_with("\"\r\n") &&
                    line[qh::kAscTextColumn - 1] == '"',
                "line shape " + Shown(line));
  const std::string_view body(line.data(), line.size() - 2);
  QH_FUZZ_CHECK(body.find_first_of("\r\n") == std::string_view::npos,
                "a line end inside the line " + Shown(line));
  qh::AscPoint point;
  std::string_view reason;
  const qh::AscLineKind kind = qh::ParseAscLine(body, point, reason);
  // A coordinate beyond the columns stands as asterisks, which read as no number.
  if (body.substr(0, qh::kAscTextColumn).find('*') != std::string_view::npos) {
    QH_FUZZ_CHECK(kind == qh::AscLineKind::kBad, "asterisks read as a point in " + Shown(line));
    return;
  }
  const bool inRange = std::fabs(point.longitude) <= 180 && std::fabs(point.latitude) <= 90;
  QH_FUZZ_CHECK(text.find('\0') == std::string_view::npos, "a NUL in the text " + Shown(line));
  if (kind == qh::AscLineKind::kPoint) {
    QH_FUZZ_CHECK(point.text == text, "text read back " + Shown(point.text) + " from " + Shown(line));
    QH_FUZZ_CHECK(std::fabs(point.longitude - longitude) <= 0.5e-5 + 1e-9 &&
                      std::fabs(point.latitude - latitude) <= 0.5e-5 + 1e-9,
                  "coordinates read back from " + Shown(line));
  } else {
    QH_FUZZ_CHECK(!inRange, "a fitting line refused (" + std::string(reason) + ") " +
                                          Shown(line));
  }
  qh::AscPoint fast;
  if (qh::ReadFixedColumnLine(line, fast)) {
    QH_FUZZ_CHECK(kind == qh::AscLineKind::kPoint && SameDouble(fast.longitude, point.longitude) &&
                      SameDouble(fast.latitude, point.latitude) &&
                      fast.longitudeUnits == point.longitudeUnits &&
                      fast.latitudeUnits == point.latitudeUnits && fast.text == point.text,
                  "the fixed-column path disagrees with the parser on " + Shown(line));
  }
}

// The line made from the pin in place, and the point psp2ov2 takes from its columns
// without reading it: what the parser reads of the line.
void CheckPutLine(const std::string& line, bool replaced, const qh::PinView& view,
                  double longitude, double latitude, qh::NotesMode mode,
                  qh::TextEncoding encoding) {
  std::string room(qh::kAscLineMost + 1, '\xA5');
  qh::AscColumns columns;
  const char* end = qh::PutAscLine(room.data(), longitude, latitude, view, mode, encoding, columns);
  const auto size = static_cast<std::size_t>(end - room.data());
  QH_FUZZ_CHECK(size <= qh::kAscLineMost && room.substr(0, size) == line,
                "the line put from the view " + Shown(room.substr(0, size)) +
                    " differs from the program's " + Shown(line));
  QH_FUZZ_CHECK(columns.textReplaced == replaced,
                "the line put from the view tells a replaced character otherwise in " + Shown(line));
  qh::AscPoint point;
  std::string_view reason, judged;
  const std::string_view body = std::string_view(line).substr(0, line.size() - 2);
  const qh::AscLineKind kind = qh::ParseAscLine(body, point, reason);
  const bool sameKind = qh::JudgeWrittenLine(columns, judged) == kind;
  QH_FUZZ_CHECK(sameKind && (kind == qh::AscLineKind::kPoint || judged == reason),
                "the columns are judged otherwise than the parser reads " + Shown(line));
  if (kind == qh::AscLineKind::kPoint) {
    const std::string_view text = body.substr(qh::kAscTextColumn, body.size() - qh::kAscTextColumn - 1);
    QH_FUZZ_CHECK(columns.longitudeUnits == point.longitudeUnits &&
                      columns.latitudeUnits == point.latitudeUnits && point.text == text,
                  "the columns' point differs from the parser's on " + Shown(line));
  }
}

void CheckLines(const qh::PinRecord& pin, const qh::PinView& view, float longitudeOffset,
                float latitudeOffset) {
  const double longitude = qh::AddOffset(longitudeOffset, pin.longitude);
  const double latitude = qh::AddOffset(latitudeOffset, pin.latitude);
  std::string appended;
  for (const qh::NotesMode mode : {qh::NotesMode::Ignore, qh::NotesMode::Append}) {
    for (const qh::TextEncoding encoding : {qh::TextEncoding::kWindows1252, qh::TextEncoding::kUtf8}) {
      const std::string text = qh::PinText(pin, mode, encoding);
      const std::string line = qh::AscLine(longitude, latitude, text);
      appended.clear();
      const bool replaced = qh::AppendAscLine(appended, longitude, latitude, pin, mode, encoding);
      QH_FUZZ_CHECK(appended == line, "the appended line " + Shown(appended) +
                                          " differs from the program's " + Shown(line));
      CheckLine(line, longitude, latitude, text);
      CheckPutLine(line, replaced, view, longitude, latitude, mode, encoding);
    }
  }
}

std::u16string UnitsOf(const qh::Utf16Le& text) {
  std::u16string units;
  for (std::size_t i = 0; i < text.size; ++i) units.push_back(text[i]);
  return units;
}

// The pin in place is the pin copied.
bool SamePin(const qh::PinRecord& pin, const qh::PinView& view) {
  return pin.pinId == view.pinId && pin.flag == view.flag && pin.layout == view.layout &&
         pin.symbol == view.symbol && SameDouble(pin.latitude, view.latitude) &&
         SameDouble(pin.longitude, view.longitude) && pin.name == UnitsOf(view.name) &&
         pin.note1 == UnitsOf(view.note1) && pin.note2 == UnitsOf(view.note2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static qh::test::TempFolder folder;
  const std::string path = folder.File("input.psp");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qh::test::WriteFile(path, bytes);

  // The header's leading filler is not read by the reader; the harness takes its
  // offsets and the longitude rule from it, so the corpus files stay pushpin files.
  float longitudeOffset = 0, latitudeOffset = 0;
  if (size >= 12) {
    std::memcpy(&longitudeOffset, data + 4, 4);
    std::memcpy(&latitudeOffset, data + 8, 4);
    if (!std::isfinite(longitudeOffset) || std::fabs(longitudeOffset) > 1000) longitudeOffset = 0;
    if (!std::isfinite(latitudeOffset) || std::fabs(latitudeOffset) > 1000) latitudeOffset = 0;
  }
  const bool zoneRule = size == 0 || (data[0] & 1) == 0;

  const qh::LongitudeRule rule = zoneRule ? qh::LongitudeRule::kZone : qh::LongitudeRule::kFlag2Only;
  qh::PushpinReader reader(rule), viewReader(rule);
  QH_FUZZ_CHECK(reader.Open(path) && viewReader.Open(path), "cannot open the input");
  Model model(bytes);
  std::int32_t npins = 0, modelPins = 0;
  const bool header = reader.ReadHeader(npins);
  QH_FUZZ_CHECK(header == model.Header(modelPins), "header read where the model did not");
  std::int32_t viewPins = 0;
  QH_FUZZ_CHECK(viewReader.ReadHeader(viewPins) == header, "the second reader's header");
  if (!header) {
    QH_FUZZ_CHECK(reader.Failed() && reader.Error().what == qh::IoFailure::kEndOfFile,
                  "a short header not told as the end of the file");
    return 0;
  }
  QH_FUZZ_CHECK(npins == modelPins, "pin count " + std::to_string(npins));

  qh::PinRecord pin;
  qh::PinView view;
  ModelPin expected;
  for (std::int32_t i = 0; i < npins; ++i) {
    const bool got = reader.NextPin(pin);
    QH_FUZZ_CHECK(viewReader.NextPinView(view) == got && viewReader.Offset() == reader.Offset(),
                  "pin " + std::to_string(i + 1) + " in place taken otherwise");
    QH_FUZZ_CHECK(reader.Offset() <= size, "offset " + std::to_string(reader.Offset()) +
                                                " past the input's " + std::to_string(size));
    const bool modelGot = model.Pin(expected);
    QH_FUZZ_CHECK(got == modelGot, "pin " + std::to_string(i + 1) + " taken by one side only");
    if (!got) {
      QH_FUZZ_CHECK(reader.Error().what == qh::IoFailure::kEndOfFile,
                    "a cut pin not told as the end of the file");
      QH_FUZZ_CHECK(pin.name.empty() && pin.note1.empty() && pin.pinId == 0,
                    "a failed pin keeps fields");
      QH_FUZZ_CHECK(!reader.NextPin(pin), "a read after the failure succeeded");
      break;
    }
    QH_FUZZ_CHECK(reader.Offset() == model.At(), "pin " + std::to_string(i + 1) + " ends at " +
                                                     std::to_string(reader.Offset()) + ", not " +
                                                     std::to_string(model.At()));
    const double latitude = expected.latitudeRadians * qh::kRadiansToDegrees;
    double longitude = expected.longitudeRadians * qh::kRadiansToDegrees;
    longitude = zoneRule ? PlacedByZone(expected.flag, longitude)
                         : (expected.flag == 2 ? -longitude : longitude);
    QH_FUZZ_CHECK(pin.pinId == expected.pinId && pin.flag == expected.flag &&
                      pin.layout == expected.layout && pin.symbol == expected.symbol &&
                      pin.name == expected.name && pin.note1 == expected.note1 &&
                      pin.note2 == expected.note2 && SameDouble(pin.latitude, latitude) &&
                      SameDouble(pin.longitude, longitude),
                  "pin " + std::to_string(i + 1) + " differs from the model: flag " +
                      std::to_string(pin.flag) + ", latitude " + std::to_string(pin.latitude) +
                      " for " + std::to_string(latitude) + ", longitude " +
                      std::to_string(pin.longitude) + " for " + std::to_string(longitude) +
                      ", name of " + std::to_string(pin.name.size()) + " for " +
                      std::to_string(expected.name.size()) + ", id " + std::to_string(pin.pinId) +
                      " for " + std::to_string(expected.pinId) + ", notes of " +
                      std::to_string(pin.note1.size()) + "+" + std::to_string(pin.note2.size()) +
                      " for " + std::to_string(expected.note1.size()) + "+" +
                      std::to_string(expected.note2.size()));
    QH_FUZZ_CHECK(SamePin(pin, view), "pin " + std::to_string(i + 1) + " in place differs");
    CheckLines(pin, view, longitudeOffset, latitudeOffset);
  }
  reader.Close();
  return 0;
}

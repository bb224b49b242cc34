#include "formats/pushpin_reader.h"

#include <bit>
#include <cerrno>
#include <cstring>

#include "formats/file_calls.h"
#include "formats/file_system.h"
#include "formats/io_error.h"

namespace qh {

PushpinReader::~PushpinReader() { Close(); }

bool PushpinReader::Open(std::string_view path) {
  Close();
  path_.assign(path);
  error_ = {};
  offset_ = 0;
  position_ = filled_ = 0;
  file_ = OpenToRead(path_, error_);
  return file_ != kNoFile;
}

void PushpinReader::Close() {
  if (file_ != kNoFile) CurrentFileCalls().close(file_);
  file_ = kNoFile;
  position_ = filled_ = 0;
}

bool PushpinReader::Fail(IoFailure what, int errorNumber) {
  if (!error_) error_ = {what, path_, errorNumber != 0 ? std::strerror(errorNumber) : ""};
  return false;
}

bool PushpinReader::Refill(std::size_t count) {
  if (file_ == kNoFile) return Fail(IoFailure::kNotFound);
  // The unread rest goes to the front so that a field never straddles the buffer's end.
  const std::size_t rest = filled_ - position_;
  std::memmove(buffer_.data(), buffer_.data() + position_, rest);
  position_ = 0;
  filled_ = rest;
  while (filled_ < count) {
    const std::ptrdiff_t got =
        CurrentFileCalls().read(file_, buffer_.data() + filled_, buffer_.size() - filled_);
    if (got < 0) return Fail(IoFailure::kReadFailed, errno != 0 ? errno : EIO);
    if (got == 0) return Fail(IoFailure::kEndOfFile);
    filled_ += static_cast<std::size_t>(got);
  }
  return true;
}

const unsigned char* PushpinReader::Take(std::size_t count) {
  if (error_) return nullptr;
  if (filled_ - position_ < count && !Refill(count)) return nullptr;
  const unsigned char* bytes = buffer_.data() + position_;
  position_ += count;
  offset_ += count;
  return bytes;
}

namespace {

// The file's numbers are little-endian: one load on the machines this runs on.
template <class Unsigned>
Unsigned LittleEndianAt(const unsigned char* b) {
  Unsigned value = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&value, b, sizeof value);
  } else {
    for (std::size_t i = 0; i < sizeof value; ++i) value |= static_cast<Unsigned>(b[i]) << (8 * i);
  }
  return value;
}

std::int32_t Int32At(const unsigned char* b) {
  return static_cast<std::int32_t>(LittleEndianAt<std::uint32_t>(b));
}

double DoubleAt(const unsigned char* b) {
  return std::bit_cast<double>(LittleEndianAt<std::uint64_t>(b));
}

}  // namespace

std::int8_t PushpinReader::ReadCount() {
  const unsigned char* b = Take(1);
  return b != nullptr ? static_cast<std::int8_t>(*b) : std::int8_t{0};
}

bool PushpinReader::ReadText(std::int8_t count, std::u16string& text) {
  text.clear();
  if (count <= 0) return !error_;  // zero or negative: an empty text, no bytes
  const unsigned char* b = Take(static_cast<std::size_t>(count) * 2);
  if (b == nullptr) return false;
  text.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = LittleEndianAt<char16_t>(b + 2 * i);
  return true;
}

bool PushpinReader::ReadHeader(std::int32_t& npins) {
  // 12 bytes skipped, the count, 16 bytes skipped.
  const unsigned char* header = Take(32);
  npins = header != nullptr ? Int32At(header + 12) : 0;
  return header != nullptr;
}

namespace {

// The longitude in degrees as the flag byte places it.
double PlacedLongitude(std::uint8_t flag, double longitude, LongitudeRule rule) {
  if (rule == LongitudeRule::kFlag2Only) return flag == 2 ? -longitude : longitude;
  // Zero, and anything not a number, is neither form: it stays as read.
  if (!(longitude > 0)) return longitude;
  switch (flag) {
    case 2:
    case 6:
      return -longitude;
    case 3:
    case 7:
      return longitude - 180.0;
    default:
      return longitude;
  }
}

// Empties a record but keeps its texts' room for the next pin.
void Clear(PinRecord& pin) {
  pin.pinId = 0;
  pin.flag = 0;
  pin.latitude = pin.longitude = 0;
  pin.layout = pin.symbol = 0;
  pin.name.clear();
  pin.note1.clear();
  pin.note2.clear();
}

}  // namespace

bool PushpinReader::NextPin(PinRecord& pin) {
  Clear(pin);
  // The fixed part: id, flag, latitude, longitude, layout, symbol and the name's count.
  const unsigned char* b = Take(30);
  if (b == nullptr) return false;
  pin.pinId = Int32At(b);
  pin.flag = b[4];
  // Each product is rounded to double on its own (SSE2 arithmetic in the 32-bit build).
  pin.latitude = DoubleAt(b + 5) * kRadiansToDegrees;
  pin.longitude = PlacedLongitude(pin.flag, DoubleAt(b + 13) * kRadiansToDegrees, longitudeRule_);
  pin.layout = Int32At(b + 21);
  pin.symbol = Int32At(b + 25);
  const auto c1 = static_cast<std::int8_t>(b[29]);

  ReadText(c1, pin.name);
  const std::int8_t c2 = ReadCount();
  ReadText(c2, pin.note1);
  const std::int8_t c3 = ReadCount();
  // A negative note-1 count ends the record right after this byte.
  if (c2 >= 0) ReadText(c3, pin.note2);
  if (error_) Clear(pin);
  return !error_;
}

}  // namespace qh

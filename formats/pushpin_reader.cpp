#include "formats/pushpin_reader.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "files/file_calls.h"
#include "files/file_system.h"
#include "files/io_error.h"

namespace qh {

std::uint64_t PinsHeld(std::int32_t npins, std::uint64_t fileBytes) {
  if (npins <= 0 || fileBytes < kPushpinHeaderBytes) return 0;
  return std::min<std::uint64_t>(static_cast<std::uint64_t>(npins),
                                 (fileBytes - kPushpinHeaderBytes) / kPinRecordLeast);
}

PushpinReader::~PushpinReader() { Close(); }

bool PushpinReader::Open(std::string_view path) {
  Close();
  path_.assign(path);
  error_ = {};
  offset_ = 0;
  position_ = filled_ = 0;
  PathFacts facts;
  if (CurrentFileCalls().look(path_.c_str(), &facts) != 0) facts = PathFacts{};
  stream_ = facts.kind != PathKind::kFile;
  fileBytes_ = stream_ ? 0 : facts.size;
  file_ = OpenToRead(path_, error_);
  return file_ != kNoFile;
}

bool PushpinReader::CanHold(std::int32_t npins) const {
  return stream_ || npins <= 0 || PinsHeld(npins, fileBytes_) == static_cast<std::uint64_t>(npins);
}

std::string TooShortFor(const PushpinReader& reader, std::int32_t npins) {
  return "its header counts " + std::to_string(npins) + " pins, more than its " +
         std::to_string(reader.FileBytes()) + " bytes can hold: not a pushpin file, or one cut short";
}

std::uint64_t PushpinReader::BytesOfMorePins() const {
  if (stream_ || fileBytes_ < offset_ || fileBytes_ - offset_ < kPinRecordLeast) return 0;
  return fileBytes_ - offset_;
}

std::string MorePinsThanCounted(std::int32_t npins, std::uint64_t bytes) {
  return "its header counts " + std::to_string(npins) + (npins == 1 ? " pin" : " pins") +
         ", but the file holds " + std::to_string(bytes) + " more bytes of pins; they are not read";
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

const unsigned char* PushpinReader::Peek(std::size_t count) {
  if (error_) return nullptr;
  if (filled_ - position_ < count && !Refill(count)) return nullptr;
  return buffer_.data() + position_;
}

const unsigned char* PushpinReader::Take(std::size_t count) {
  const unsigned char* bytes = Peek(count);
  if (bytes == nullptr) return nullptr;
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

// The bytes of a text of `count` units: none for zero or a negative count.
std::size_t TextBytes(std::int8_t count) {
  return count > 0 ? 2 * static_cast<std::size_t>(count) : 0;
}

void Assign(std::u16string& text, const Utf16Le& units) {
  text.resize(units.size);
  for (std::size_t i = 0; i < units.size; ++i) text[i] = units[i];
}

}  // namespace

bool PushpinReader::NextPinView(PinView& pin) {
  pin = PinView{};
  // The fixed part (id, flag, latitude, longitude, layout, symbol and the name's count),
  // then each count says how far the record reaches. Every byte of the record is made
  // readable before any is taken, so that the texts stay where they are until the
  // next read. A record is at most 794 bytes, far less than the buffer.
  constexpr std::size_t kFixed = 30;
  // Nearly always the longest record is at hand already: one look is enough, and the
  // counts need no further one.
  constexpr std::size_t kLongestRecord = kFixed + std::size_t{3} * 127 * 2 + 2;
  const bool atHand = !error_ && filled_ - position_ >= kLongestRecord;
  const unsigned char* b = atHand ? buffer_.data() + position_ : Peek(kFixed);
  if (b == nullptr) return false;
  const auto c1 = static_cast<std::int8_t>(b[kFixed - 1]);
  const std::size_t note1At = kFixed + TextBytes(c1);
  if (!atHand && (b = Peek(note1At + 1)) == nullptr) return false;
  const auto c2 = static_cast<std::int8_t>(b[note1At]);
  const std::size_t note2At = note1At + 1 + TextBytes(c2);
  if (!atHand && (b = Peek(note2At + 1)) == nullptr) return false;
  const auto c3 = static_cast<std::int8_t>(b[note2At]);
  // A negative note-1 count ends the record right after this byte.
  const std::size_t size = note2At + 1 + (c2 >= 0 ? TextBytes(c3) : 0);
  if (atHand) {
    position_ += size;
    offset_ += size;
  } else if ((b = Take(size)) == nullptr) {
    return false;
  }
  pin.pinId = Int32At(b);
  pin.flag = b[4];
  // Each product is rounded to double on its own (SSE2 arithmetic in the 32-bit build).
  pin.latitude = DoubleAt(b + 5) * kRadiansToDegrees;
  pin.longitude = PlacedLongitude(pin.flag, DoubleAt(b + 13) * kRadiansToDegrees, longitudeRule_);
  pin.layout = Int32At(b + 21);
  pin.symbol = Int32At(b + 25);
  pin.name = {b + kFixed, TextBytes(c1) / 2};
  pin.note1 = {b + note1At + 1, TextBytes(c2) / 2};
  if (c2 >= 0) pin.note2 = {b + note2At + 1, TextBytes(c3) / 2};
  return true;
}

bool PushpinReader::NextPin(PinRecord& pin) {
  PinView view;
  const bool read = NextPinView(view);
  pin.pinId = view.pinId;
  pin.flag = view.flag;
  pin.latitude = view.latitude;
  pin.longitude = view.longitude;
  pin.layout = view.layout;
  pin.symbol = view.symbol;
  // The texts keep their room for the next pin: a loop over many pins does not allocate.
  Assign(pin.name, view.name);
  Assign(pin.note1, view.note1);
  Assign(pin.note2, view.note2);
  return read;
}

}  // namespace qh

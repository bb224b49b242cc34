// Reader of pushpin files (".psp"): a 32-byte header with the pin count, then the pin
// records one after another. The reader streams through a small buffer, never holding
// the file, and keeps a sticky failure: once a read has failed every later read fails
// too and the first message stays.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "files/file_calls.h"
#include "files/io_error.h"
#include "formats/text_encoding.h"

namespace qh {

// The shortest pin record of a pushpin file: its fixed part and three empty texts.
inline constexpr std::uint64_t kPinRecordLeast = 32;
inline constexpr std::uint64_t kPushpinHeaderBytes = 32;

// The pins a pushpin file of `fileBytes` bytes whose header counts `npins` can hold: a
// count beyond what the file holds is a file that ends early, not a larger output.
std::uint64_t PinsHeld(std::int32_t npins, std::uint64_t fileBytes);

// The single-precision number nearest to 57.29578, widened; not 180/pi. The fifth
// decimal of the output depends on using exactly this factor.
inline constexpr double kRadiansToDegrees = 57.295780181884765625;

// How the flag byte places the longitude. The byte is the pin's quadrant: bit 1 west of
// Greenwich, bit 0 more than 90 degrees from it, bit 2 south of the equator.
enum class LongitudeRule {
  // The mapping program stores a western longitude as its magnitude (flags 2 and 6) or
  // as its distance from 180 degrees east (flags 3 and 7); other writers store it signed.
  // So in those zones a positive longitude is negated, or has 180 taken off; a negative
  // one is already right. Every other flag leaves the longitude as read.
  kZone,
  // Flag 2 negates the longitude whatever its sign; every other flag leaves it.
  kFlag2Only,
};

struct PinRecord {
  std::int32_t pinId = 0;
  std::uint8_t flag = 0;
  double latitude = 0;   // degrees
  double longitude = 0;  // degrees, placed by the flag under the reader's LongitudeRule
  std::int32_t layout = 0;
  std::int32_t symbol = 0;
  std::u16string name, note1, note2;
};

// A pin as the file holds it, its texts left as the file's UTF-16 bytes in the
// reader's buffer: valid until the next read. The fields are PinRecord's.
struct PinView {
  std::int32_t pinId = 0;
  std::uint8_t flag = 0;
  double latitude = 0;
  double longitude = 0;
  std::int32_t layout = 0;
  std::int32_t symbol = 0;
  Utf16Le name, note1, note2;
};

class PushpinReader {
 public:
  explicit PushpinReader(LongitudeRule longitudeRule = LongitudeRule::kZone)
      : longitudeRule_(longitudeRule) {}
  ~PushpinReader();
  PushpinReader(const PushpinReader&) = delete;
  PushpinReader& operator=(const PushpinReader&) = delete;

  // False, with the reason in Error(), when it cannot be opened.
  bool Open(std::string_view path);
  // The 32 header bytes; false (end of file) when short.
  bool ReadHeader(std::int32_t& npins);
  // False when the file is too short for `npins` pins even of the shortest kind: it is
  // not a pushpin file, or one cut short. A stream (a pipe) is taken as long enough.
  bool CanHold(std::int32_t npins) const;
  // The file's size when opened; 0 for a stream.
  std::uint64_t FileBytes() const { return fileBytes_; }
  // One pin record; `pin` always starts empty, so nothing of an earlier pin remains
  // (its texts keep their capacity, so a loop over many pins does not allocate).
  bool NextPin(PinRecord& pin);
  // The same pin without copying its texts: what a writer that encodes them at once
  // reads (an earlier view is invalid from the call on). On a failure `pin` is empty.
  bool NextPinView(PinView& pin);
  void Close();

  bool Failed() const { return static_cast<bool>(error_); }
  // The first failure since Open; it stays, and every later read fails.
  const IoError& Error() const { return error_; }
  // Bytes consumed since Open.
  std::uint64_t Offset() const { return offset_; }
  // After the pins the header counts: the bytes left unread when they are room for one
  // pin at least (a header that counts fewer pins than the file holds, as a count
  // damaged to 0 does), else 0; known after Close too. A stream's end is not known: 0.
  std::uint64_t BytesOfMorePins() const;

 private:
  // Makes `count` bytes (at most the buffer's size) readable at the returned address
  // and counts them consumed; null, with the reader failed, when the file ends first.
  const unsigned char* Take(std::size_t count);
  // Makes `count` bytes (at most the buffer's size) readable at the returned address
  // without taking them; null, with the reader failed, when the file ends first.
  const unsigned char* Peek(std::size_t count);
  bool Refill(std::size_t count);
  bool Fail(IoFailure what, int errorNumber = 0);

  LongitudeRule longitudeRule_;
  FileHandle file_ = kNoFile;
  std::string path_;
  IoError error_;
  std::uint64_t offset_ = 0;
  std::uint64_t fileBytes_ = 0;
  bool stream_ = false;
  std::size_t position_ = 0;  // next unread byte in buffer_
  std::size_t filled_ = 0;    // bytes held in buffer_
  std::array<unsigned char, 32768> buffer_{};
};

// Why `reader` cannot hold `npins` pins (CanHold), in words for the user.
std::string TooShortFor(const PushpinReader& reader, std::int32_t npins);
// That the file holds `bytes` more (BytesOfMorePins) than the `npins` pins its header
// counts, in words for the user.
std::string MorePinsThanCounted(std::int32_t npins, std::uint64_t bytes);

}  // namespace qh

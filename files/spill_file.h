// A scratch file beside an output, for data that does not fit the memory a run may
// take: written from start to end, then read from start to end, as often as needed. It
// is entered in the table of temporary files from before it exists, so an interrupt
// removes it, and it goes when the object does (or at Remove), whatever happened.
//
// The system calls go through files/file_calls.h, where tests can make them fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/file_calls.h"
#include "files/io_error.h"

namespace qh {

class SpillFile {
 public:
  SpillFile() = default;
  ~SpillFile() { Remove(); }
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  // Makes a fresh file, for writing, named after `owner` (SpillFileName) in its folder.
  bool Create(const std::string& owner);
  // Buffered; the first failure sticks.
  bool Append(std::string_view bytes);
  // Writes out what is buffered and closes the file.
  bool EndWriting();
  // Opens it again from its start (after EndWriting).
  bool StartReading();
  // Up to `size` bytes into `into`: how many, 0 at the end, and 0 with Failed() set
  // when the system fails.
  std::size_t Read(char* into, std::size_t size);
  // Closes and removes the file.
  void Remove();

  bool Failed() const { return static_cast<bool>(error_); }
  // The first failure.
  const IoError& Error() const { return error_; }
  const std::string& Path() const { return path_; }
  std::uint64_t Size() const { return size_; }

 private:
  bool Fail(IoFailure what, int errorNumber);
  bool Fail(IoFailure what, std::string reason);
  bool Flush();
  bool WriteOut(std::string_view bytes);

  FileHandle file_ = kNoFile;
  std::string path_;
  std::string buffer_;
  IoError error_;
  std::uint64_t size_ = 0;
  int place_ = -1;  // in the table of temporary files
};

// A run's spill files are named after one of its temporary files, the owner, and a
// slot: the next run, which finds the owner in the journal of a run that was killed,
// removes them with it (OutputSet::Recover). A run's live spill files are few (two for
// each level of a split on the disk), so a fixed number of slots is enough.
inline constexpr int kSpillSlots = 64;
inline std::string SpillFileName(const std::string& owner, int slot) {
  return owner + ".s" + std::to_string(slot);
}

// The points of an overlay's index as a spill file holds them, one record each:
// longitude and latitude (little-endian 32 bits), the name's length (7 bits a byte, low
// first, the high bit saying that more follow) and the name's bytes.
struct SpillRecord {
  std::int32_t longitude = 0, latitude = 0;
  std::string_view name;
  std::string_view bytes;  // the whole record, as stored
};

// Appends the record of a point to `file`.
bool AppendSpillRecord(SpillFile& file, std::int32_t longitude, std::int32_t latitude,
                       std::string_view name);

// Reads the records of a spill file from its start; a record is valid until the next.
class SpillReader {
 public:
  explicit SpillReader(SpillFile& file);
  // False at the end, and when the file cannot be read or ends inside a record (then
  // Failed() says so).
  bool Next(SpillRecord& record);
  bool Failed() const { return failed_; }
  // The file's failure, or that it ends inside a record.
  IoError Error() const;

 private:
  // Makes `count` bytes readable at buffer_[position_]; false when the file ends first.
  bool Have(std::size_t count) { return filled_ - position_ >= count || Refill(count); }
  bool Refill(std::size_t count);

  SpillFile& file_;
  std::string buffer_;
  std::size_t position_ = 0, filled_ = 0;
  bool failed_ = false;
};

}  // namespace qh

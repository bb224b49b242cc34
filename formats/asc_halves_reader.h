// An ".asc" file read as AscReader reads it, a large one in two halves at once: the
// second half is read and parsed on a thread of its own while the first is read here,
// and its lines come out after the first half's, in order, numbered as in the whole
// file. Whatever the halves cannot tell alone (a first half without a point, whose
// title lines may go on past the middle, or one that ends at a DOS end-of-file mark)
// makes the rest be read here after all: the lines, numbers, messages and end are
// AscReader's in every case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "formats/asc_reader.h"
#include "files/io_error.h"

namespace qh {

class AscSecondHalf;  // asc_halves_reader.cpp

// Files of this size or more are read in two halves.
inline constexpr std::uint64_t kAscHalvesFrom = std::uint64_t{4} << 20;

class AscHalvesReader {
 public:
  explicit AscHalvesReader(std::uint64_t halvesFrom = kAscHalvesFrom);
  ~AscHalvesReader();
  AscHalvesReader(const AscHalvesReader&) = delete;
  AscHalvesReader& operator=(const AscHalvesReader&) = delete;

  // As AscReader's.
  bool Open(const std::string& path);
  AscReader::Result Next(AscPoint& point);
  std::size_t LineNumber() const;
  ContentError BadLine() const;
  const IoError& Error() const;
  std::size_t TitleLines() const;

 private:
  enum class Phase { kFirst, kSecond, kRest, kOver };
  // The first half has ended: its end, or the second half's lines or the rest.
  AscReader::Result AfterFirst(AscPoint& point);
  AscReader::Result FromSecond(AscPoint& point);
  AscReader::Result FromRest(AscPoint& point);
  void ReadRestHere();

  std::uint64_t halvesFrom_;
  std::string path_;
  Phase phase_ = Phase::kOver;
  AscReader first_, rest_;
  std::uint64_t middle_ = 0;  // where the second half starts
  std::size_t linesBefore_ = 0;  // the first half's
  std::unique_ptr<AscSecondHalf> second_;
  bool restUsed_ = false;
  // The last line taken from the second half.
  std::size_t lineNumber_ = 0;
  ContentError badLine_;
  IoError error_;
};

}  // namespace qh

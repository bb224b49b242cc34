// Batches of ".asc" lines passed from the thread that makes them to the thread that
// writes them and puts their points into the overlay.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "formats/asc_writer.h"
#include "tools/common/batch_pipe.h"

namespace qh {

// One pin's line: where it ends in the batch, and what the ".asc" reader will make of
// its coordinate columns.
struct LineEnd {
  std::size_t end;
  double latitude;  // its column still to be written
  AscColumns columns;
};

// Bytes of ".asc" lines a batch gathers before it is handed on: a quarter of a MiB, so
// that the threads seldom wake each other (each hand-over may), and the batches in
// flight still fit the cache beside the rest.
inline constexpr std::size_t kLineBatch = std::size_t{1} << 18;

struct LineBatch {
  // Room for a full batch and one more line, made once: lines are written into it
  // through a pointer, and its first `used` bytes are whole lines, CR LF included.
  std::string room = std::string(kLineBatch + kAscLineMost, '\0');
  std::size_t used = 0;
  std::vector<LineEnd> ends;  // one for each line, in order

  std::string_view Lines() const { return std::string_view(room.data(), used); }
  bool Full() const { return used >= kLineBatch; }
  void Clear() {
    used = 0;
    ends.clear();
  }
};

using BatchPipe = tools::BatchPipe<LineBatch>;

}  // namespace qh

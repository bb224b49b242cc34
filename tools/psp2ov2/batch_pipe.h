// Batches of ".asc" lines passed from the thread that makes them to the thread that
// writes them and reads their points into the overlay.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/common/batch_pipe.h"

namespace qh {

struct LineBatch {
  std::string lines;                // whole lines, CR LF included
  std::vector<std::size_t> ends;    // where each pin's line ends in `lines`

  void Clear() {
    lines.clear();
    ends.clear();
  }
};

using BatchPipe = tools::BatchPipe<LineBatch>;

}  // namespace qh

// Batches of ".asc" lines passed from the thread that makes them to the thread that
// writes them and reads their points into the overlay, and back again empty. A fixed
// number of batches circulates, so the maker can run ahead by that much and no more.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace qh {

struct LineBatch {
  std::string lines;                // whole lines, CR LF included
  std::vector<std::size_t> ends;    // where each pin's line ends in `lines`

  void Clear() {
    lines.clear();
    ends.clear();
  }
};

class BatchPipe {
 public:
  explicit BatchPipe(std::size_t batches) : batches_(batches) {
    for (LineBatch& batch : batches_) empty_.push_back(&batch);
  }
  BatchPipe(const BatchPipe&) = delete;
  BatchPipe& operator=(const BatchPipe&) = delete;

  // Maker's side: an empty batch (waiting for one to come back), and a full one sent on.
  LineBatch* Empty() { return Pop(empty_); }
  void Send(LineBatch* batch) { Push(full_, batch); }
  // No more batches: Receive then gives null.
  void Close() { Push(full_, nullptr); }

  // Taker's side: the next full batch, or null once closed; and the batch given back.
  LineBatch* Receive() { return Pop(full_); }
  void Return(LineBatch* batch) {
    batch->Clear();
    Push(empty_, batch);
  }

 private:
  void Push(std::deque<LineBatch*>& queue, LineBatch* batch) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      queue.push_back(batch);
    }
    changed_.notify_all();
  }
  LineBatch* Pop(std::deque<LineBatch*>& queue) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !queue.empty(); });
    LineBatch* batch = queue.front();
    queue.pop_front();
    return batch;
  }

  std::vector<LineBatch> batches_;
  std::deque<LineBatch*> empty_, full_;
  std::mutex mutex_;
  std::condition_variable changed_;
};

}  // namespace qh

// Batches passed from the thread that makes them to the thread that takes them, and
// back again empty. A fixed number of batches circulates, so the maker can run ahead by
// that much and no more. A batch type has Clear().
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace qh::tools {

template <class Batch>
class BatchPipe {
 public:
  explicit BatchPipe(std::size_t batches) : batches_(batches) {
    for (Batch& batch : batches_) empty_.push_back(&batch);
  }
  BatchPipe(const BatchPipe&) = delete;
  BatchPipe& operator=(const BatchPipe&) = delete;

  // Maker's side: an empty batch (waiting for one to come back), and a full one sent on.
  Batch* Empty() { return Pop(empty_); }
  void Send(Batch* batch) { Push(full_, batch); }
  // No more batches: Receive then gives null.
  void Close() { Push(full_, nullptr); }

  // Taker's side: the next full batch, or null once closed; and the batch given back.
  Batch* Receive() { return Pop(full_); }
  void Return(Batch* batch) {
    batch->Clear();
    Push(empty_, batch);
  }

 private:
  void Push(std::deque<Batch*>& queue, Batch* batch) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      queue.push_back(batch);
    }
    changed_.notify_all();
  }
  Batch* Pop(std::deque<Batch*>& queue) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !queue.empty(); });
    Batch* batch = queue.front();
    queue.pop_front();
    return batch;
  }

  std::vector<Batch> batches_;
  std::deque<Batch*> empty_, full_;
  std::mutex mutex_;
  std::condition_variable changed_;
};

}  // namespace qh::tools

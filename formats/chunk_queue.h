// Chunks of parsed records handed from the thread that fills them to the one that takes
// them up, in order, with at most a bound of bytes waiting between the two: a maker
// faster than its taker waits, so that input of any size goes through in bounded
// memory. Taken chunks are kept to be filled again, so that their room is not made anew
// for every chunk.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace qh {

// `Chunk` has Clear(), which empties it and keeps its room.
template <class Chunk>
class ChunkQueue {
 public:
  explicit ChunkQueue(std::size_t bound) : bound_(bound) {}

  // The maker's: hands `chunk`, of about `bytes`, over, once there is room for it, and
  // leaves an empty chunk in its place. False, the chunk dropped, once the taker has let
  // go.
  bool Hand(Chunk& chunk, std::size_t bytes) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return waiting_ < bound_ || letGo_; });
    if (letGo_) {
      chunk.Clear();
      return false;
    }
    waiting_ += bytes;
    full_.emplace_back(std::move(chunk), bytes);
    chunk = TakeSpare();
    changed_.notify_all();
    return true;
  }
  // The maker's: no chunk comes after those handed.
  void Close() {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

  // The taker's: puts the next chunk in `chunk`, waiting for it; false when the chunks
  // are over. What `chunk` held before is kept to be filled again.
  bool Take(Chunk& chunk) {
    chunk.Clear();
    std::unique_lock<std::mutex> lock(mutex_);
    if (spare_.size() < kSpares) spare_.push_back(std::move(chunk));
    changed_.wait(lock, [&] { return !full_.empty() || closed_ || letGo_; });
    if (full_.empty() || letGo_) return false;
    chunk = std::move(full_.front().first);
    waiting_ -= full_.front().second;
    full_.pop_front();
    changed_.notify_all();
    return true;
  }
  // The taker's: it takes no more, and the maker is not to wait for it.
  void LetGo() {
    const std::lock_guard<std::mutex> lock(mutex_);
    letGo_ = true;
    full_.clear();
    changed_.notify_all();
  }

 private:
  static constexpr std::size_t kSpares = 4;

  Chunk TakeSpare() {
    if (spare_.empty()) return Chunk();
    Chunk spare = std::move(spare_.back());
    spare_.pop_back();
    return spare;
  }

  const std::size_t bound_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<Chunk, std::size_t>> full_;
  std::vector<Chunk> spare_;
  std::size_t waiting_ = 0;
  bool closed_ = false, letGo_ = false;
};

}  // namespace qh

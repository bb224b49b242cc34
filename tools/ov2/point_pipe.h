// Points handed from the thread that reads the inputs to a second thread that takes
// them through the PointFlow, so that parsing an input and building the overlay
// overlap. Messages about points come from that thread alone, in input order.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "tools/common/batch_pipe.h"
#include "tools/ov2/point_flow.h"

namespace qh::ov2 {

class PipedSink : public PointSink {
 public:
  explicit PipedSink(PointFlow& flow);
  ~PipedSink() override { Close(); }
  PipedSink(const PipedSink&) = delete;
  PipedSink& operator=(const PipedSink&) = delete;

  bool Take(const InputPoint& input, const Place& place) override;
  bool TakeText(const TextPoint& text, const Place& place) override;
  void LeftOut(const Place& place, std::string_view reason) override;
  // Counted in the flow at once: only this thread counts them, and they are read once
  // Finish has returned.
  void PassedOver(std::size_t pieces) override { flow_.PassedOver(pieces); }
  void Dropped(std::size_t points) override { flow_.Dropped(points); }
  // Waits until every point sent has been taken; false when the flow failed. An
  // exception of the second thread (running out of memory) comes out here.
  bool Finish();

 private:
  // A point, a text point, or a point left out with its reason. Its texts follow one
  // another in the batch's `texts`, each starting where the one before ends.
  enum class Kind { kPoint, kText, kLeftOut };
  struct Entry {
    Kind kind;
    double longitude, latitude;
    std::size_t ends[4];  // kPoint: text, name, desc; kText: latitude, longitude, name,
                          // desc; kLeftOut: the reason
    Place place;
  };
  struct Batch {
    std::string texts;
    std::vector<Entry> entries;
    void Clear() {
      texts.clear();
      entries.clear();
    }
  };

  // Appends `parts` to the batch's texts and records where each ends in `entry`.
  void Add(Entry entry, std::initializer_list<std::string_view> parts);
  void TakeBatch(const Batch& batch);
  // Sends the last batch and waits for the second thread to end.
  void Close() noexcept;

  PointFlow& flow_;
  tools::BatchPipe<Batch> pipe_;
  Batch* batch_ = nullptr;
  std::thread worker_;
  std::atomic<bool> failed_{false};
  std::exception_ptr workerFailure_;  // what the second thread threw, once it ended
};

}  // namespace qh::ov2

// Points handed from the thread that reads the inputs to a second thread that takes
// them through the PointFlow, so that parsing an input and building the overlay
// overlap. Messages about points come from that thread alone, in input order.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "tools/common/batch_pipe.h"
#include "tools/ov2/point_flow.h"

namespace qh::ov2 {

class PipedSink : public PointSink {
 public:
  explicit PipedSink(PointFlow& flow);
  ~PipedSink() override { Finish(); }
  PipedSink(const PipedSink&) = delete;
  PipedSink& operator=(const PipedSink&) = delete;

  bool Take(const InputPoint& input, const Place& place) override;
  void LeftOut(const Place& place, std::string_view reason) override;
  // Waits until every point sent has been taken; false when the flow failed.
  bool Finish();

 private:
  // A point, or a point left out with its reason, its texts in the batch's `texts`.
  struct Entry {
    double longitude, latitude;
    std::size_t textEnd, nameEnd, descEnd;  // each text starts where the one before ends
    Place place;
    bool leftOut;
  };
  struct Batch {
    std::string texts;
    std::vector<Entry> entries;
    void Clear() {
      texts.clear();
      entries.clear();
    }
  };

  void Add(const Entry& entry);
  void TakeBatch(const Batch& batch);

  PointFlow& flow_;
  tools::BatchPipe<Batch> pipe_;
  Batch* batch_ = nullptr;
  std::thread worker_;
  std::atomic<bool> failed_{false};
};

}  // namespace qh::ov2

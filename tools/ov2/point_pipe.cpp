#include "tools/ov2/point_pipe.h"

#include <system_error>

namespace qh::ov2 {
namespace {

constexpr std::size_t kBatchesInFlight = 4;
constexpr std::size_t kBatchPoints = 8192;

}  // namespace

PipedSink::PipedSink(PointFlow& flow) : flow_(flow), pipe_(kBatchesInFlight) {
  batch_ = pipe_.Empty();
  try {
    worker_ = std::thread([this] {
      while (Batch* taken = pipe_.Receive()) {
        TakeBatch(*taken);
        pipe_.Return(taken);
      }
    });
  } catch (const std::system_error&) {  // no second thread: each batch is taken here
  }
}

bool PipedSink::Take(const InputPoint& input, const Place& place) {
  const std::size_t start = batch_->texts.size();
  batch_->texts.append(input.text).append(input.name).append(input.desc);
  Add(Entry{input.longitude, input.latitude, start + input.text.size(),
            start + input.text.size() + input.name.size(), batch_->texts.size(), place, false});
  return !failed_.load(std::memory_order_acquire);
}

void PipedSink::LeftOut(const Place& place, std::string_view reason) {
  batch_->texts.append(reason);
  const std::size_t end = batch_->texts.size();
  Add(Entry{0, 0, end, end, end, place, true});
}

void PipedSink::Add(const Entry& entry) {
  batch_->entries.push_back(entry);
  if (batch_->entries.size() < kBatchPoints) return;
  if (worker_.joinable()) {
    pipe_.Send(batch_);
    batch_ = pipe_.Empty();
  } else {
    TakeBatch(*batch_);
    batch_->Clear();
  }
}

void PipedSink::TakeBatch(const Batch& batch) {
  if (failed_.load(std::memory_order_acquire)) return;
  const std::string_view texts = batch.texts;
  std::size_t start = 0;
  for (const Entry& entry : batch.entries) {
    if (entry.leftOut) {
      flow_.LeftOut(entry.place, texts.substr(start, entry.descEnd - start));
    } else {
      const InputPoint point{entry.longitude, entry.latitude,
                             texts.substr(start, entry.textEnd - start),
                             texts.substr(entry.textEnd, entry.nameEnd - entry.textEnd),
                             texts.substr(entry.nameEnd, entry.descEnd - entry.nameEnd)};
      if (!flow_.Take(point, entry.place)) {
        failed_.store(true, std::memory_order_release);
        return;
      }
    }
    start = entry.descEnd;
  }
}

bool PipedSink::Finish() {
  if (batch_ != nullptr) {
    if (worker_.joinable()) {
      pipe_.Send(batch_);
      pipe_.Close();
      worker_.join();
    } else {
      TakeBatch(*batch_);
    }
    batch_ = nullptr;
  }
  return !failed_.load(std::memory_order_acquire);
}

}  // namespace qh::ov2

#include "tools/ov2/point_pipe.h"

#include <system_error>
#include <utility>

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
        try {
          TakeBatch(*taken);
        } catch (...) {  // told on the reader's thread, which stops sending
          if (!workerFailure_) workerFailure_ = std::current_exception();
          failed_.store(true, std::memory_order_release);
        }
        pipe_.Return(taken);
      }
    });
  } catch (const std::system_error&) {  // no second thread: each batch is taken here
  }
}

bool PipedSink::Take(const InputPoint& input, const Place& place) {
  Add(Entry{Kind::kPoint, input.longitude, input.latitude, {}, place},
      {input.text, input.name, input.desc});
  return !failed_.load(std::memory_order_acquire);
}

bool PipedSink::TakeText(const TextPoint& text, const Place& place) {
  Add(Entry{Kind::kText, 0, 0, {}, place}, {text.latitude, text.longitude, text.name, text.desc});
  return !failed_.load(std::memory_order_acquire);
}

void PipedSink::LeftOut(const Place& place, std::string_view reason) {
  Add(Entry{Kind::kLeftOut, 0, 0, {}, place}, {reason});
}

void PipedSink::Add(Entry entry, std::initializer_list<std::string_view> parts) {
  std::size_t* end = entry.ends;
  for (const std::string_view part : parts) {
    batch_->texts.append(part);
    *end++ = batch_->texts.size();
  }
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
    // The entry's texts, one after another from `start`.
    const auto part = [&](int i) {
      const std::size_t from = i == 0 ? start : entry.ends[i - 1];
      return texts.substr(from, entry.ends[i] - from);
    };
    bool flowing = true;
    if (entry.kind == Kind::kLeftOut) {
      flow_.LeftOut(entry.place, part(0));
      start = entry.ends[0];
    } else if (entry.kind == Kind::kText) {
      flowing = flow_.TakeText(TextPoint{part(0), part(1), part(2), part(3)}, entry.place);
      start = entry.ends[3];
    } else {
      flowing = flow_.Take(InputPoint{entry.longitude, entry.latitude, part(0), part(1), part(2)},
                           entry.place);
      start = entry.ends[2];
    }
    if (!flowing) {
      failed_.store(true, std::memory_order_release);
      return;
    }
  }
}

bool PipedSink::Finish() {
  if (batch_ != nullptr && !worker_.joinable()) {
    const Batch* last = std::exchange(batch_, nullptr);
    TakeBatch(*last);
  }
  Close();
  if (workerFailure_) std::rethrow_exception(std::exchange(workerFailure_, nullptr));
  return !failed_.load(std::memory_order_acquire);
}

void PipedSink::Close() noexcept {
  if (batch_ == nullptr) return;
  if (worker_.joinable()) {
    pipe_.Send(batch_);
    pipe_.Close();
    worker_.join();
  }
  batch_ = nullptr;
}

}  // namespace qh::ov2

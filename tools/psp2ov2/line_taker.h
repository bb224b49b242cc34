// The taking side of the line pipeline: each batch of ".asc" lines is written to the
// ".asc" file and, unless only that is wanted, read into the overlay.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "converter/asc_output.h"
#include "overlay/asc_reader.h"
#include "overlay/overlay_builder.h"
#include "tools/psp2ov2/batch_pipe.h"

namespace qh::psp2ov2 {

class LineTaker {
 public:
  // `overlay` null: only the ".asc" file. `asc_name` names the lines in messages.
  LineTaker(AscWriter& asc, OverlayBuilder* overlay, const std::string& asc_name)
      : asc_(asc), overlay_(overlay), asc_name_(asc_name) {}

  void Take(const LineBatch& batch);
  bool WriteFailed() const { return write_failed_; }
  std::size_t Skipped() const { return skipped_; }

 private:
  void AddLine(std::string_view line);

  AscWriter& asc_;
  OverlayBuilder* overlay_;
  const std::string& asc_name_;
  AscPoint point_;
  std::uint64_t line_number_ = 0;
  std::size_t skipped_ = 0;
  std::atomic<bool> write_failed_{false};  // also read by the thread that makes the lines
};

// Ends the taking thread, on every way out of a conversion.
class WorkerEnd {
 public:
  WorkerEnd(BatchPipe& pipe, std::thread& worker) : pipe_(pipe), worker_(worker) {}
  ~WorkerEnd() { Wait(); }
  void Wait() {
    if (!worker_.joinable()) return;
    pipe_.Close();
    worker_.join();
  }

 private:
  BatchPipe& pipe_;
  std::thread& worker_;
};

}  // namespace qh::psp2ov2

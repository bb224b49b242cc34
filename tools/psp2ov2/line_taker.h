// The taking side of the line pipeline: each batch of ".asc" lines gets its latitude
// column, is written to the ".asc" file and, unless only that is wanted, its points go
// to the overlay as the numbers their columns stand for and byte spans of the lines, as
// the ".asc" reader would read them, without reading the lines again.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "files/complete_file.h"
#include "files/io_error.h"
#include "overlay/overlay_builder.h"
#include "tools/psp2ov2/batch_pipe.h"

namespace qh::psp2ov2 {

class LineTaker {
 public:
  // `overlay` null: only the ".asc" file, whose name `ascPath` places the lines in
  // messages.
  LineTaker(CompleteFile& asc, OverlayBuilder* overlay, const std::string& ascPath)
      : asc_(asc), overlay_(overlay), ascPath_(ascPath) {}

  void Take(LineBatch& batch);
  // The lines could not be written or taken (see Error); later batches are dropped.
  bool Failed() const { return failed_.load(std::memory_order_acquire); }
  const IoError& Error() const { return error_; }
  // The overlay took no more points (its builder's Error says why): the run cannot
  // finish, and the lines stop with it.
  bool OverlayFailed() const { return overlayFailed_.load(std::memory_order_acquire); }
  // Lines the overlay leaves out, as makeov2 would (each reported on standard error).
  std::size_t Skipped() const { return skipped_; }

 private:
  // Fills in the latitude column of the batch's lines and takes their points.
  void CompleteLines(LineBatch& batch);
  void TakePoint(std::string_view line, const AscColumns& columns);
  void Fail(IoError error);

  CompleteFile& asc_;
  OverlayBuilder* overlay_;
  const std::string& ascPath_;
  AscPoint point_;
  std::uint64_t lineNumber_ = 0;
  std::size_t skipped_ = 0;
  IoError error_;  // set before failed_
  // Also read by the thread that makes the lines: on a cache line of its own, away
  // from what changes with every line.
  alignas(64) std::atomic<bool> failed_{false};
  std::atomic<bool> overlayFailed_{false};
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

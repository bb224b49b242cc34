// The way every input's points take to an output: the offset is added, the point is
// put in the ".asc" line that psp2ov2 would write for it and read back as makeov2
// reads it (so every input keeps the same coordinates, rounding and refusals as the
// pushpin route), duplicates are dropped when asked, and what is left goes on.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "formats/asc_reader.h"
#include "tools/ov2/input_point.h"
#include "tools/ov2/seen_points.h"
#include "tools/ov2/utf8_points.h"

namespace qh::ov2 {

// A point that made it: the overlay's point, its ".asc" line (CR LF included) and
// the input's texts.
struct FlowPoint {
  const AscPoint& point;
  std::string_view line;
  const InputPoint& input;
};

// What the input readers give their points to.
class PointSink {
 public:
  virtual ~PointSink() = default;
  // False when the points can go no further (the consumer failed and said why).
  virtual bool Take(const InputPoint& input, const Place& place) = 0;
  // A point of a UTF-8 input whose coordinates are still texts; false as for Take.
  virtual bool TakeText(const TextPoint& text, const Place& place) = 0;
  // Counts one point of an input left out before it reached the flow, and says why.
  virtual void LeftOut(const Place& place, std::string_view reason) = 0;
  // Counts pieces of an input that are no points and were passed over: title lines,
  // route and track points, records of unknown types, pins past the header's count.
  // Inputs of nothing else give no point, and no output.
  virtual void PassedOver(std::size_t pieces) = 0;
  // Counts points an input left out and told of itself (in one line for them all).
  virtual void Dropped(std::size_t points) = 0;
};

class PointFlow : public PointSink {
 public:
  // `consumer` takes each point; false from it stops the flow (it says why).
  using Consumer = std::function<bool(const FlowPoint&)>;
  // `texts` says how the texts of UTF-8 inputs are written into the overlay.
  PointFlow(const TextOptions& texts, float longitudeOffset, float latitudeOffset, bool dedupe,
            Consumer consumer)
      : utf8_(texts), longitudeOffset_(longitudeOffset), latitudeOffset_(latitudeOffset),
        dedupe_(dedupe), consumer_(std::move(consumer)) {}

  // False when the consumer failed; a point refused or dropped is no failure.
  bool Take(const InputPoint& input, const Place& place) override;
  bool TakeText(const TextPoint& text, const Place& place) override;
  void LeftOut(const Place& place, std::string_view reason) override;
  void PassedOver(std::size_t pieces) override { passedOver_ += pieces; }
  void Dropped(std::size_t points) override { dropped_ += points; }

  std::size_t Points() const { return points_; }
  std::size_t Skipped() const { return skipped_ + dropped_; }
  std::size_t Duplicates() const { return duplicates_; }
  // The inputs held something, points left out or pieces passed over, but no point came
  // of it: an output would be empty in the place of an earlier one, so none is written.
  // (Empty inputs give an empty output, as makeov2 makes an empty overlay of an empty file.)
  bool NoPointCame() const { return points_ == 0 && Skipped() + passedOver_ > 0; }

 private:
  Utf8Points utf8_;
  InputPoint made_;  // a text point, made
  float longitudeOffset_, latitudeOffset_;
  bool dedupe_;
  Consumer consumer_;
  std::string line_;
  SeenPoints seen_;
  std::size_t points_ = 0, skipped_ = 0, duplicates_ = 0, passedOver_ = 0;
  std::size_t dropped_ = 0;  // counted by the reading thread, as passedOver_
};

// Says that no point came of the inputs (PointFlow::NoPointCame), so that `output`
// (standard output when empty) is not written, and returns the exit status for it.
int TellNoPointCame(const std::string& output);

}  // namespace qh::ov2

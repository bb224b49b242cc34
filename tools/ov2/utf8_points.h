// Points of the UTF-8 inputs (GPX and CSV) made into what the overlay takes: the name
// (followed by the description with --append-notes) in Windows-1252 or UTF-8, and, for
// GPX, the coordinates read from their texts.
#pragma once

#include <string>
#include <string_view>

#include "formats/pushpin_reader.h"
#include "tools/ov2/input_point.h"

namespace qh::ov2 {

struct TextOptions {
  bool appendNotes = false;  // the overlay's text is the name followed by the notes
  bool utf8 = false;         // the overlay's texts are UTF-8, not Windows-1252
  LongitudeRule longitudeRule = LongitudeRule::kZone;
  // The points' names and notes in UTF-8 beside the overlay's text (GPX and CSV outputs
  // show them); where nothing shows them, the readers whose texts need decoding for
  // them leave them empty.
  bool names = false;
};

// A point whose coordinates are still the texts its input holds.
struct TextPoint {
  std::string_view latitude, longitude;
  std::string_view name, desc;  // UTF-8
};

class Utf8Points {
 public:
  explicit Utf8Points(const TextOptions& options) : options_(options) {}

  // Sets the point's texts from its UTF-8 name and description; the point's text
  // stays valid until the next call.
  void Fill(InputPoint& point, std::string_view name, std::string_view desc);
  // The whole point; false, with the reason, when a coordinate is not a number.
  bool Make(const TextPoint& text, InputPoint& point, std::string_view& reason);

 private:
  void Encode(std::string_view text);

  TextOptions options_;
  std::string text_;
};

}  // namespace qh::ov2

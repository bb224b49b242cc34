// Reader of ".ov2" overlays, ours and other programs': record types 0 (deleted, passed
// over), 1 (skipper: its block is entered), 2 (point), 3 (point with further texts);
// any other type is passed over by its length and reported. The walk checks the
// structure as it goes and stops at the first fault, with its byte offset: a record
// cut short, a length that points outside the file or runs past its block, a skipper
// shorter than itself or with an inverted box, a skipper nested deeper than
// kOv2DeepestNesting, a point outside the box of a skipper that holds it, a text
// without its closing NUL, a point off the Earth. Whatever the bytes, it reads nothing
// outside them, and its memory does not grow with them.
//
// Overlays from other tools are often slightly wrong, so the walk can also read
// leniently: skipper boxes are hints, a skipper that does not add up is passed over and
// its records read in order, a text without its NUL ends at its record's end, bytes that
// make no record end the file. Each fault is still found and counted by kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "files/io_error.h"

namespace qh {

inline constexpr std::uint8_t kOv2DeletedType = 0;
inline constexpr std::uint8_t kOv2ExtendedPoiType = 3;
// The most skippers open at once. The walk keeps each open skipper's end and box, so
// a file of skippers each inside the last would take memory in step with its size; a
// spatial index halves its points at every level and nests fewer than 30 deep at
// the format's 2 GiB, so no real overlay comes near this.
inline constexpr std::size_t kOv2DeepestNesting = 64;

enum class Ov2Reading { kStrict, kLenient };

// The kinds of fault, as a lenient walk repairs them.
enum class Ov2Fault : std::uint8_t {
  kOutsideBox,      // a point outside its block's box: kept
  kInvertedBox,     // a skipper box with its corners in the other order: turned round
  kBadSkipper,      // a skipper that does not add up: passed over, its records read in order
  kShortRecord,     // a record too short for its type: passed over by its length
  kTextWithoutNul,  // a point's texts end at its record's end
  kOffEarth,        // a point outside -180..180, -90..90: left out
  kJunk,            // bytes that make no record: the file ends before them
};
inline constexpr std::size_t kOv2FaultKinds = 7;

struct Ov2Point {
  std::int32_t longitude = 0, latitude = 0;  // OV2 units (1e-5 degree)
  std::string_view name;
  // A type-3 record's texts after the name, each NUL between them made a blank;
  // empty for type 2.
  std::string_view further;
  std::size_t offset = 0;  // of the record
};

struct Ov2Summary {
  std::size_t points = 0;
  std::size_t blocks = 0;  // skippers
  std::size_t deleted = 0;
  std::size_t unknown = 0;  // records of other types, passed over
  // The first fault at its byte offset; the path is the caller's to fill in.
  ContentError fault;
  // The faults found (one in a strict walk), by kind; for kJunk, the bytes passed over.
  std::size_t faults[kOv2FaultKinds] = {};
  std::size_t Faults(Ov2Fault kind) const { return faults[static_cast<std::size_t>(kind)]; }
};

struct Ov2Visitor {
  std::function<void(const Ov2Point&)> point;
  // A record of a type this reader does not know, passed over by its length.
  std::function<void(std::size_t offset, std::uint8_t type)> unknown;
  // Each fault found, in file order (a strict walk stops at the first).
  std::function<void(const ContentError& fault, Ov2Fault kind)> fault;
};

// Walks every record of `bytes` in file order. A strict walk gives the points before
// the first fault and stops there; a lenient one repairs each fault and goes on.
Ov2Summary ReadOv2(std::string_view bytes, const Ov2Visitor& visitor,
                   Ov2Reading reading = Ov2Reading::kStrict);
// The same walk over the overlay in the file `path`, read in pieces: memory does not
// grow with the file, and a point's texts are valid during its call only. When the
// file cannot be opened or read to its end, `error` says why and the walk stops there.
Ov2Summary ReadOv2File(const std::string& path, const Ov2Visitor& visitor, IoError& error,
                       Ov2Reading reading = Ov2Reading::kStrict);

}  // namespace qh

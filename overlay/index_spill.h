// The spatial index of an overlay whose points do not fit the memory a run may take: its
// points go to a temporary file beside the output, in input order, and the tree is split
// there, level by level, with the splits the index makes in memory: the median of the
// wider axis (found by counting, then by one or two passes over the part), every part
// written stably to two files, so that each keeps its input order. A part that fits the
// memory is built and written by an index in memory, as a whole index would build and
// write those points; a part whose points all lie at one position is one block. The
// parts' records go to a second file in the order they take in the overlay, and Write
// puts the skippers of the splits on the disk around them.
//
// The bytes are those of the index built in memory: its tree depends on the points and
// their input order alone, and so does each split here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "overlay/ov2_writer.h"
#include "files/spill_file.h"

namespace qh {

class IndexSpill {
 public:
  // `budget`: the memory a part's build in memory may take, as SpatialIndex::MemoryFor
  // counts it; the files go beside `beside`.
  IndexSpill(std::uint64_t budget, std::string beside);
  ~IndexSpill();
  IndexSpill(const IndexSpill&) = delete;
  IndexSpill& operator=(const IndexSpill&) = delete;

  // Makes the file of the points; false (Error says why) when it cannot.
  bool Open();
  // False when the point cannot be written to the file, or once the index is built: it
  // takes no points after that.
  bool Add(std::int32_t longitude, std::int32_t latitude, std::string_view name);
  std::uint64_t Points() const { return points_; }
  // Builds the tree once (splitting on the disk) and gives the overlay's size; 0, with
  // an Error, when the build failed.
  std::uint64_t OverlaySize();
  // Writes the overlay; it can be written again and gives the same bytes. False when
  // the build or the files failed (Error says why) or the writer did.
  bool Write(Ov2Writer& writer);
  // The failure of the files, or the overlay too large for its lengths; none while
  // nothing failed.
  const IoError& Error() const { return error_; }

 private:
  struct Part;
  // A node of the tree above the parts built in memory: a split, or a run of records
  // in the second file (a part's whole subtree).
  struct Piece {
    std::uint64_t bytes = 0;
    Ov2Box box;
    std::uint32_t left = 0, right = 0;
    bool run = false;
  };
  struct Pivot {
    std::int32_t key = 0;
    std::uint32_t ordinal = 0;  // its place in its part's file
  };

  bool Build();
  // Builds `part` (its file removed on the way) into pieces_; false on a failure.
  bool BuildPart(Part& part, std::uint32_t& piece);
  bool BuildInMemory(Part& part, Piece& piece);
  bool WriteBlock(Part& part, Piece& piece);
  bool Split(Part& part, int axis, Part& left, Part& right);
  bool FindPivot(Part& part, int axis, Pivot& pivot);
  bool GatherPivot(Part& part, int axis, std::uint32_t bucket, std::uint64_t rank, Pivot& pivot);
  bool CountPivot(Part& part, int axis, std::uint32_t bucket, std::uint64_t rank, Pivot& pivot);
  bool WritePiece(std::uint32_t piece, Ov2Writer& writer, std::vector<char>& buffer);
  bool FailWith(const IoError& error);
  bool FailTooLarge();
  bool FailRead(const SpillReader& reader);

  std::uint64_t budget_;
  std::string beside_;
  std::unique_ptr<Part> root_;
  SpillFile runs_;  // the parts' records, in overlay order
  std::vector<Piece> pieces_;  // pre-order, the top first
  std::uint64_t points_ = 0;
  bool built_ = false;
  IoError error_;
};

}  // namespace qh

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "overlay/byte_reader.h"
#include "overlay/ov2_reader.h"
#include "overlay/ov2_writer.h"
#include "overlay/spatial_index.h"
#include "tests/formats/ov2_check.h"
#include "tests/support/faulty_file_calls.h"
#include "tests/support/temp_folder.h"

namespace qh {
namespace {

struct ReadBack {
  std::vector<test::DecodedPoi> points;
  std::vector<std::string> further;
  std::vector<std::pair<std::size_t, int>> unknown;  // offset, type
  Ov2Summary summary;
};

// The bytes of `path` read in pieces (`error` says why the walk stopped early), or
// `bytes` whole, when `path` is null.
ReadBack Read(std::string_view bytes, const std::string* path = nullptr, IoError* error = nullptr,
              Ov2Reading reading = Ov2Reading::kStrict) {
  ReadBack back;
  Ov2Visitor visitor;
  visitor.point = [&](const Ov2Point& p) {
    back.points.push_back({p.longitude, p.latitude, std::string(p.name)});
    back.further.emplace_back(p.further);
  };
  visitor.unknown = [&](std::size_t offset, std::uint8_t type) {
    back.unknown.emplace_back(offset, type);
  };
  back.summary = path == nullptr ? ReadOv2(bytes, visitor, reading)
                                 : ReadOv2File(*path, visitor, *error, reading);
  return back;
}

// An overlay of `count` points under our spatial index, all on the Earth.
std::string IndexedOverlay(int count) {
  SpatialIndex index;
  for (int i = 0; i < count; ++i) {
    index.Add(-8678190 + i * 130, 3616270 - i * 97, "Point " + std::to_string(i));
  }
  std::string bytes;
  Ov2Writer writer([&](std::string_view b) {
    bytes.append(b);
    return true;
  });
  index.Write(writer);
  writer.Finish();
  return bytes;
}

void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

std::string Record(std::uint8_t type, std::string_view body) {
  std::string out(1, static_cast<char>(type));
  out.append(4, '\0');
  out.append(body);
  PutLe32(out, 1, static_cast<std::uint32_t>(out.size()));
  return out;
}

TEST(ByteReader, ReadsLittleEndianAndFailsForGoodPastTheEnd) {
  ByteReader reader(std::string_view("\x01\x02\x03\x04\x05\xff", 6));
  EXPECT_EQ(reader.U8(), 1u);
  EXPECT_EQ(reader.Offset(), 1u);
  EXPECT_EQ(reader.U32(), 0x05040302u);
  EXPECT_EQ(reader.Offset(), 5u);
  EXPECT_FALSE(reader.Failed());
  EXPECT_EQ(reader.U32(), 0u);  // one byte left, four asked
  EXPECT_TRUE(reader.Failed());
  EXPECT_EQ(reader.Offset(), 5u);
  EXPECT_EQ(reader.U8(), 0u);  // the byte is there, but the failure sticks
  reader.Seek(0);
  EXPECT_EQ(reader.U8(), 0u);
  EXPECT_TRUE(reader.Failed());
  ByteReader seeking("abc");
  seeking.Seek(4);
  EXPECT_TRUE(seeking.Failed());
}

TEST(Ov2Reader, ReadsOurIndexedOverlayAsTheIndependentDecoderDoes) {
  for (const int count : {0, 1, 20, 21, 500}) {
    const std::string bytes = IndexedOverlay(count);
    const ReadBack back = Read(bytes);
    const test::Ov2Contents expected = test::DecodeOv2(bytes);
    ASSERT_TRUE(expected.faults.empty()) << test::JoinFaults(expected);
    EXPECT_FALSE(back.summary.fault) << count << ": " << back.summary.fault.what;
    EXPECT_EQ(back.points, expected.pois) << count;
    EXPECT_EQ(back.summary.points, static_cast<std::size_t>(count));
    EXPECT_EQ(back.summary.blocks, expected.skippers) << count;
  }
}

TEST(Ov2Reader, PassesOverDeletedAndUnknownRecordsAndReadsExtendedPoints) {
  std::string bytes;
  AppendOv2Poi(bytes, 100, 200, "Simple");
  const std::size_t deletedAt = bytes.size();
  bytes += Record(0, "gone");
  const std::size_t unknownAt = bytes.size();
  bytes += Record(7, std::string(9, 'x'));
  std::string extended("\x2c\x01\x00\x00\x90\x01\x00\x00", 8);  // 300, 400
  extended += std::string("Name\0id-7\0+1 615\0", 17);
  bytes += Record(3, extended);
  const ReadBack back = Read(bytes);
  ASSERT_FALSE(back.summary.fault) << back.summary.fault.what;
  ASSERT_EQ(back.points.size(), 2u);
  EXPECT_EQ(back.points[1], (test::DecodedPoi{300, 400, "Name"}));
  EXPECT_EQ(back.further[0], "");
  EXPECT_EQ(back.further[1], "id-7 +1 615");
  EXPECT_EQ(back.summary.deleted, 1u);
  ASSERT_EQ(back.unknown.size(), 1u);
  EXPECT_EQ(back.unknown[0], (std::pair<std::size_t, int>{unknownAt, 7}));
  EXPECT_NE(deletedAt, unknownAt);
}

// `depth` skippers, each inside the one before, around `poi`.
std::string NestedSkippers(std::size_t depth, const std::string& poi) {
  std::string bytes;
  for (std::size_t i = 0; i < depth; ++i) {
    AppendOv2Skipper(bytes, static_cast<std::uint32_t>(21 * (depth - i) + poi.size()),
                     Ov2Box{0, 0, 1000, 1000});
  }
  return bytes + poi;
}

// A broken overlay: where a strict walk stops and what it says, and what a lenient
// walk gives: the names of the points, in order, and the count of the one kind of
// fault it repaired (for kJunk, the bytes passed over).
struct BrokenCase {
  const char* name;
  std::string bytes;
  std::size_t offset;
  const char* says;
  std::vector<std::string> lenientNames;
  Ov2Fault kind;
  std::size_t count;
};

std::vector<BrokenCase> BrokenCases() {
  std::string poi;
  AppendOv2Poi(poi, 500, 500, "In");
  std::string outside;  // 1e-5 degree east of the box below
  AppendOv2Poi(outside, 1001, 500, "Out");
  std::string inside;
  AppendOv2Skipper(inside, static_cast<std::uint32_t>(21 + poi.size()), Ov2Box{0, 0, 1000, 1000});
  inside += poi;
  using F = Ov2Fault;

  std::vector<BrokenCase> cases;
  std::string lying;  // the skipper's box leaves out its second point
  AppendOv2Skipper(lying, static_cast<std::uint32_t>(21 + poi.size() + outside.size()),
                   Ov2Box{0, 0, 1000, 1000});
  lying += poi + outside;
  cases.push_back({"lying skipper", lying, 21 + poi.size(), "outside the box", {"In", "Out"},
                   F::kOutsideBox, 1});
  std::string inner;
  AppendOv2Skipper(inner, static_cast<std::uint32_t>(21 + outside.size()), Ov2Box{0, 0, 9000, 9000});
  inner += outside;
  std::string outer;
  AppendOv2Skipper(outer, static_cast<std::uint32_t>(21 + inner.size()), Ov2Box{0, 0, 1000, 1000});
  cases.push_back({"outer box lies", outer + inner, 42, "outside the box", {"Out"}, F::kOutsideBox, 1});
  std::string far = poi;
  PutLe32(far, 1, 1000);
  cases.push_back({"length outside the file", far, 0, "points outside the file", {}, F::kJunk,
                   far.size()});
  std::string farSkipper = inside;
  PutLe32(farSkipper, 1, 1000);
  cases.push_back({"skipper length outside the file", farSkipper, 0, "points outside the file",
                   {"In"}, F::kBadSkipper, 1});
  std::string past = inside + poi;
  PutLe32(past, 1, 21 + 3);  // the block ends inside its point
  cases.push_back({"record past its block", past, 21, "runs past its block", {"In", "In"},
                   F::kBadSkipper, 1});
  std::string shortSkipper = inside;
  PutLe32(shortSkipper, 1, 20);
  cases.push_back({"skipper shorter than itself", shortSkipper, 0, "shorter than the skipper",
                   {"In"}, F::kBadSkipper, 1});
  std::string inverted;  // its corners in the other order; the point is inside once turned
  AppendOv2Skipper(inverted, static_cast<std::uint32_t>(21 + poi.size()),
                   Ov2Box{1000, 1000, 0, 0});
  cases.push_back({"inverted box", inverted + poi, 0, "inverted", {"In"}, F::kInvertedBox, 1});
  std::string unterminated = poi;
  unterminated[unterminated.size() - 1] = 'x';
  cases.push_back({"text without NUL", unterminated + poi, 0, "does not end with a NUL",
                   {"Inx", "In"}, F::kTextWithoutNul, 1});
  cases.push_back({"point shorter than a point", Record(2, "abcdefgh") + poi, 0,
                   "shorter than a point", {"In"}, F::kShortRecord, 1});
  std::string offEarth;
  AppendOv2Poi(offEarth, 18000001, 500, "East");
  AppendOv2Poi(offEarth, 500, -9000001, "South");
  cases.push_back({"off the Earth", offEarth + poi, 0, "off the Earth", {"In"}, F::kOffEarth, 2});
  cases.push_back({"zero length", std::string("\x00\x00\x00\x00\x00", 5), 0,
                   "shorter than its own head", {}, F::kJunk, 5});
  cases.push_back({"cut head", poi + "\x02\x10", poi.size(), "cut short", {"In"}, F::kJunk, 2});
  cases.push_back({"junk after the last record", poi + std::string("JUNK\0\1\2", 7), poi.size(),
                   "points outside the file", {"In"}, F::kJunk, 7});
  // The walk keeps every open skipper: nesting without end would take memory without
  // end. Leniently the skipper past the bound is not entered.
  cases.push_back({"nested too deep", NestedSkippers(kOv2DeepestNesting + 1, poi),
                   21 * kOv2DeepestNesting, "nested more than 64 deep", {"In"}, F::kBadSkipper, 1});
  return cases;
}

TEST(Ov2Reader, BrokenOverlaysStopAtTheirFirstFaultWithItsOffset) {
  for (const BrokenCase& c : BrokenCases()) {
    std::size_t pointsSeen = 0;
    Ov2Visitor visitor;
    visitor.point = [&](const Ov2Point&) { ++pointsSeen; };
    const Ov2Summary summary = ReadOv2(c.bytes, visitor);
    ASSERT_TRUE(summary.fault) << c.name;
    EXPECT_EQ(summary.fault.offset, c.offset) << c.name << ": " << summary.fault.what;
    EXPECT_NE(summary.fault.what.find(c.says), std::string::npos) << c.name << ": " << summary.fault.what;
    EXPECT_EQ(pointsSeen, summary.points) << c.name;
  }
  std::string poi;
  AppendOv2Poi(poi, 500, 500, "In");
  const Ov2Summary deepest = ReadOv2(NestedSkippers(kOv2DeepestNesting, poi), {});
  EXPECT_FALSE(deepest.fault) << "as deep as the bound: " << deepest.fault.what;
  EXPECT_EQ(deepest.points, 1u);
}

TEST(Ov2Reader, LenientReadingRepairsEachBrokenOverlayAndCountsTheFault) {
  for (const BrokenCase& c : BrokenCases()) {
    std::vector<std::string> names;
    std::vector<std::size_t> faultsAt;
    Ov2Visitor visitor;
    visitor.point = [&](const Ov2Point& p) { names.emplace_back(p.name); };
    visitor.fault = [&](const ContentError& fault, Ov2Fault) { faultsAt.push_back(fault.offset); };
    const Ov2Summary summary = ReadOv2(c.bytes, visitor, Ov2Reading::kLenient);
    EXPECT_EQ(names, c.lenientNames) << c.name;
    EXPECT_EQ(summary.points, names.size()) << c.name;
    ASSERT_TRUE(summary.fault) << c.name;
    EXPECT_EQ(summary.fault.offset, c.offset) << c.name << ": the first fault, as strict";
    ASSERT_FALSE(faultsAt.empty()) << c.name;
    EXPECT_EQ(faultsAt.front(), c.offset) << c.name;
    for (std::size_t kind = 0; kind < kOv2FaultKinds; ++kind) {
      const std::size_t expected = kind == static_cast<std::size_t>(c.kind) ? c.count : 0;
      EXPECT_EQ(summary.faults[kind], expected) << c.name << ": kind " << kind;
    }
  }
}

TEST(Ov2Reader, EveryCutOfAnIndexedOverlayIsAFaultInsideTheCut) {
  // The index's first skipper spans the whole file, so no shorter file is whole.
  const std::string bytes = IndexedOverlay(45);
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    const Ov2Summary summary = ReadOv2(std::string_view(bytes).substr(0, size), {});
    if (size == 0) {
      EXPECT_FALSE(summary.fault) << "an empty file is an empty overlay";
      continue;
    }
    ASSERT_TRUE(summary.fault) << "cut at " << size;
    EXPECT_LT(summary.fault.offset, size) << "cut at " << size;
  }
}

// A download cut short, read leniently, gives the points before the cut, in order.
TEST(Ov2Reader, EveryCutOfAnIndexedOverlayReadLenientlyGivesItsWholePoints) {
  const std::string bytes = IndexedOverlay(45);
  const ReadBack whole = Read(bytes);
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    const std::string_view cut = std::string_view(bytes).substr(0, size);
    const ReadBack strict = Read(cut);
    const ReadBack lenient = Read(cut, nullptr, nullptr, Ov2Reading::kLenient);
    ASSERT_LE(lenient.points.size(), whole.points.size()) << "cut at " << size;
    EXPECT_GE(lenient.points.size(), strict.points.size()) << "cut at " << size;
    EXPECT_TRUE(std::equal(lenient.points.begin(), lenient.points.end(), whole.points.begin()))
        << "cut at " << size;
    std::size_t wholePoints = 0;  // the points whose records end before the cut
    for (std::size_t at = 0; at + 5 <= size;) {
      ByteReader reader(std::string_view(bytes).substr(at, 5));
      const std::uint8_t type = reader.U8();
      const std::uint32_t length = reader.U32();
      if (type == kOv2PoiType && at + length <= size) ++wholePoints;
      at += type == kOv2SkipperType ? kOv2SkipperSize : length;  // into a skipper's block
    }
    EXPECT_EQ(lenient.points.size(), wholePoints) << "cut at " << size;
  }
}

// The file read in pieces gives what the bytes read whole give: records across the
// pieces' edges, records larger than a piece, long stretches passed over, faults.
// A read that fails stops the walk with the system's reason.
TEST(Ov2Reader, ReadInPiecesFromItsFileAsWhole) {
  test::TempFolder folder;
  const std::string path = folder.File("x.ov2");
  std::string big = IndexedOverlay(70000);  // more than a piece
  big += Record(0, std::string(2500000, 'd'));
  big += Record(9, std::string(1500000, 'u'));
  std::string longName("\x01\x00\x00\x00\x02\x00\x00\x00", 8);
  longName += std::string(3000000, 'n') + '\0';
  big += Record(2, longName);
  big += IndexedOverlay(30);
  std::vector<std::pair<std::string, std::string>> overlays = {{"large", big}};
  for (const BrokenCase& c : BrokenCases()) overlays.emplace_back(c.name, c.bytes);
  overlays.emplace_back("cut", big.substr(0, big.size() - 7));
  for (const auto& [name, bytes] : overlays) {
    ASSERT_TRUE(test::WriteFile(path, bytes)) << path;
    IoError error;
    const ReadBack whole = Read(bytes), pieces = Read({}, &path, &error);
    EXPECT_FALSE(error) << name << ": " << error.reason;
    EXPECT_EQ(pieces.points, whole.points) << name;
    EXPECT_EQ(pieces.further, whole.further) << name;
    EXPECT_EQ(pieces.unknown, whole.unknown) << name;
    EXPECT_EQ(pieces.summary.deleted, whole.summary.deleted) << name;
    EXPECT_EQ(pieces.summary.blocks, whole.summary.blocks) << name;
    EXPECT_EQ(pieces.summary.fault.offset, whole.summary.fault.offset) << name;
    EXPECT_EQ(pieces.summary.fault.what, whole.summary.fault.what) << name;
    const ReadBack lenientWhole = Read(bytes, nullptr, nullptr, Ov2Reading::kLenient);
    const ReadBack lenientPieces = Read({}, &path, &error, Ov2Reading::kLenient);
    EXPECT_FALSE(error) << name << ": " << error.reason;
    EXPECT_EQ(lenientPieces.points, lenientWhole.points) << name;
    for (std::size_t kind = 0; kind < kOv2FaultKinds; ++kind) {
      EXPECT_EQ(lenientPieces.summary.faults[kind], lenientWhole.summary.faults[kind]) << name;
    }
  }
  ASSERT_TRUE(test::WriteFile(path, big)) << path;
  const test::FaultyFileCalls failing({.readable = 1500000});
  IoError error;
  const ReadBack cut = Read({}, &path, &error);
  EXPECT_EQ(error.what, IoFailure::kReadFailed);
  EXPECT_EQ(error.reason, std::strerror(EIO));
  EXPECT_GT(cut.points.size(), 0u);
  EXPECT_LT(cut.points.size(), 70000u);
}

}  // namespace
}  // namespace qh

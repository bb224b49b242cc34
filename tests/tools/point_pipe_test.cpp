// The second thread of ov2 make: every point arrives once and in order, points left
// out are counted there too, and a consumer that fails stops the flow.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "tools/ov2/point_pipe.h"

namespace qh::ov2 {
namespace {

TEST(PipedSink, PointsArriveInOrderWithTheirTextsAndLeftOutOnesAreCounted) {
  std::vector<std::string> seen;
  PointFlow flow(TextOptions{}, 0, 0, false, [&](const FlowPoint& p) {
    seen.push_back(std::string(p.point.text) + "|" + std::string(p.input.name) + "|" +
                   std::string(p.input.desc) + "|" + std::to_string(p.point.longitudeUnits));
    return true;
  });
  const std::string file = "points.csv";
  {
    PipedSink sink(flow);
    for (int i = 0; i < 20000; ++i) {
      const std::string text = "T" + std::to_string(i), name = "N" + std::to_string(i);
      const InputPoint point{i / 1000.0, 1, text, name, i % 2 == 0 ? "d" : ""};
      ASSERT_TRUE(sink.Take(point, Place{&file, nullptr, static_cast<std::size_t>(i)}));
      if (i % 5000 == 0) sink.LeftOut(Place{&file, nullptr, 0}, "left out on purpose");
    }
    EXPECT_TRUE(sink.Finish());
  }
  ASSERT_EQ(seen.size(), 20000u);
  EXPECT_EQ(seen[0], "T0|N0|d|0");
  EXPECT_EQ(seen[12345], "T12345|N12345||1234500");
  EXPECT_EQ(flow.Skipped(), 4u);
  EXPECT_EQ(flow.Points(), 20000u);
}

TEST(PipedSink, AConsumerThatFailsStopsTheFlow) {
  std::size_t taken = 0;
  PointFlow flow(TextOptions{}, 0, 0, false, [&](const FlowPoint&) { return ++taken < 100; });
  const std::string file = "points.gpx";
  PipedSink sink(flow);
  bool refused = false;
  for (int i = 0; i < 200000 && !refused; ++i) {
    refused = !sink.Take(InputPoint{1, 2, "x", "x", ""}, Place{&file, "waypoint", 1});
  }
  EXPECT_FALSE(sink.Finish());
  EXPECT_TRUE(refused) << "the reader is told to stop";
  EXPECT_EQ(taken, 100u) << "nothing is taken after the failure";
}

TEST(PipedSink, RunningOutOfMemoryOnTheSecondThreadIsToldOnTheReadersThread) {
  std::size_t taken = 0;
  PointFlow flow(TextOptions{}, 0, 0, false, [&](const FlowPoint&) -> bool {
    if (++taken == 100) throw std::bad_alloc();
    return true;
  });
  const std::string file = "points.csv";
  PipedSink sink(flow);
  bool refused = false;
  for (int i = 0; i < 200000 && !refused; ++i) {
    refused = !sink.Take(InputPoint{1, 2, "x", "x", ""}, Place{&file, nullptr, 1});
  }
  EXPECT_TRUE(refused) << "the reader is told to stop";
  EXPECT_THROW(sink.Finish(), std::bad_alloc);
  EXPECT_EQ(taken, 100u);
}

}  // namespace
}  // namespace qh::ov2

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "formats/chunk_queue.h"

namespace qh {
namespace {

struct Numbers {
  std::vector<int> values;
  void Clear() { values.clear(); }
};

TEST(ChunkQueue, HandsInOrderAndLetsAWaitingMakerGo) {
  // One byte waits at most: the maker waits for the taker at every chunk.
  ChunkQueue<Numbers> queue(1);
  std::thread maker([&] {
    Numbers chunk;
    for (int i = 0; i < 50; ++i) {
      chunk.values = {i, i + 1000};
      EXPECT_TRUE(queue.Hand(chunk, 1));
      EXPECT_TRUE(chunk.values.empty()) << "the maker is left an empty chunk to fill";
    }
    queue.Close();
  });
  Numbers taken;
  std::vector<int> seen;
  while (queue.Take(taken)) seen.insert(seen.end(), taken.values.begin(), taken.values.end());
  maker.join();
  ASSERT_EQ(seen.size(), 100u);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(seen[2 * i], i);
    EXPECT_EQ(seen[2 * i + 1], i + 1000);
  }

  // A taker that lets go frees a maker waiting for room, which then learns that it is
  // not wanted; a maker that waited for ever would hang this test.
  ChunkQueue<Numbers> full(1);
  std::atomic<bool> firstHanded{false};
  std::thread waiting([&] {
    Numbers chunk{{1}};
    EXPECT_TRUE(full.Hand(chunk, 1));
    firstHanded = true;
    chunk.values = {2};
    EXPECT_FALSE(full.Hand(chunk, 1)) << "no room, and then no taker";
  });
  while (!firstHanded) std::this_thread::yield();
  full.LetGo();
  waiting.join();
  Numbers none;
  EXPECT_FALSE(full.Take(none)) << "what waited is dropped with the taker";
}

}  // namespace
}  // namespace qh

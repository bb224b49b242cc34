// Messages of the root window and the blocking loop that hands them out.
#pragma once

#include <cstdint>
#include <span>

namespace qh {

enum MessageKind : int {
  kKeyDown = 1,
  kMenuSelect = 2,
  kMouseButDown = 4,
  kMouseButUp = 5,
  kMouseMove = 6,
  kExpose = 7,
  kResize = 8,
  kCloseRequest = 9,
  kFrameButtonDown = 12,
  kTimerExpired = 13,
  // Files were dropped onto the root window (value1: how many); IWnDroppedFile gives
  // the first one's name.
  kFilesDropped = 16,
};

// Twelve four-byte slots; unused slots are -1.
struct MessageInfo {
  std::int32_t window = -1;
  std::int32_t value1 = -1;
  std::int32_t value2 = -1;
  std::int32_t origin = -1;
  std::int32_t value4 = -1;
  std::int32_t x = -1;
  std::int32_t y = -1;
  float gx2 = 0, gy2 = 0;
  float gx = 0, gy = 0;
  std::int32_t time = -1;
};

void IWnGetMessage(int& kind, MessageInfo& info);

// The full name of the first file of the last kFilesDropped message, blank-padded;
// all blanks when none was dropped.
void IWnDroppedFile(std::span<char> name);

}  // namespace qh

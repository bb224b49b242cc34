// The points already taken, for dropping a duplicate: its position in OV2 units and its
// text, each kept once in one block of bytes, found through an open table of their
// places: about 30 bytes a point besides its text, where a set of strings took 100.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qh::ov2 {

class SeenPoints {
 public:
  using Hash = std::uint64_t (*)(std::string_view key);
  // `hash` of a key made of the point's units and text; the standard one by default.
  explicit SeenPoints(Hash hash = nullptr);

  // True when the point is new (and is now kept); false when it was seen before.
  bool Insert(std::int32_t longitudeUnits, std::int32_t latitudeUnits, std::string_view text);

 private:
  // A slot: 0 when empty, else the place of a key in `keys_` plus one in its low 40
  // bits, and the top bits of the key's hash above (so that most slots of another key
  // are passed over unread).
  void Grow();
  std::string_view KeyAt(std::uint64_t slot) const;
  std::size_t Find(std::uint64_t hash, std::string_view key) const;

  Hash hash_;
  std::vector<std::uint64_t> slots_;
  std::string keys_;  // each key: its length (four bytes), then the key
  std::string key_;   // the key being looked up
  std::size_t count_ = 0;
};

}  // namespace qh::ov2

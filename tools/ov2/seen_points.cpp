#include "tools/ov2/seen_points.h"

#include <cstring>
#include <functional>
#include <new>

namespace qh::ov2 {
namespace {

constexpr std::uint64_t kPlaceMask = (std::uint64_t{1} << 40) - 1;

std::uint64_t TagOf(std::uint64_t hash) { return hash & ~kPlaceMask; }

// Spread over 64 bits, so that the tag holds bits of the hash where size_t has 32.
std::uint64_t StandardHash(std::string_view key) {
  return std::uint64_t{std::hash<std::string_view>()(key)} * 0x9E3779B97F4A7C15u;
}

}  // namespace

SeenPoints::SeenPoints(Hash hash) : hash_(hash != nullptr ? hash : StandardHash) {}

std::string_view SeenPoints::KeyAt(std::uint64_t slot) const {
  const std::size_t place = static_cast<std::size_t>((slot & kPlaceMask) - 1);
  std::uint32_t length = 0;
  std::memcpy(&length, keys_.data() + place, sizeof length);
  return std::string_view(keys_).substr(place + sizeof length, length);
}

// The slot of `key`, or of the empty one where it would go.
std::size_t SeenPoints::Find(std::uint64_t hash, std::string_view key) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
    const std::uint64_t slot = slots_[i];
    if (slot == 0) return i;
    if (TagOf(slot) == TagOf(hash) && KeyAt(slot) == key) return i;
  }
}

void SeenPoints::Grow() {
  const std::vector<std::uint64_t> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : old.size() * 2, 0);
  const std::size_t mask = slots_.size() - 1;
  for (const std::uint64_t slot : old) {
    if (slot == 0) continue;
    const std::uint64_t hash = hash_(KeyAt(slot));
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

bool SeenPoints::Insert(std::int32_t longitudeUnits, std::int32_t latitudeUnits,
                        std::string_view text) {
  key_.assign(reinterpret_cast<const char*>(&longitudeUnits), sizeof longitudeUnits);
  key_.append(reinterpret_cast<const char*>(&latitudeUnits), sizeof latitudeUnits);
  key_ += text;
  if ((count_ + 1) * 2 > slots_.size()) Grow();  // at most half full
  const std::uint64_t hash = hash_(key_);
  const std::size_t at = Find(hash, key_);
  if (slots_[at] != 0) return false;
  const std::size_t place = keys_.size();
  if (place + 1 > kPlaceMask || key_.size() > UINT32_MAX) throw std::bad_alloc();
  const auto length = static_cast<std::uint32_t>(key_.size());
  keys_.append(reinterpret_cast<const char*>(&length), sizeof length);
  keys_ += key_;
  slots_[at] = TagOf(hash) | (place + 1);
  ++count_;
  return true;
}

}  // namespace qh::ov2

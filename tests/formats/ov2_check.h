// Test-side reader of ".ov2" files, written apart from the writer: walks the records,
// follows every skipper into the block it claims, and collects the points together
// with every structural fault it finds (lengths that overrun or miss a record
// boundary, points outside the box of a skipper above them, unknown record types).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qh::test {

struct DecodedPoi {
  std::int32_t longitude = 0, latitude = 0;
  std::string name;
  bool operator==(const DecodedPoi&) const = default;
  bool operator<(const DecodedPoi& o) const {
    if (name != o.name) return name < o.name;
    if (longitude != o.longitude) return longitude < o.longitude;
    return latitude < o.latitude;
  }
};

struct DecodedBox {
  std::int32_t west, south, east, north;
};

struct Ov2Contents {
  std::vector<DecodedPoi> pois;  // in file order
  std::vector<std::string> faults;
  std::size_t skippers = 0;
  std::size_t largestBlock = 0;  // most POIs directly under one skipper
  // POIs directly under one skipper whose box is wider than one point.
  std::size_t largest_spread_block = 0;
  int depth = 0;
};

inline std::int32_t ReadLe32(std::string_view b, std::size_t at) {
  const auto u = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])); };
  return static_cast<std::int32_t>(u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24));
}

inline void DecodeBlock(std::string_view b, std::size_t pos, std::size_t end,
                        const std::vector<DecodedBox>& boxes, Ov2Contents& out) {
  std::size_t directPois = 0;
  while (pos < end && out.faults.size() < 20) {
    const auto type = static_cast<unsigned char>(b[pos]);
    if (end - pos < 5) {
      out.faults.push_back("record at " + std::to_string(pos) + " cut short");
      return;
    }
    const std::int32_t length = ReadLe32(b, pos + 1);
    if (length < 0 || static_cast<std::size_t>(length) > end - pos) {
      out.faults.push_back("record at " + std::to_string(pos) + " of length " +
                           std::to_string(length) + " runs past its block ending at " +
                           std::to_string(end));
      return;
    }
    if (type == 1) {
      if (length < 21) {
        out.faults.push_back("skipper at " + std::to_string(pos) + " shorter than itself");
        return;
      }
      ++out.skippers;
      DecodedBox box{ReadLe32(b, pos + 13), ReadLe32(b, pos + 17), ReadLe32(b, pos + 5),
                     ReadLe32(b, pos + 9)};
      if (box.west > box.east || box.south > box.north) {
        out.faults.push_back("skipper at " + std::to_string(pos) + " has an inverted box");
      }
      std::vector<DecodedBox> inner = boxes;
      inner.push_back(box);
      out.depth = std::max<int>(out.depth, static_cast<int>(inner.size()));
      DecodeBlock(b, pos + 21, pos + static_cast<std::size_t>(length), inner, out);
    } else if (type == 2) {
      if (length < 14 || b[pos + static_cast<std::size_t>(length) - 1] != '\0') {
        out.faults.push_back("POI at " + std::to_string(pos) + " badly terminated");
        return;
      }
      DecodedPoi poi{ReadLe32(b, pos + 5), ReadLe32(b, pos + 9),
                     std::string(b.substr(pos + 13, static_cast<std::size_t>(length) - 14))};
      for (const DecodedBox& box : boxes) {
        if (poi.longitude < box.west || poi.longitude > box.east || poi.latitude < box.south ||
            poi.latitude > box.north) {
          out.faults.push_back("POI " + poi.name + " lies outside a skipper's box");
          break;
        }
      }
      out.pois.push_back(std::move(poi));
      ++directPois;
    } else {
      out.faults.push_back("unknown record type " + std::to_string(type) + " at " +
                           std::to_string(pos));
      return;
    }
    pos += static_cast<std::size_t>(length);
  }
  out.largestBlock = std::max(out.largestBlock, directPois);
  if (!boxes.empty()) {
    const DecodedBox& box = boxes.back();
    if (box.west != box.east || box.south != box.north) {
      out.largest_spread_block = std::max(out.largest_spread_block, directPois);
    }
  }
}

inline Ov2Contents DecodeOv2(std::string_view bytes) {
  Ov2Contents out;
  DecodeBlock(bytes, 0, bytes.size(), {}, out);
  return out;
}

inline std::string JoinFaults(const Ov2Contents& c) {
  std::string all;
  for (const auto& f : c.faults) all += f + "\n";
  return all;
}

}  // namespace qh::test

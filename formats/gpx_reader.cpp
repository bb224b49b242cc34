#include "formats/gpx_reader.h"

#include <cmath>
#include <string>
#include <vector>

#include "formats/asc_reader.h"
#include "formats/chunk_queue.h"
#include "formats/decimal_number.h"
#include "formats/xml_events.h"

namespace qh {
namespace {

constexpr double kFirstShare = 0.4;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Four texts a waypoint, most without a blank at either end: a plain loop, not a
// search of the blanks for every character.
std::string_view Trimmed(std::string_view text) {
  std::size_t first = 0, end = text.size();
  while (first < end && IsBlank(text[first])) ++first;
  while (end > first && IsBlank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

class GpxHandler : public XmlHandler {
 public:
  explicit GpxHandler(const std::function<void(const GpxWaypoint&)>& waypoint)
      : waypoint_(waypoint) {
    WantText(false);
  }

  void Start(std::string_view name, const XmlAttributes& attributes) override {
    ++depth_;
    if (depth_ == 1) rootIsGpx_ = name == "gpx";
    if (depth_ == 2 && rootIsGpx_ && name == "wpt") StartWaypoint(attributes);
    // A route's points are children of "rte", a track's of "trkseg" in "trk".
    if (depth_ == 3 && rootIsGpx_ && name == "rtept") ++passedOver_.routePoints;
    if (depth_ == 4 && rootIsGpx_ && name == "trkpt") ++passedOver_.trackPoints;
    if (depth_ == 3 && inWaypoint_) {
      text_ = name == "name" ? &name_ : name == "desc" ? &desc_ : nullptr;
    }
    WantText(text_ != nullptr);
  }
  void Text(std::string_view text) override {
    if (text_ != nullptr) text_->append(text);
  }
  void End(std::string_view name) override {
    if (depth_ == 3) text_ = nullptr;
    WantText(text_ != nullptr);
    if (depth_ == 2 && inWaypoint_ && name == "wpt") EndWaypoint();
    --depth_;
  }
  bool RootIsGpx() const { return rootIsGpx_; }
  const GpxPassedOver& PassedOver() const { return passedOver_; }

 private:
  void StartWaypoint(const XmlAttributes& attributes) {
    inWaypoint_ = true;
    latitude_.clear();
    longitude_.clear();
    name_.clear();
    desc_.clear();
    for (const auto& [key, value] : attributes) {
      if (key == "lat") latitude_.assign(value);
      if (key == "lon") longitude_.assign(value);
    }
  }
  void EndWaypoint() {
    inWaypoint_ = false;
    point_.latitude = Trimmed(latitude_);
    point_.longitude = Trimmed(longitude_);
    point_.name = Trimmed(name_);
    point_.desc = Trimmed(desc_);
    waypoint_(point_);
  }

  const std::function<void(const GpxWaypoint&)>& waypoint_;
  int depth_ = 0;
  bool rootIsGpx_ = false, inWaypoint_ = false;
  std::string latitude_, longitude_, name_, desc_;
  std::string* text_ = nullptr;  // the child whose text is being gathered
  GpxWaypoint point_;
  GpxPassedOver passedOver_;
};

// The waypoints of the document's second half, handed from the thread that parses it
// to the one that tells them once the first half's are told, in chunks as they fill.
// Those that wait are bounded, far above what a file of a million waypoints needs, so
// that the second half is parsed ahead at once there; past that, it waits for the
// first half to be told.
class KeptWaypoints {
 public:
  // On the second half's thread.
  void Keep(const GpxWaypoint& w) {
    for (std::string_view text : {w.latitude, w.longitude, w.name, w.desc}) {
      filling_.bytes.append(text);
      filling_.ends.push_back(filling_.bytes.size());
    }
    if (filling_.ends.size() >= kChunkTexts) queue_.Hand(filling_, filling_.Bytes());
  }
  // On the second half's thread, when its waypoints are over.
  void Close() {
    if (!filling_.ends.empty()) queue_.Hand(filling_, filling_.Bytes());
    queue_.Close();
  }

  // Tells the kept waypoints as they come, until they are over.
  void Tell(const std::function<void(const GpxWaypoint&)>& waypoint) {
    struct LetGoOnThrow {  // the second half must not wait for a taker that is gone
      ChunkQueue<Chunk>& queue;
      bool done = false;
      ~LetGoOnThrow() {
        if (!done) queue.LetGo();
      }
    } guard{queue_};
    Chunk chunk;
    while (queue_.Take(chunk)) {
      const std::string_view all = chunk.bytes;
      for (std::size_t i = 0, start = 0; i + 3 < chunk.ends.size(); i += 4) {
        const auto text = [&](std::size_t k) {
          const std::size_t from = k == 0 ? start : chunk.ends[i + k - 1];
          return all.substr(from, chunk.ends[i + k] - from);
        };
        waypoint(GpxWaypoint{text(0), text(1), text(2), text(3)});
        start = chunk.ends[i + 3];
      }
    }
    guard.done = true;
  }
  // The kept waypoints are not wanted.
  void Drop() { queue_.LetGo(); }

 private:
  static constexpr std::size_t kChunkTexts = std::size_t{4} * 4096;  // four texts a waypoint
  static constexpr std::size_t kWaitingBytes = std::size_t{64} << 20;
  struct Chunk {
    std::string bytes;
    std::vector<std::size_t> ends;  // where each text ends in `bytes`
    std::size_t Bytes() const { return bytes.size() + ends.size() * sizeof(std::size_t); }
    void Clear() {
      bytes.clear();
      ends.clear();
    }
  };

  Chunk filling_;  // the second half's thread's own
  ChunkQueue<Chunk> queue_{kWaitingBytes};
};

}  // namespace

bool GpxCoordinates(const GpxWaypoint& waypoint, double& latitude, double& longitude) {
  return ParseDecimal(waypoint.latitude, latitude) && std::isfinite(latitude) &&
         ParseDecimal(waypoint.longitude, longitude) && std::isfinite(longitude);
}

bool ReadGpx(std::string_view document, const std::function<void(const GpxWaypoint&)>& waypoint,
             ContentError& error, std::size_t twoThreadsFrom, GpxPassedOver* passedOver) {
  return ReadGpx(XmlBytesOf(document), waypoint, error, twoThreadsFrom, passedOver);
}

bool ReadGpx(const XmlBytes& document, const std::function<void(const GpxWaypoint&)>& waypoint,
             ContentError& error, std::size_t twoThreadsFrom, GpxPassedOver* passedOver) {
  KeptWaypoints kept;
  const std::function<void(const GpxWaypoint&)> keep = [&](const GpxWaypoint& w) { kept.Keep(w); };
  GpxHandler first(waypoint), second(keep);
  // The first half's thread also hands its points on, and tells the second half's
  // after its own: it is given the smaller part.
  const XmlCut cut{"wpt", kFirstShare, twoThreadsFrom,
                   [&](bool atCut) { atCut ? kept.Tell(waypoint) : kept.Drop(); },
                   [&] { kept.Close(); }};
  bool secondUsed = false;
  if (!ParseXmlInTwo(document, cut, first, second, secondUsed, error)) return false;
  if (!first.RootIsGpx()) {
    error = {};
    error.what = "the document is not GPX (its root element is not gpx)";
    return false;
  }
  if (passedOver != nullptr) {
    *passedOver = first.PassedOver();
    if (secondUsed) {
      passedOver->routePoints += second.PassedOver().routePoints;
      passedOver->trackPoints += second.PassedOver().trackPoints;
    }
  }
  return true;
}

}  // namespace qh

// What the tests of the command-line tools share: the tools' commands, pushpin files
// from pins, the points of .asc and .ov2 files, and what a run left in a folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#endif

#include "formats/asc_reader.h"
#include "formats/asc_writer.h"
#include "formats/pushpin_reader.h"
#include "resources/symbol/default_symbol.h"
#include "tests/formats/ov2_check.h"
#include "tests/support/pushpin_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/tools/tool_run.h"

namespace qh::tools_test {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

using test::Quote;
using test::RunResult;
using test::RunTool;

inline const std::string kMakeOv2 = Quote(QH_MAKEOV2);
inline const std::string kPsp2Ov2 = Quote(QH_PSP2OV2);
inline const std::string kOv2 = Quote(QH_OV2);

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The points of an ".asc" text, read with the overlay library's line parser.
inline std::vector<test::DecodedPoi> AscPoints(const std::string& text) {
  std::vector<test::DecodedPoi> points;
  for (const std::string& line : Lines(text)) {
    AscPoint p;
    std::string_view reason;
    if (ParseAscLine(line, p, reason) == AscLineKind::kPoint) {
      points.push_back({p.longitudeUnits, p.latitudeUnits, std::string(p.text)});
    }
  }
  return points;
}

inline test::Ov2Contents DecodeFile(const std::string& path) {
  return test::DecodeOv2(ReadFile(path));
}

// A pushpin file of the given pins: latitude/longitude in radians, texts as Latin-1.
struct Pin {
  Pin(double lat, double lon, std::string n, std::string n1 = {}, std::string n2 = {})
      : latRad(lat), lonRad(lon), name(std::move(n)), note1(std::move(n1)), note2(std::move(n2)) {}
  double latRad, lonRad;
  std::string name, note1, note2;
  std::uint8_t flag = 0;
};

// The pins in the test support's builder: Latin-1 texts, one code unit a byte.
inline std::string PushpinFile(const std::vector<Pin>& pins) {
  auto units = [](const std::string& text) {
    std::u16string out;
    for (const char c : text) out.push_back(static_cast<unsigned char>(c));
    return out;
  };
  std::vector<test::StoredPin> stored;
  for (const Pin& pin : pins) {
    test::StoredPin s;
    s.flag = pin.flag;
    s.latitudeRadians = pin.latRad;
    s.longitudeRadians = pin.lonRad;
    s.name = units(pin.name);
    s.note1 = units(pin.note1);
    s.note2 = units(pin.note2);
    stored.push_back(s);
  }
  return test::PushpinBytes(stored);
}

inline constexpr double kDegree = test::kRadiansPerDegree;

inline bool HaveNashville() { return std::filesystem::exists(QH_TESTDATA "/nashville.psp"); }

// The sample is read from the shared test data, which a checkout may lack.
#define REQUIRE_NASHVILLE() \
  if (!HaveNashville()) GTEST_SKIP() << "test data not present: " QH_TESTDATA

inline std::string Nashville(const TempFolder& folder) {
  const std::string psp = folder.File("nashville.psp");
  WriteFile(psp, ReadFile(QH_TESTDATA "/nashville.psp"));
  return psp;
}

#ifndef _WIN32
// The names in a folder, sorted: what a run left there.
inline std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
  return text;
}

// A pushpin file with the count field (bytes 12 to 15) replaced.
inline std::string WithCount(std::string file, std::uint32_t count) {
  for (int i = 0; i < 4; ++i) file[12 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
  return file;
}

inline std::string ThreePins() {
  return PushpinFile({{36.1 * kDegree, -86.7 * kDegree, "GCEBB", "Mountain Bike Heaven"},
                      {36.2 * kDegree, -86.8 * kDegree, "GC1A37", "The Troll"},
                      {36.3 * kDegree, -86.9 * kDegree, "GC1C2B", "Dive Bomb"}});
}
#endif

}  // namespace qh::tools_test

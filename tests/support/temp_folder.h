// A fresh folder under the system's temporary folder, removed with its contents at
// the end of the test.
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace qh::test {

class TempFolder {
 public:
  TempFolder() {
    std::mt19937_64 random(std::random_device{}() ^
                           static_cast<unsigned long long>(
                               std::chrono::steady_clock::now().time_since_epoch().count()));
    // A short name: some tests build paths whose width they check.
    char name[24];
    std::snprintf(name, sizeof name, "qh-test-%012llx",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(std::string_view name) const { return (path_ / name).string(); }
  // The folder's path with the system's separator at its end, for names appended to it.
  std::string WithSeparator() const { return (path_ / "").string(); }
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                  std::filesystem::directory_iterator()));
  }

 private:
  std::filesystem::path path_;
};

// Replaces the file's content with `bytes`; false when not all of them were written.
inline bool WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

// The whole file; false when it cannot be opened or read.
inline bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::string bytes;
  ReadFile(path, bytes);
  return bytes;
}

}  // namespace qh::test

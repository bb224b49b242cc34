#include "overlay/output_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>

namespace qh {

namespace {

constexpr std::size_t kWriteBuffer = std::size_t{1} << 20;

std::string TempNameFor(const std::string& path) {
  static std::mt19937_64 generator(
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  static const char kDigits[] = "0123456789abcdef";
  std::string name = path + ".~";
  std::uint64_t bits = generator();
  for (int i = 0; i < 8; ++i, bits >>= 4) name.push_back(kDigits[bits & 15]);
  return name + ".tmp";
}

}  // namespace

bool OutputFile::Open(const std::string& path) {
  Abandon();
  error_.clear();
  path_ = path;
  // A name already taken by another writer is tried again with a new suffix.
  for (int attempt = 0; attempt < 8 && file_ == nullptr; ++attempt) {
    temp_path_ = TempNameFor(path);
    if (std::FILE* probe = std::fopen(temp_path_.c_str(), "rb")) {
      std::fclose(probe);
      continue;
    }
    file_ = std::fopen(temp_path_.c_str(), "wb");
    if (file_ == nullptr) {
      error_ = std::strerror(errno);
      return false;
    }
  }
  if (file_ == nullptr) {
    error_ = "cannot find a free temporary name";
    return false;
  }
  std::setvbuf(file_, nullptr, _IOFBF, kWriteBuffer);
  return true;
}

bool OutputFile::Write(std::string_view bytes) {
  if (file_ == nullptr) return false;
  if (!error_.empty()) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    error_ = std::strerror(errno);
    return false;
  }
  return true;
}

bool OutputFile::Commit() {
  if (file_ == nullptr) {
    if (error_.empty()) error_ = "the file is not open";
    return false;
  }
  const bool flushed = std::fflush(file_) == 0;
  const int flush_errno = errno;
  const bool closed = std::fclose(file_) == 0;
  const int close_errno = errno;
  file_ = nullptr;
  if (error_.empty() && !flushed) error_ = std::strerror(flush_errno);
  if (error_.empty() && !closed) error_ = std::strerror(close_errno);
  if (error_.empty()) RenameOver(temp_path_, path_, error_);
  if (!error_.empty()) {
    std::remove(temp_path_.c_str());
    return false;
  }
  temp_path_.clear();
  return true;
}

void OutputFile::Abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
    std::remove(temp_path_.c_str());
  }
  temp_path_.clear();
}

bool RenameOver(const std::string& from, const std::string& to, std::string& error) {
#ifdef _WIN32
  // The C runtime's rename refuses an existing target; filesystem::rename replaces it
  // in one step.
  std::error_code ec;
  std::filesystem::rename(std::filesystem::path(from), std::filesystem::path(to), ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  return true;
#else
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    error = std::strerror(errno);
    return false;
  }
  return true;
#endif
}

std::string_view FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderPart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  const std::string_view name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  std::string result(path.substr(0, path.size() - name.size()));
  // A name that is only an extension (".asc") keeps it as its name.
  if (dot == std::string_view::npos || dot == 0) {
    result.append(name);
  } else {
    result.append(name.substr(0, dot));
  }
  result.append(extension);
  return result;
}

}  // namespace qh

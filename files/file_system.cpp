#include "files/file_system.h"

#include <cerrno>
#include <cstring>

#include "files/file_calls.h"
#include "files/large_pages.h"
#include "numeric/ascii.h"

namespace qh {

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

namespace {

PathKind KindOf(std::string_view path) {
  const std::string name(path);
  PathFacts facts;
  if (name.empty() || CurrentFileCalls().look(name.c_str(), &facts) != 0) return PathKind::kAbsent;
  return facts.kind;
}

}  // namespace

bool FileExists(std::string_view path) { return KindOf(path) == PathKind::kFile; }

bool IsFolder(std::string_view path) { return KindOf(path) == PathKind::kFolder; }

FileHandle OpenToRead(const std::string& path, IoError& error) {
  if (IsFolder(path)) {
    error = OpenFailure(path, EISDIR);
    return kNoFile;
  }
  const FileHandle file = CurrentFileCalls().openRead(path.c_str());
  if (file == kNoFile) error = OpenFailure(path, errno);
  return file;
}

std::string LowerCaseExtension(std::string_view path) {
  const std::string_view name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string extension(name.substr(dot + 1));
  LowerAscii(extension);
  return extension;
}

FileHandle OpenRegularFile(const std::string& path, PathFacts& facts, IoError& error) {
  const FileCalls& calls = CurrentFileCalls();
  if (calls.look(path.c_str(), &facts) != 0) facts = PathFacts{};
  if (facts.kind == PathKind::kFolder) {
    error = OpenFailure(path, EISDIR);
    return kNoFile;
  }
  // A FIFO without a writer would block the open, and a device never ends.
  if (facts.kind == PathKind::kOther) {
    error = {IoFailure::kCannotOpen, path, "it is not a regular file"};
    return kNoFile;
  }
  const FileHandle file = calls.openRead(path.c_str());
  if (file == kNoFile) error = OpenFailure(path, errno);
  return file;
}

IoError TooLargeToRead(const std::string& path, std::size_t limit) {
  const bool mebibytes = limit >= (1u << 20) && limit % (1u << 20) == 0;
  return {IoFailure::kTooLarge, path,
          "it holds more than " + (mebibytes ? std::to_string(limit >> 20) + " MiB"
                                             : std::to_string(limit) + " bytes")};
}

bool ReadWholeFile(std::string_view path, std::size_t limit, std::string& bytes, IoError& error) {
  const std::string name(path);
  const FileCalls& calls = CurrentFileCalls();
  PathFacts facts;
  const FileHandle file = OpenRegularFile(name, facts, error);
  if (file == kNoFile) return false;
  const bool known = facts.kind == PathKind::kFile;
  const auto tooLarge = [&] {
    error = TooLargeToRead(name, limit);
    calls.close(file);
    return false;
  };
  // Known to be too large: refused before a byte is read.
  if (known && facts.size > limit) return tooLarge();
  // Room for the whole file at once, in large pages where the system has them, and the
  // bytes read straight into it: growing by chunks would copy a large file again and
  // again, and a page fault for every 4 KiB of it costs as much as the copy.
  constexpr std::size_t kStep = 65536;
  bytes.clear();
  if (known && facts.size > 0) {
    bytes.reserve(static_cast<std::size_t>(facts.size) + kStep);
    AdviseLargePages(bytes.data(), bytes.capacity());
    bytes.resize(static_cast<std::size_t>(facts.size));
  }
  std::size_t filled = 0;
  std::ptrdiff_t got;
  for (;;) {
    // More than the system said it holds, or it did not say: the room grows.
    if (bytes.size() - filled < kStep) bytes.resize(filled + kStep);
    got = calls.read(file, bytes.data() + filled, bytes.size() - filled);
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
    if (filled > limit) return tooLarge();
  }
  bytes.resize(filled);
  if (got < 0) error = {IoFailure::kReadFailed, name, std::strerror(errno != 0 ? errno : EIO)};
  calls.close(file);
  return got == 0;
}

}  // namespace qh

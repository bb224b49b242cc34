// A file that is either complete or not there: written to a temporary name in the
// target's folder and renamed into place by Commit.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace qh {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { Abandon(); }

  bool Open(const std::string& path);
  bool Write(std::string_view bytes);
  // Flushes, closes and renames over the target; false (and no target change)
  // when any write or the rename failed.
  bool Commit();
  // Drops what was written; the target is left as it was.
  void Abandon();

  const std::string& Path() const { return path_; }
  const std::string& ErrorMessage() const { return error_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_, temp_path_, error_;
};

// Renames `from` to `to`, replacing `to` if it exists. False with `error` set on failure.
bool RenameOver(const std::string& from, const std::string& to, std::string& error);

// The file name part of a path (after the last "/" or "\").
std::string_view FileNamePart(std::string_view path);
// `path` with the extension of its file name (from its last ".") replaced by
// `extension` (which starts with "."), or with `extension` added when it has none.
std::string ReplaceExtension(std::string_view path, std::string_view extension);
// The folder part of a path including its last separator; empty when there is none.
std::string_view FolderPart(std::string_view path);

}  // namespace qh

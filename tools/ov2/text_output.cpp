#include "tools/ov2/text_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/common/output_claim.h"

namespace qh::ov2 {
namespace {

constexpr std::size_t kFlushBytes = std::size_t{1} << 20;

}  // namespace

bool TextOutput::Open(const std::string& path, OutputSet* set, tools::TextBytes bytes) {
  set_ = set;
  bytes_ = bytes;
  toStandardOutput_ = path.empty();
  name_ = toStandardOutput_ ? std::string("standard output") : path;
  if (toStandardOutput_) {
    MakeStandardOutputBinary();
    return true;
  }
  return file_.Open(path, set_);
}

bool TextOutput::Flush(bool always) {
  if (buffer_.size() < kFlushBytes && !always) return !failed_;
  if (toStandardOutput_) {
    errno = 0;
    if (!failed_ && !tools::WriteText(stdout, buffer_, bytes_)) failed_ = true;
  } else if (!file_.Write(buffer_)) {
    failed_ = true;
  }
  buffer_.clear();
  return !failed_;
}

bool TextOutput::Commit() {
  if (!Flush(true)) return false;
  if (toStandardOutput_) return std::fflush(stdout) == 0 && !std::ferror(stdout);
  return CommitTogether({&file_}, set_);
}

IoError TextOutput::Error() const {
  if (!toStandardOutput_) return file_.Error();
  return {IoFailure::kWriteFailed, name_, std::strerror(errno != 0 ? errno : EIO)};
}

}  // namespace qh::ov2

// Where ov2 read writes: a file that is complete or absent, or standard output.
#pragma once

#include <string>
#include <string_view>

#include "files/complete_file.h"
#include "files/io_error.h"
#include "files/output_set.h"
#include "tools/common/console_text.h"

namespace qh::ov2 {

class TextOutput {
 public:
  // To `path`, or to standard output when it is empty. A file is written under the
  // output set `set`, which the caller has claimed. `bytes` tells what the text's bytes
  // stand for, for a console to show its letters.
  bool Open(const std::string& path, OutputSet* set, tools::TextBytes bytes);
  // The bytes gathered so far are handed on when there are many.
  std::string& Buffer() { return buffer_; }
  bool Flush(bool always = false);
  // Everything written and, for a file, in its place.
  bool Commit();
  // The first failure, with the system's reason; none when the output did not fail
  // itself (the set's journal did, and said so).
  IoError Error() const;
  const std::string& Name() const { return name_; }

 private:
  CompleteFile file_;
  OutputSet* set_ = nullptr;
  bool toStandardOutput_ = false;
  tools::TextBytes bytes_ = tools::TextBytes::kUtf8;
  bool failed_ = false;
  std::string buffer_, name_;
};

// Puts standard output in binary mode where the system would change line ends.
void MakeStandardOutputBinary();

}  // namespace qh::ov2

// The texts of a help file: the manual's UTF-8 in the Windows-1252 code page.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace qh::help {

// A text the help file cannot carry, at its line of the manual's source.
class ManualTextError : public std::runtime_error {
 public:
  ManualTextError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// `text` in Windows-1252; throws ManualTextError, naming `line`, for a character the
// code page lacks or a control character.
std::string HelpText(std::string_view text, int line);

}  // namespace qh::help

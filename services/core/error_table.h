// The services' error messages and the error line built from them.
#pragma once

#include <string>
#include <string_view>

namespace qh {

// Width of the error line: "Error=", four columns of code, ":" and 62 of text.
inline constexpr std::size_t kErrorLineLength = 73;

// The message of `code`; a single blank for every code without one (0, negative,
// the gaps of the table and anything outside it).
std::string_view ErrorText(int code);

// "Error=" + code in four columns ("****" when it needs more) + ":" + text, cut to
// 73 characters and without trailing blanks.
std::string ErrorLine(int code);

// "Abnormal exit (code " + code moved to the left + ") : " + message without its
// trailing blanks, at most 255 characters.
std::string AbnormalExitText(std::string_view message, int code);

// A right-justified integer in four columns, "****" when it does not fit.
std::string FourColumns(int value);

}  // namespace qh

// The converter's own file channels and the wording of their failures. Each file the
// converter reads or writes goes through one fixed unit number, and a failure is told
// as "<condition>, unit <n>, file <name>" so that the user sees which file and why.
#pragma once

#include <charconv>
#include <string>
#include <string_view>

namespace qh {

inline constexpr int kPushpinUnit = 10;
inline constexpr int kAscUnit = 11;
inline constexpr int kOffsetsUnit = 12;

inline constexpr std::string_view kFileNotFound = "file not found";
inline constexpr std::string_view kAccessDenied = "access denied";
inline constexpr std::string_view kIsFolder = "the name is a folder";
inline constexpr std::string_view kCannotOpen = "cannot open file";
inline constexpr std::string_view kEndOfFile = "end-of-file during read";
inline constexpr std::string_view kReadFailed = "error during read";
inline constexpr std::string_view kCannotCreate = "cannot create file";
inline constexpr std::string_view kWriteFailed = "error during write";

inline std::string IoErrorMessage(std::string_view condition, int unit, std::string_view file) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, unit).ptr;
  std::string text(condition);
  text += ", unit ";
  text.append(digits, end);
  text += ", file ";
  text += file;
  return text;
}

}  // namespace qh

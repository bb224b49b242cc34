// Character tests and case changes for ASCII alone, whatever the locale: names, keywords
// and numbers in files are ASCII, and a letter beyond it keeps its case.
#pragma once

#include <span>

namespace qh {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The same over a whole text, in place.
inline void UpperAscii(std::span<char> text) {
  for (char& c : text) c = UpperAscii(c);
}

inline void LowerAscii(std::span<char> text) {
  for (char& c : text) c = LowerAscii(c);
}

}  // namespace qh

// Fixed-length, blank-padded texts: the shape every text of the program and of the
// services has. A text is cut or padded to its length when stored, and trimmed of
// trailing blanks before it is joined, compared, drawn or handed to the system.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace qh {

// Length of a text without its trailing blanks.
inline std::size_t SignificantLength(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return n;
}

inline std::string_view Trimmed(std::string_view text) {
  return text.substr(0, SignificantLength(text));
}

inline bool IsBlank(std::string_view text) { return SignificantLength(text) == 0; }

// Stores `value` into a caller's buffer: cut to the buffer, the rest blanks.
inline void StoreText(std::span<char> buffer, std::string_view value) {
  const std::size_t n = std::min(buffer.size(), value.size());
  std::copy_n(value.begin(), n, buffer.begin());
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(n), buffer.end(), ' ');
}

template <std::size_t N>
class FixedText {
 public:
  static constexpr std::size_t kLength = N;

  FixedText() { chars_.fill(' '); }
  FixedText(std::string_view value) { Assign(value); }  // NOLINT: texts convert freely

  void Assign(std::string_view value) { StoreText(chars_, value); }
  FixedText& operator=(std::string_view value) {
    Assign(value);
    return *this;
  }
  void Clear() { chars_.fill(' '); }

  // The whole buffer, trailing blanks included.
  std::string_view View() const { return {chars_.data(), N}; }
  // The significant characters only.
  std::string_view Trim() const { return Trimmed(View()); }
  std::string TrimmedString() const { return std::string(Trim()); }
  std::size_t Length() const { return SignificantLength(View()); }
  bool Blank() const { return Length() == 0; }

  std::span<char> Span() { return chars_; }
  char* Data() { return chars_.data(); }
  const char* Data() const { return chars_.data(); }
  char& operator[](std::size_t i) { return chars_[i]; }
  char operator[](std::size_t i) const { return chars_[i]; }

  operator std::string_view() const { return View(); }  // NOLINT
  bool operator==(const FixedText&) const = default;

 private:
  std::array<char, N> chars_;
};

}  // namespace qh

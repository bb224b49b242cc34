// What every harness shares: a check that names the broken property and stops the run
// (libFuzzer then keeps the input that broke it), and a reader of the fuzzer's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// The harness's entry point, called by libFuzzer or by the corpus replay.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace qh::fuzz {

[[noreturn]] inline void Broken(const char* file, int line, const char* condition,
                                const std::string& detail) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n  %s\n", file, line, condition,
               detail.c_str());
  std::abort();
}

#define QH_FUZZ_CHECK(condition, detail)                                   \
  do {                                                                     \
    if (!(condition)) ::qh::fuzz::Broken(__FILE__, __LINE__, #condition, (detail)); \
  } while (0)

// Takes fixed-size values and byte runs off the front of the input; past its end every
// value is zero and every run empty, so a harness never reads beyond what it was given.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  template <class T>
  T Take() {
    T value{};
    const std::size_t n = rest_.size() < sizeof value ? rest_.size() : sizeof value;
    std::memcpy(&value, rest_.data(), n);
    rest_.remove_prefix(n);
    return value;
  }
  // Up to `limit` bytes, as many as the next byte says.
  std::string_view Run(std::size_t limit) {
    const std::size_t wanted = Take<std::uint8_t>() % (limit + 1);
    return Split(wanted);
  }
  std::string_view Split(std::size_t count) {
    const std::string_view run = rest_.substr(0, count);
    rest_.remove_prefix(run.size());
    return run;
  }
  std::string_view Rest() const { return rest_; }
  bool Empty() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

// Shows bytes as C escapes, for the detail of a broken check.
inline std::string Shown(std::string_view bytes) {
  std::string out = "\"";
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", c);
      out += code;
    }
  }
  return out + "\"";
}

}  // namespace qh::fuzz

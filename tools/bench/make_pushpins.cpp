// Writes a pushpin file of N pins spread over the world, for the benchmark:
//   make_pushpins OUTPUT.psp N
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void PutLe(std::string& out, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutText(std::string& out, const std::string& text) {
  out.push_back(static_cast<char>(text.size()));
  for (char c : text) {
    out.push_back(c);
    out.push_back('\0');
  }
}

}  // namespace

int main(int argc, char** argv) {
  long long count = 0;
  if (argc != 3 || std::from_chars(argv[2], argv[2] + std::strlen(argv[2]), count).ec != std::errc() ||
      count < 0 || count > 0x7FFFFFFF) {
    std::fprintf(stderr, "Usage: make_pushpins OUTPUT.psp N\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "make_pushpins: cannot write %s: %s\n", argv[1], std::strerror(errno));
    return 2;
  }
  std::string out(12, '\0');
  PutLe(out, static_cast<std::uint64_t>(count), 4);
  out.append(16, '\0');
  constexpr double kToRadians = 1.0 / 57.295780181884765625;
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state]() {  // xorshift64*: the same file on every run
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return (state * 0x2545F4914F6CDD1Dull) >> 11;
  };
  for (long long i = 0; i < count; ++i) {
    const double lat = (static_cast<double>(next()) / 9007199254740992.0) * 170.0 - 85.0;
    const double lon = (static_cast<double>(next()) / 9007199254740992.0) * 360.0 - 180.0;
    PutLe(out, static_cast<std::uint64_t>(i), 4);
    out.push_back('\0');
    double rad = lat * kToRadians;
    std::uint64_t bits;
    std::memcpy(&bits, &rad, 8);
    PutLe(out, bits, 8);
    rad = lon * kToRadians;
    std::memcpy(&bits, &rad, 8);
    PutLe(out, bits, 8);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    PutText(out, "Pin " + std::to_string(i));
    PutText(out, "");
    PutText(out, "");
    if (out.size() > (1u << 20)) {
      if (std::fwrite(out.data(), 1, out.size(), file) != out.size()) break;
      out.clear();
    }
  }
  const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  if (std::fclose(file) != 0 || !ok) {
    std::fprintf(stderr, "make_pushpins: cannot write %s\n", argv[1]);
    return 2;
  }
  return 0;
}

// Case conversion over the whole buffer, trailing blanks included; only ASCII letters change.
#include <span>

#include "services/os.h"

namespace qh {

void ITextLower(std::span<char> text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
}

void ITextUpper(std::span<char> text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
}

}  // namespace qh

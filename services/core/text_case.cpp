// Case conversion over the whole buffer, trailing blanks included; only ASCII letters change.
#include <span>

#include "services/os.h"
#include "numeric/ascii.h"

namespace qh {

void ITextLower(std::span<char> text) { LowerAscii(text); }

void ITextUpper(std::span<char> text) { UpperAscii(text); }

}  // namespace qh

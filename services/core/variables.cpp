// IOsVariable: an environment variable into a blank-padded buffer.
#include <cstdlib>
#include <string>
#include <string_view>

#include "services/errors.h"
#include "services/os.h"
#include "services/text.h"
#include "core/error_codes.h"

namespace qh {

void IOsVariable(std::string_view name, std::span<char> value) {
  const std::string key(Trimmed(name));
  const char* found = key.empty() ? nullptr : std::getenv(key.c_str());
  const std::string_view text = found != nullptr ? std::string_view(found) : std::string_view{};
  if (text.size() > value.size()) {
    // A cut value would be a different folder or file name: leave it blank.
    StoreText(value, {});
    IErReport(kErrBufferTooSmall);
    return;
  }
  StoreText(value, text);
}

}  // namespace qh

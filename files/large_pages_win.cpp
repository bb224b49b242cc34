#include "files/large_pages.h"

namespace qh {

// Windows gives large pages only to a program holding a privilege that users lack.
void AdviseLargePages(void*, std::size_t) {}

}  // namespace qh

// Memory that is filled whole soon after it is taken is better served in the system's
// large pages where it has them: one page fault for 2 MiB instead of one for every
// 4 KiB, which for the tens of MiB an index of a million points takes is a measurable
// part of its build.
#pragma once

#include <cstddef>

namespace qh {

// Asks for large pages for the untouched memory [data, data + bytes); where the system
// has none to give, nothing changes.
void AdviseLargePages(void* data, std::size_t bytes);

}  // namespace qh

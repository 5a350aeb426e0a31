#pragma once
// Zeroed memory for the large tables of one computation (a memo of millions of pairs), in
// huge pages where the kernel gives them on request: a table of tens of megabytes then
// costs tens of page faults instead of thousands, which on a virtual machine took a fifth
// of a whole computation.

#include <cstddef>

namespace velmora {

// `bytes` of zeroed memory aligned to a cache line; throws std::bad_alloc.
void* allocateTable(std::size_t bytes);
// Gives back what allocateTable(bytes) gave.
void freeTable(void* table, std::size_t bytes) noexcept;

}  // namespace velmora

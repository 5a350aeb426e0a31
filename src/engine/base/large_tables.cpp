#include "engine/base/large_tables.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace velmora {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

bool inHugePages(std::size_t bytes) { return bytes >= kHugePage; }
std::size_t roundedUp(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* allocateTable(std::size_t bytes)
{
    if (!inHugePages(bytes)) {
        void* table = std::calloc(1, bytes + 64);
        if (!table) throw std::bad_alloc();
        // Room for the offset that aligns it, kept just before the table.
        auto* base = static_cast<unsigned char*>(table);
        const std::size_t offset = 64 - reinterpret_cast<std::uintptr_t>(base) % 64;
        base[offset - 1] = static_cast<unsigned char>(offset);
        return base + offset;
    }
    // Mapped fresh, so zeroed; a huge page more than needed, to start on a huge page.
    const std::size_t size = roundedUp(bytes);
    void* mapped = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<unsigned char*>(mapped);
    const std::size_t lead = (kHugePage - reinterpret_cast<std::uintptr_t>(start) % kHugePage) % kHugePage;
    if (lead != 0) ::munmap(start, lead);
    if (kHugePage - lead != 0) ::munmap(start + lead + size, kHugePage - lead);
    ::madvise(start + lead, size, MADV_HUGEPAGE);  // a request: without huge pages it still works
    return start + lead;
}

void freeTable(void* table, std::size_t bytes) noexcept
{
    if (!table) return;
    if (!inHugePages(bytes)) {
        auto* base = static_cast<unsigned char*>(table);
        std::free(base - base[-1]);
        return;
    }
    ::munmap(table, roundedUp(bytes));
}

}  // namespace velmora

#pragma once
// Zeroed memory for the large tables of one computation (a memo or a swept corner of
// millions of pairs), in huge pages where the kernel gives them on request: a table of
// tens of megabytes then costs tens of page faults instead of thousands, which on a
// virtual machine took a fifth of a whole computation.

#include <cstddef>
#include <memory>

namespace velmora {

// `bytes` of zeroed memory aligned to a cache line; throws std::bad_alloc.
void* allocateTable(std::size_t bytes);
// Gives back what allocateTable(bytes) gave.
void freeTable(void* table, std::size_t bytes) noexcept;

// `count` zeroed values of a trivial type in such memory, given back when the table goes.
template <class T>
class LargeTable {
public:
    LargeTable() = default;
    explicit LargeTable(std::size_t count)
        : values_(static_cast<T*>(allocateTable(count * sizeof(T))), Free{count * sizeof(T)}),
          count_(count)
    {
    }

    explicit operator bool() const { return values_ != nullptr; }
    std::size_t size() const { return count_; }
    T* data() const { return values_.get(); }
    T& operator[](std::size_t k) const { return values_[k]; }

private:
    struct Free {
        std::size_t bytes = 0;
        void operator()(T* p) const noexcept { freeTable(p, bytes); }
    };
    std::unique_ptr<T[], Free> values_;
    std::size_t count_ = 0;
};

// A std::allocator for containers of such tables (a hash that doubles, a list that grows),
// so that their memory too comes in huge pages and aligned to a cache line.
template <class T>
struct TableAllocator {
    using value_type = T;
    TableAllocator() = default;
    template <class U>
    TableAllocator(const TableAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t n) { return static_cast<T*>(allocateTable(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { freeTable(p, n * sizeof(T)); }
    bool operator==(const TableAllocator&) const noexcept { return true; }
};

}  // namespace velmora

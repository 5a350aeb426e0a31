// Tables below a huge page come from the heap, larger ones are mapped on their own; both
// must come zeroed, aligned to a cache line, whole, and go back without harm.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "common/row_name.h"
#include "engine/base/large_tables.h"

namespace velmora {
namespace {

using velmora::test::PrintTo;  // rows print as their names

struct TableSize {
    const char* name;
    std::size_t bytes;
};

class LargeTables : public testing::TestWithParam<TableSize> {};

TEST_P(LargeTables, ZeroedAlignedAndWhole)
{
    const std::size_t bytes = GetParam().bytes;
    // Twice, so that the heap's second table may reuse what the first dirtied.
    for (int round = 0; round < 2; ++round) {
        auto* table = static_cast<unsigned char*>(allocateTable(bytes));
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(table) % 64, 0u);
        for (std::size_t k = 0; k < bytes; k += 4093) ASSERT_EQ(table[k], 0) << "byte " << k;
        ASSERT_EQ(table[bytes - 1], 0);
        std::memset(table, 0xA5, bytes);  // every byte is ours to write
        freeTable(table, bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LargeTables,
                         testing::Values(TableSize{"OneByte", 1}, TableSize{"OneCacheLineLess", 63},
                                         TableSize{"JustUnderAHugePage", (std::size_t{2} << 20) - 1},
                                         TableSize{"OneHugePage", std::size_t{2} << 20},
                                         TableSize{"PartOfAThirdHugePage", (std::size_t{5} << 20) + 3}),
                         test::RowName());

}  // namespace
}  // namespace velmora

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/test_texts.h"
#include "engine/text_index/occurrence_index.h"
#include "engine/text_index/pass_over_index.h"

namespace velmora {
namespace {

// Where a scan from (i, j) stops passing over characters, one character at a time.
std::int32_t stopOneByOne(std::u16string_view first, std::u16string_view second, std::int32_t i, std::int32_t j)
{
    for (; j <= static_cast<std::int32_t>(second.size()); ++j)
        if (first.find(second[static_cast<std::size_t>(j - 1)], static_cast<std::size_t>(i - 1)) != first.npos)
            return j;
    return static_cast<std::int32_t>(second.size()) + 1;
}

// Every pair of texts shaped to make the scan pass over nothing, one character between
// matches, and long stretches: the index must stop where the one-by-one scan does.
TEST(PassOverIndex, StopsWhereTheScanStops)
{
    struct Shape {
        const char* name;
        unsigned firstLetters, secondLetters;  // the second text also uses letters the first lacks
        std::size_t longestRun;
    };
    const Shape shapes[] = {
        {"same letters", 3, 3, 1},
        {"one letter between matches", 2, 3, 1},
        {"long stretches passed over", 2, 4, 40},
        {"nothing in common", 1, 3, 5},
    };
    std::mt19937 random(21);
    for (const Shape& shape : shapes) {
        for (int round = 0; round < 20; ++round) {
            const std::u16string first =
                test::randomRuns(random, u'a', shape.firstLetters, 1 + random() % 90, shape.longestRun);
            const std::u16string second =
                test::randomRuns(random, u'a', shape.secondLetters, random() % 300, shape.longestRun);
            const OccurrenceIndex firstIndex(first);
            const PassOverIndex index(firstIndex, second);
            for (std::int32_t i = 1; i <= static_cast<std::int32_t>(first.size()) + 1; ++i)
                for (std::int32_t j = 1; j <= static_cast<std::int32_t>(second.size()) + 1; ++j)
                    ASSERT_EQ(index.stop(i, j), stopOneByOne(first, second, i, j))
                        << shape.name << ", round " << round << ", i " << i << ", j " << j;
        }
    }
}

}  // namespace
}  // namespace velmora

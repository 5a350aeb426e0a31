#include <gtest/gtest.h>

#include "engine/length/memo/memo_search.h"
#include "engine/test_texts.h"

namespace velmora {
namespace {

bool isSubsequence(const std::u16string& sub, const std::u16string& text)
{
    std::size_t at = 0;
    for (char16_t c : text)
        if (at < sub.size() && sub[at] == c) ++at;
    return at == sub.size();
}

std::u16string blackCharacters(const RecordingWindow& window, Box box)
{
    const std::u16string& text = window.text(box);
    std::vector<bool> gap(text.size());
    for (std::int32_t p : window.gapPositions(box)) gap[static_cast<std::size_t>(p - 1)] = true;
    std::u16string black;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!gap[i]) black += text[i];
    return black;
}

// The invariants of the gap table while fewer than 300 gaps occur.
void expectTableInvariants(const test::Computation& run, const std::u16string& upper, const std::u16string& lower,
                           const ::testing::Message& name)
{
    const auto& table = run.state.MatchTable;
    const auto& aux = run.state.MatchAux;
    const auto rows = static_cast<std::size_t>(run.state.RowCount);
    const std::u16string& result = run.window.text(Box::RT3);
    ASSERT_GE(rows, 1u) << name;
    std::array<std::int32_t, 2> gapSums{0, 0};
    for (std::size_t r = 1; r <= rows; ++r) {
        for (std::size_t c = 0; c < 3 && r > 1; ++c) {
            EXPECT_GT(table[r][c], table[r - 1][c]) << name << " row " << r;
        }
        EXPECT_EQ(aux[r][kResultColumn], 0) << name;
        if (r < rows) {
            EXPECT_GT(aux[r][0] + aux[r][1], 0) << name << " row " << r;
        }
        for (std::size_t c = 0; c < 2; ++c) {
            EXPECT_EQ(table[r][c], table[r][kResultColumn] + gapSums[c]) << name << " row " << r;
            gapSums[c] += aux[r][c];
        }
        // The matched run after the gap keeps a constant distance in all three texts.
        const std::int32_t nextUpper = r < rows ? table[r + 1][0] : static_cast<std::int32_t>(upper.size()) + 1;
        for (std::int32_t u = table[r][0] + aux[r][0]; u < nextUpper; ++u) {
            const std::int32_t l = u - (table[r][0] + aux[r][0]) + table[r][1] + aux[r][1];
            const std::int32_t p = u - (table[r][0] + aux[r][0]) + table[r][2];
            ASSERT_LE(l, static_cast<std::int32_t>(lower.size())) << name;
            ASSERT_LE(p, static_cast<std::int32_t>(result.size())) << name;
            EXPECT_EQ(upper[static_cast<std::size_t>(u - 1)], lower[static_cast<std::size_t>(l - 1)]) << name;
            EXPECT_EQ(upper[static_cast<std::size_t>(u - 1)], result[static_cast<std::size_t>(p - 1)]) << name;
        }
    }
    EXPECT_EQ(gapSums[0] + static_cast<std::int32_t>(result.size()), static_cast<std::int32_t>(upper.size())) << name;
    EXPECT_EQ(gapSums[1] + static_cast<std::int32_t>(result.size()), static_cast<std::int32_t>(lower.size())) << name;
}

TEST(AlignmentProperties, RandomTextsInBothDirections)
{
    test::forRandomPairs(20261208, 1500, 26, [](const auto& upper, const auto& lower, int round) {
        for (const Direction direction : {Direction::Compute1, Direction::Compute2}) {
            const auto name = ::testing::Message() << "round " << round << " direction " << int(direction);
            const auto run = test::compute(upper, lower, direction);
            const std::u16string& result = run.window.text(Box::RT3);
            EXPECT_TRUE(isSubsequence(result, upper)) << name;
            EXPECT_TRUE(isSubsequence(result, lower)) << name;
            EXPECT_EQ(blackCharacters(run.window, Box::RT1), result) << name;
            EXPECT_EQ(blackCharacters(run.window, Box::RT2), result) << name;
            EXPECT_EQ(run.state.ResultLength, static_cast<std::int16_t>(result.size())) << name;
            CallCounter counter(0, CallCounter::kNoLimit);
            EXPECT_EQ(MemoSearch::lengthOf(run.state.Text1, run.state.Text2, counter), run.state.ResultLength) << name;
            expectTableInvariants(run, upper, lower, name);
        }
    });
}

}  // namespace
}  // namespace velmora

// The table of remainder lengths against the textbook programme on every pair, asked in
// orders that make it build blocks part of the way, build them further, and drop them.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/row_name.h"
#include "engine/text_index/remainder_lcs_table.h"

namespace velmora {
namespace {

using velmora::test::PrintTo;  // rows print as their names

// LCS(first[i..], second[j..]) for every pair, 1-based, one past the end included.
std::vector<std::vector<std::int32_t>> allRemainderLengths(std::u16string_view first, std::u16string_view second)
{
    const auto a = first.size(), b = second.size();
    std::vector<std::vector<std::int32_t>> length(a + 2, std::vector<std::int32_t>(b + 2, 0));
    for (std::size_t i = a; i >= 1; --i)
        for (std::size_t j = b; j >= 1; --j)
            length[i][j] =
                first[i - 1] == second[j - 1] ? length[i + 1][j + 1] + 1 : std::max(length[i + 1][j], length[i][j + 1]);
    return length;
}

std::u16string randomText(std::size_t n, std::u16string_view alphabet, unsigned seed)
{
    std::mt19937 random(seed);
    std::u16string text;
    for (std::size_t k = 0; k < n; ++k) text += alphabet[random() % alphabet.size()];
    return text;
}

enum class Order { ShortRemaindersFirst, LongRemaindersFirst, Scattered };

struct TableCase {
    const char* name;
    std::u16string first, second;
    Order order;
};

// Many distinct characters, so that most are set bit by bit rather than kept whole.
std::u16string manyCharacters(std::size_t n, unsigned seed)
{
    std::u16string alphabet;
    for (char16_t c = 0x4E00; c < 0x4E00 + 400; ++c) alphabet += c;
    return randomText(n, alphabet, seed) + randomText(n / 4, u"ab", seed);
}

const TableCase kCases[] = {
    {"ShortRemaindersOfTheSecondTextFirst", randomText(700, u"ACGT", 1), randomText(900, u"ACGT", 2),
     Order::ShortRemaindersFirst},
    {"LongRemaindersOfTheSecondTextFirst", randomText(700, u"ACGT", 3), randomText(900, u"ACGT", 4),
     Order::LongRemaindersFirst},
    {"ScatteredOverMoreBlocksThanAreKept", randomText(1200, u"ACGT", 5), randomText(640, u"ACGT", 6), Order::Scattered},
    {"RunAgainstShortTails", std::u16string(1200, u'a') + u"ba", u"b" + std::u16string(600, u'x') + u"aab",
     Order::ShortRemaindersFirst},
    {"RareCharactersSetBitByBit", manyCharacters(800, 7), manyCharacters(1000, 8), Order::ShortRemaindersFirst},
    {"SecondTextOfWholeWords", randomText(300, u"ab", 9), randomText(640, u"ab", 10), Order::Scattered},
};

class RemainderLengths : public testing::TestWithParam<TableCase> {};

TEST_P(RemainderLengths, AgreeWithTheTextbookProgrammeOnEveryPair)
{
    const TableCase& row = GetParam();
    const auto expected = allRemainderLengths(row.first, row.second);
    const auto a = static_cast<std::int32_t>(row.first.size()), b = static_cast<std::int32_t>(row.second.size());
    std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
    for (std::int32_t j = b + 1; j >= 1; --j)  // the shortest remainders of the second text first
        for (std::int32_t i = 1; i <= a + 1; ++i) pairs.emplace_back(i, j);
    if (row.order == Order::LongRemaindersFirst) std::reverse(pairs.begin(), pairs.end());
    if (row.order == Order::Scattered) std::shuffle(pairs.begin(), pairs.end(), std::mt19937(11));
    RemainderLcsTable table(row.first, row.second);
    for (const auto& [i, j] : pairs)
        ASSERT_EQ(table.at(i, j), expected[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)])
            << "at (" << i << ", " << j << ")";
}

INSTANTIATE_TEST_SUITE_P(Texts, RemainderLengths, testing::ValuesIn(kCases), test::RowName());

}  // namespace
}  // namespace velmora

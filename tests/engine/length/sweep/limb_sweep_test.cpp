// The sweep on limb arrays against the same sweep on one GMP integer per value: every
// queried pair's count and the length, on pairs whose counts pass 64 bits early, late or
// never, and on shapes that drive each kind of row (matches, accepted rows, rejections at
// the first skipped character and deeper, long segments across the rows one thread hands
// to the other).

#include <gtest/gtest.h>

#include <random>

#include "common/row_name.h"
#include "engine/length/sweep/column_sweep.h"
#include "engine/test_texts.h"

namespace velmora {
namespace {

using velmora::test::PrintTo;  // rows print as their names

struct LimbCase {
    const char* name;
    std::u16string (*make)(std::mt19937& random, bool second);
};

std::u16string letters(std::mt19937& random, unsigned count, std::size_t length)
{
    return test::randomRuns(random, u'a', count, length);
}

// Every pair in a grid over the table, with the corners and a pair listed twice.
std::vector<ColumnSweep::Pair> gridOver(std::size_t a, std::size_t b)
{
    std::vector<ColumnSweep::Pair> pairs = {{1, 1}, {1, 1}};
    const auto stepA = static_cast<std::int32_t>(std::max<std::size_t>(1, a / 7));
    const auto stepB = static_cast<std::int32_t>(std::max<std::size_t>(1, b / 5));
    for (std::int32_t i = 1; i <= static_cast<std::int32_t>(a) + 1; i += stepA)
        for (std::int32_t j = 1; j <= static_cast<std::int32_t>(b) + 1; j += stepB) pairs.push_back({i, j});
    pairs.push_back({static_cast<std::int32_t>(a), static_cast<std::int32_t>(b)});
    return pairs;
}

class LimbSweep : public testing::TestWithParam<LimbCase> {};

TEST_P(LimbSweep, AgreesWithOneGmpIntegerPerValue)
{
    std::mt19937 random(2026);
    for (int round = 0; round < 2; ++round) {
        const std::u16string first = GetParam().make(random, false), second = GetParam().make(random, true);
        const auto pairs = gridOver(first.size(), second.size());
        ColumnSweep plain(first, second, ColumnSweep::Arithmetic::GmpIntegers);
        const std::vector<mpz_class> expected = plain.countEach(pairs);
        std::int16_t expectedLength = -1;
        plain.countCalls({{1, 1}}, nullptr, &expectedLength);
        // Bands of one column, of four and eight, and of three, which leaves a shorter last
        // band; columns that keep few prefix sums of take calls, so that a row needs one
        // they forgot and the sweep starts again, and a few more, which it seldom needs;
        // chunks of a few values each, so that a band's last column goes back to the pool
        // a few rows at a time, right behind the next band's reading; and each thread's
        // bands of a width of its own, so that bands begin wherever the timing puts them.
        struct Layout {
            ColumnSweep::Arithmetic arithmetic;
            std::int32_t band, prefixSumsPerBlock, chunkLimbs;
            bool uneven = false;
        };
        for (const auto& [arithmetic, band, prefixSums, chunkLimbs, uneven] :
             {Layout{ColumnSweep::Arithmetic::LimbArrays, 1, 0, 0},
              Layout{ColumnSweep::Arithmetic::MachineWordsFirst, 4, 0, 0},
              Layout{ColumnSweep::Arithmetic::LimbArrays, 3, 0, 0},
              Layout{ColumnSweep::Arithmetic::LimbArrays, 8, 0, 0},
              Layout{ColumnSweep::Arithmetic::LimbArrays, 4, 1, 0},
              Layout{ColumnSweep::Arithmetic::LimbArrays, 2, 5, 0},
              Layout{ColumnSweep::Arithmetic::LimbArrays, 2, 0, 16},
              Layout{ColumnSweep::Arithmetic::LimbArrays, 8, 0, 16},
              Layout{ColumnSweep::Arithmetic::LimbArrays, 2, 0, 16, true},
              Layout{ColumnSweep::Arithmetic::LimbArrays, 6, 0, 0, true}}) {
            ColumnSweep limbs(first, second, arithmetic);
            limbs.setBand(band, prefixSums, chunkLimbs, uneven);
            ASSERT_EQ(limbs.countEach(pairs), expected)
                << "round " << round << ", band " << band << ", prefix sums " << prefixSums << ", chunks of "
                << chunkLimbs << (uneven ? ", uneven" : "");
            std::int16_t length = -2;
            limbs.countCalls({{1, 1}}, nullptr, &length);
            ASSERT_EQ(length, expectedLength);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, LimbSweep,
    testing::Values(
        // Counts pass 64 bits within the first few dozen columns swept.
        LimbCase{"FourLettersPastSixtyFourBitsEarly", [](auto& r, bool) { return letters(r, 4, 200 + r() % 1300); }},
        LimbCase{"TwoLettersEveryRejectionAtTheFirstCharacter",
                 [](auto& r, bool) { return letters(r, 2, 200 + r() % 1000); }},
        // Many candidates rejected deeper in the segment: the rows read the stack.
        LimbCase{"TwentySixLettersRejectedDeeper", [](auto& r, bool) { return letters(r, 26, 300 + r() % 1500); }},
        // Counts pass 64 bits only in the last columns swept.
        LimbCase{"PastSixtyFourBitsOnlyAtTheEnd", [](auto& r, bool) { return letters(r, 8, 75); }},
        // Counts that never need more than a word, still swept in limbs.
        LimbCase{"NeverPastSixtyFourBits",
                 [](auto&, bool second) { return test::repeated(second ? u"cab" : u"abc", 400); }},
        // A letter that is rare in both texts opens segments of hundreds of rows, which
        // straddle the blocks of rows one thread hands to the other.
        LimbCase{"LongSegmentsAcrossHandedRows",
                 [](auto& r, bool) {
                     std::u16string text = letters(r, 3, 1200);
                     for (std::size_t k = r() % 300; k < text.size(); k += 250 + r() % 200) text[k] = u'z';
                     return text;
                 }},
        // A text against itself with a few edits: long diagonals of matches.
        LimbCase{"EditedCopy",
                 [](auto& r, bool second) {
                     static std::u16string original;
                     if (!second) original = letters(r, 4, 1000);
                     std::u16string text = original;
                     if (second)
                         for (int edit = 0; edit < 6; ++edit) text[r() % text.size()] = u'a' + r() % 4;
                     return text;
                 }}),
    test::RowName());

}  // namespace
}  // namespace velmora

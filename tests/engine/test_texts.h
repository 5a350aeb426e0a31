#pragma once
// Shared helpers of the engine tests: running one computation as the window would, and
// random texts over the alphabets the tests care about.

#include <random>
#include <string>
#include <vector>

#include "engine/method/alignment.h"
#include "engine/method/comparison_session.h"
#include "engine/method/comparison_state.h"
#include "engine/method/recording_window.h"

namespace velmora::test {

struct Computation {
    ComparisonState state;
    RecordingWindow window;
    AlignmentReport report;
};

// Captures upper/lower for the direction, as the compute buttons do, and aligns. The
// first form runs the engine asked for throughout, never the literal one first.
Computation compute(const std::u16string& upper, const std::u16string& lower, Direction direction,
                    EngineKind engine = EngineKind::Fast, std::int32_t startCount = 0);
Computation compute(const std::u16string& upper, const std::u16string& lower, Direction direction,
                    const AlignmentOptions& options, std::int32_t startCount = 0);

// Rows 1 to RowCount of a table.
std::vector<GapRow> rowsOf(const GapTable& table, std::int16_t rowCount);

enum class Alphabet { TwoLetters, ThreeLetters, FourLetters, Chinese, SurrogatePairs };
inline constexpr Alphabet kAllAlphabets[] = {Alphabet::TwoLetters, Alphabet::ThreeLetters, Alphabet::FourLetters,
                                             Alphabet::Chinese, Alphabet::SurrogatePairs};

std::u16string randomText(std::mt19937& random, Alphabet alphabet, std::size_t length);

// Calls check(upper, lower, round) on `rounds` random pairs of up to maxLength - 1
// characters, cycling through the alphabets.
template <class Check>
void forRandomPairs(unsigned seed, int rounds, std::size_t maxLength, Check check)
{
    std::mt19937 random(seed);
    for (int round = 0; round < rounds; ++round) {
        const auto alphabet = kAllAlphabets[round % 5];
        const auto upper = randomText(random, alphabet, random() % maxLength);
        const auto lower = randomText(random, alphabet, random() % maxLength);
        check(upper, lower, round);
    }
}

// Runs of 1 to longestRun of a random one of `letters` characters from `from` on.
std::u16string randomRuns(std::mt19937& random, char16_t from, unsigned letters, std::size_t length,
                          std::size_t longestRun = 1);

// A text of `length` characters repeating `unit`.
std::u16string repeated(const std::u16string& unit, std::size_t count);

}  // namespace velmora::test

#pragma once
// Shared helpers of the engine tests: running one computation as the window would, and
// random texts over the alphabets the tests care about.

#include <random>
#include <string>
#include <vector>

#include "engine/alignment.h"
#include "engine/comparison_state.h"
#include "engine/headless_window.h"

namespace velmora::test {

struct Computation {
    ComparisonState state;
    HeadlessWindow window;
    AlignmentReport report;
};

// Captures upper/lower for the direction, as the compute buttons do, and aligns.
Computation compute(const std::u16string& upper, const std::u16string& lower, Direction direction,
                    EngineKind engine = EngineKind::Fast, std::int32_t startCount = 0);

// Rows 1 to RowCount of a table.
std::vector<GapRow> rowsOf(const GapTable& table, std::int16_t rowCount);

enum class Alphabet { TwoLetters, ThreeLetters, FourLetters, Chinese, SurrogatePairs };
inline constexpr Alphabet kAllAlphabets[] = {Alphabet::TwoLetters, Alphabet::ThreeLetters, Alphabet::FourLetters,
                                             Alphabet::Chinese, Alphabet::SurrogatePairs};

std::u16string randomText(std::mt19937& random, Alphabet alphabet, std::size_t length);

// A text of `length` characters repeating `unit`.
std::u16string repeated(const std::u16string& unit, std::size_t count);

}  // namespace velmora::test

#pragma once
// The one record of values that the window's actions share: the captured texts, the
// alignment's cursors and look-ahead values, the gap table and the call counter.

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace velmora {

// One gap row: column 0 the upper text, 1 the lower text, 2 the result.
using GapRow = std::array<std::int32_t, 3>;
// Rows 0 to n; row 0 stays all zeros. Empty until the first computation.
using GapTable = std::vector<GapRow>;

inline constexpr int kUpperColumn = 0;
inline constexpr int kLowerColumn = 1;
inline constexpr int kResultColumn = 2;
inline constexpr std::int16_t kMaxGapRows = 300;
inline constexpr std::int32_t kNoRecordedEnd = std::numeric_limits<std::int32_t>::max();

inline const std::u16string kNoResultMark = u"DZ";

struct ComparisonState {
    std::int16_t SkipLength = 0;
    std::int16_t TakeLength = 0;
    std::int16_t Verdict = 0;
    std::u16string Text1;
    std::u16string Text2;
    std::int16_t ResultLength = 0;
    std::int32_t Pos1 = 0;
    std::int32_t Pos2 = 0;
    std::int32_t Pos3 = 0;
    std::int32_t Len1 = 0;
    std::int32_t Len2 = 0;
    std::u16string ModeMark;
    std::int32_t CallCount = 0;
    GapTable MatchTable;
    GapTable MatchAux;
    std::int16_t RowCount = 0;
    std::int16_t CurrentRow = 0;

    // Past 300 gaps the table stops describing the texts. Per column (upper, lower,
    // result) the first position that the rows no longer describe, so that a click
    // there can be ignored; kNoRecordedEnd while the rows describe everything.
    GapRow RecordedEnd{kNoRecordedEnd, kNoRecordedEnd, kNoRecordedEnd};

    // A result is on display and the rows describe it.
    bool resultOnDisplay() const { return ModeMark != kNoResultMark; }
};

}  // namespace velmora

// The memoised search: the columns of a long run of the second text that share one
// outcome.
//
// Let second[s .. e - 1] be a run of one character. A scan at (i, c), with c and c + 1 in
// the run, does what a scan at (i, c + 1) does one column on: the same character to find,
// the same candidates and skipped characters, the partner of a skipped run character one
// column on and every other partner (after the run) the same; it asks for pairs (k, c)
// with k > i and goes on in column c + 1. So if every row from i down has the same outcome
// in columns c + 1 and c + 2, it has the same in c and c + 1, and so on back to s: two
// columns near the run's end that agree in every row from i down give their outcome to
// every column before them in those rows. Below the last row whose character occurs in
// the second text from the run on, nothing is matched or taken, so those rows agree
// already. A run of columns whose outcomes grow (say, with a column passed over at a cost)
// disagrees somewhere, and is scanned as before.
#include "engine/length/memo/memo_search.h"

#include <algorithm>
#include <iterator>

namespace velmora {
namespace {

constexpr std::uint64_t kShiftAllowance = 4096;

bool agree(const ScanOutcome& a, const ScanOutcome& b)
{
    // A saturated count says only that it is large.
    return a.length == b.length && a.nestedCalls == b.nestedCalls && a.nestedCalls != UINT64_MAX;
}

}  // namespace

// True when the frame now checks the rows, or takes its outcome from the run's column at
// once; false when its run of columns is too short or the rows to check too many.
bool MemoSearch::enterColumnShift(Frame& frame)
{
    frame.shiftTried = true;
    const std::int32_t i = frame.i, j = frame.j;
    const std::int32_t end = j + secondRuns_[static_cast<std::size_t>(j - 1)];
    // The two columns compared lie before the run's end by as many columns as the run's
    // character occurs in the rows checked (a scan may match them one by one), and a
    // quarter of the columns spared.
    const std::int32_t margin = shiftedColumns_ / 4;
    if (end - j < shiftedColumns_ + margin + 2) return false;
    const auto [found, added] = shifts_.try_emplace(end);
    ColumnShift& shift = found->second;
    if (added) {
        const std::int32_t lastRow = texts_->lastSharedInFirst()[static_cast<std::size_t>(j - 1)];
        const char16_t run = second_[static_cast<std::size_t>(j - 1)];
        const auto inRows =
            std::distance(firstIndex_.occurrencesFrom(run, 1), firstIndex_.occurrencesFrom(run, lastRow + 1));
        shift.target = end - 2 - margin - static_cast<std::int32_t>(std::min<std::ptrdiff_t>(inRows, end));
        shift.checkedFrom = lastRow + 1;
    }
    if (shift.target - j < shiftedColumns_ || i <= shift.disagreesAt || shift.checkedFrom - i > shiftCheckedRows_)
        return false;
    // Where runs do not share their outcomes, checking them is pure cost: bounded by the
    // search's own work.
    if (shift.checkedFrom > i && speculativeFrames_ > kShiftAllowance + (framesPushed_ - speculativeFrames_) / 2)
        return false;
    frame.shiftRunEnd = end;
    frame.shiftSecondColumn = false;
    frame.phase = Phase::VerifyingShift;
    return true;
}

// The outcome of (i, j) from the column its run shares it with, if its row is checked and
// that column's outcome is known.
std::optional<ScanOutcome> MemoSearch::shiftedOutcome(std::int32_t i, std::int32_t j) const
{
    const std::int32_t run = secondRuns_[static_cast<std::size_t>(j - 1)];
    if (run < shiftedColumns_ || shifts_.empty()) return std::nullopt;
    const auto shift = shifts_.find(j + run);
    if (shift == shifts_.end() || j >= shift->second.target || i < shift->second.checkedFrom) return std::nullopt;
    return memo_->find(i, shift->second.target);
}

// Compares the two columns row by row upwards, from where earlier frames stopped to the
// frame's row, speculatively: true when they agree in all of them, false when a row
// disagrees, nothing while a pair is being evaluated (returned_ holds it once `arrived`).
std::optional<bool> MemoSearch::verifyColumnShift(Frame& frame, bool arrived)
{
    ColumnShift& shift = shifts_.find(frame.shiftRunEnd)->second;
    for (;;) {
        const std::int32_t row = shift.checkedFrom - 1;
        if (arrived) {
            arrived = false;
            if (!frame.shiftSecondColumn) {
                frame.shiftFirstOutcome = returned_;
                frame.shiftSecondColumn = true;
            } else {
                frame.shiftSecondColumn = false;
                if (!agree(frame.shiftFirstOutcome, returned_)) {
                    shift.disagreesAt = std::max(shift.disagreesAt, row);
                    return false;
                }
                shift.checkedFrom = row;
                continue;
            }
        } else if (!frame.shiftSecondColumn) {
            if (shift.checkedFrom <= frame.i) return true;
            if (row <= shift.disagreesAt) return false;
        }
        const std::int32_t column = shift.target + (frame.shiftSecondColumn ? 1 : 0);
        if (!request(row, column, false, quietCounter_, true, true)) {
            frame.phase = Phase::AfterShiftValue;
            return std::nullopt;
        }
        arrived = true;
    }
}

}  // namespace velmora

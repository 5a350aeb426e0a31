#include "engine/length/swept_corner.h"

#include <utility>

#include "engine/base/saturating.h"
#include "engine/length/sweep/column_sweep.h"

namespace velmora {

std::unique_ptr<SweptCorner> SweptCorner::sweep(const TextPairIndex& texts, std::int32_t fromRow,
                                                std::int32_t fromColumn, std::uint64_t mostPairs,
                                                ComputationControl* control, bool& pastMachineWords)
{
    pastMachineWords = false;
    if (fromRow < 1 || fromRow > texts.firstLength() || fromColumn < 1 || fromColumn > texts.secondLength())
        return nullptr;
    const std::u16string_view rows = texts.first().substr(static_cast<std::size_t>(fromRow - 1));
    std::vector<bool> inRows(std::size_t{1} << 16);
    for (const char16_t c : rows) inRows[c] = true;
    std::u16string held;
    std::vector<std::int32_t> heldColumn;
    for (const char16_t c : texts.second().substr(static_cast<std::size_t>(fromColumn - 1))) {
        heldColumn.push_back(static_cast<std::int32_t>(held.size()));
        if (inRows[c]) held += c;
    }
    if (static_cast<std::uint64_t>(rows.size()) * held.size() > mostPairs) return nullptr;
    auto corner = std::unique_ptr<SweptCorner>(
        new SweptCorner(texts, fromRow, fromColumn, std::move(held), std::move(heldColumn), control));
    auto calls = ColumnSweep(rows, corner->held_).countEveryPairInMachineWords(control);
    if (!calls) {
        pastMachineWords = true;
        return nullptr;
    }
    corner->calls_ = std::move(*calls);
    return corner;
}

SweptCorner::SweptCorner(const TextPairIndex& texts, std::int32_t fromRow, std::int32_t fromColumn, std::u16string held,
                         std::vector<std::int32_t> heldColumn, ComputationControl* control)
    : texts_(texts),
      fromRow_(fromRow),
      fromColumn_(fromColumn),
      held_(std::move(held)),
      heldColumn_(std::move(heldColumn)),
      lengths_(texts.first().substr(static_cast<std::size_t>(fromRow - 1)), held_, control)
{
}

bool SweptCorner::covers(std::int32_t i, std::int32_t j) const
{
    return i >= fromRow_ && i <= texts_.firstLength() && j >= fromColumn_ && j <= texts_.secondLength();
}

std::int32_t SweptCorner::columnOf(std::int32_t j) const
{
    return heldColumn_[static_cast<std::size_t>(j - fromColumn_)];
}

std::uint64_t SweptCorner::callsAt(std::int32_t row, std::int32_t column) const
{
    const auto rows = static_cast<std::size_t>(texts_.firstLength() - fromRow_ + 1);
    return calls_[static_cast<std::size_t>(column) * rows + static_cast<std::size_t>(row - 1)];
}

std::int16_t SweptCorner::invoke(std::int32_t i, std::int32_t j, CallCounter& counter)
{
    const std::int32_t row = i - fromRow_ + 1, column = columnOf(j);
    // Passing over the characters the rows do not hold makes no call: one invocation, and
    // what the first held column gives, if any is left.
    if (column == static_cast<std::int32_t>(held_.size())) {
        counter.add(1);
        return 0;
    }
    counter.add(callsAt(row, column));
    return static_cast<std::int16_t>(lengths_.at(row, column + 1));
}

std::optional<RunWeight> SweptCorner::weigh(const RejectedCandidates& weighing)
{
    const char16_t c = texts_.second()[static_cast<std::size_t>(weighing.j - 1)];
    // Its character is a candidate's, so the rows hold it and it keeps its column.
    const std::int32_t column = columnOf(weighing.j);
    const OccurrenceIndex& occurrences = texts_.firstOccurrences();
    RunWeight weight{0, 0, 0, 0};
    for (auto it = occurrences.occurrencesFrom(c, weighing.candidate); occurrences.isOccurrence(it, c); ++it) {
        const std::int32_t row = it->second - fromRow_ + 1;  // in the corner
        const auto takeLength = static_cast<std::int16_t>(lengths_.at(row, column + 1));
        const auto rejection = weighing.skips.rejection(takeLength, INT32_MAX);
        if (!rejection) break;
        weight.calls = saturatingAdd(weight.calls, saturatingAdd(callsAt(row, column), rejection->skipCalls));
        weight.lastTakeLength = takeLength;
        weight.lastSkipLength = rejection->skipLength;
        ++weight.candidates;
    }
    if (weight.candidates == 0) return std::nullopt;
    return weight;
}

}  // namespace velmora

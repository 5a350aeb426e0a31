#pragma once
// The facts about the two fixed texts of one computation that the length engines ask
// for, built once and shared by all of them (both racing orders, the overflow proof, the
// alignment's look-ahead): where each character occurs, and, on first use, the pass-over
// table, the runs of equal characters, the common extension of any two remainders and the
// length of a longest common subsequence of any two.
//
// Each text is taken up to kLongestText + 1 units: a longer one is refused by every engine
// at its first call anyway, and that much still shows it. Not for use by two threads at once.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/text_index/occurrence_index.h"

namespace velmora {

class CommonExtension;
class ComputationControl;
class PassOverIndex;
class RemainderLcsTable;

class TextPairIndex {
public:
    // The texts must outlive this object.
    TextPairIndex(std::u16string_view first, std::u16string_view second);
    ~TextPairIndex();
    TextPairIndex(const TextPairIndex&) = delete;
    TextPairIndex& operator=(const TextPairIndex&) = delete;

    std::u16string_view first() const { return first_; }
    std::u16string_view second() const { return second_; }
    std::int32_t firstLength() const { return static_cast<std::int32_t>(first_.size()); }
    std::int32_t secondLength() const { return static_cast<std::int32_t>(second_.size()); }

    const OccurrenceIndex& firstOccurrences() const { return firstOccurrences_; }
    const OccurrenceIndex& secondOccurrences() const { return secondOccurrences_; }

    const PassOverIndex& passOver() const;
    // Per position, how many equal characters follow from there, itself included.
    const std::vector<std::int32_t>& firstRuns() const;
    const std::vector<std::int32_t>& secondRuns() const;
    // Per position j of the second text, the last position of the first text whose
    // character occurs in second[j..] (0: none). Below it a scan from column j on finds
    // nothing to match or take, so every outcome there is nothing.
    const std::vector<std::int32_t>& lastSharedInFirst() const;
    const CommonExtension& extension() const;
    // The control, on first use, lets the table's sweep be cancelled.
    RemainderLcsTable& lcsTable(const ComputationControl* control) const;

private:
    std::u16string_view first_, second_;
    OccurrenceIndex firstOccurrences_, secondOccurrences_;
    mutable std::unique_ptr<PassOverIndex> passOver_;
    mutable std::unique_ptr<std::vector<std::int32_t>> firstRuns_, secondRuns_, lastSharedInFirst_;
    mutable std::unique_ptr<CommonExtension> extension_;
    mutable std::unique_ptr<RemainderLcsTable> lcsTable_;
};

}  // namespace velmora

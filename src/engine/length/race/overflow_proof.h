#pragma once
// Proves that a call of CommonLength passes the count limit without evaluating it.
//
// The length the search finds at any pair is the length of a longest common subsequence
// (RemainderLcsTable has them all), so which calls a scan makes, and how often it repeats
// each, are known at once, without the counts nested in them. A scan at (i, j) makes its
// calls at the first mismatch and goes on from (i, j + 1), or after an accepted
// candidate, like a fresh invocation there. So a pair's nested count is a sum, over the
// pairs its calls and its continuation reach, of times × (1 + their nested count).
//
// The proof holds a weight per pair: how many times the root's count takes that pair's
// nested count. Pushing a pair adds weight × (its own calls) to what is proved and passes
// weight × times on to the pairs it reaches; every invocation so counted is one the
// search makes. Heaviest pairs first: where the counts grow by repeated calls, a few
// pushes prove billions. Pushed to the end, it is the exact nested count.

#include <cstdint>
#include <queue>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/base/pair_key.h"
#include "engine/length/engine_tuning.h"
#include "engine/text_index/text_pair_index.h"

namespace velmora {

class OverflowProof {
public:
    // The texts and their index must outlive this object. The index's table of lengths is
    // built with the control, if it was not yet. Tests lift laterCandidatesWork to reach
    // the exact count, and lower mostSteps to reach both bounds.
    explicit OverflowProof(const TextPairIndex& texts, const ComputationControl* control = nullptr,
                           std::uint64_t laterCandidatesWork = tuning::kProofLaterCandidatesWork,
                           std::uint64_t mostSteps = tuning::kProofMostSteps);

    // Begins on the call CommonLength(first[i..], second[j..]) (1-based), forgetting any other.
    void start(std::int32_t i, std::int32_t j);
    // Pushes for about `steps` steps (at least one pair, unless the call's proof has taken
    // its most steps); true once the invocations nested in the call are proved to be at least
    // `needed`.
    bool advance(std::uint64_t steps, std::uint64_t needed);
    // The nested invocations proved so far (sticking at 2^62).
    std::uint64_t proved() const { return proved_; }
    // Nothing is left to push: with every candidate weighed, proved() is the nested count.
    bool exhausted() const { return heap_.empty(); }

private:
    using Key = PairKey;
    // One pair's scan up to where it goes on as a fresh one: its own calls, and the pairs
    // its calls and its continuation reach, with how many times each.
    struct Expansion {
        std::uint64_t calls = 0;
        std::vector<std::pair<Key, std::uint64_t>> reached;
    };
    const Expansion& expand(Key pair, std::uint64_t& steps);
    void weighCandidates(std::int32_t i, std::int32_t j, Expansion& out, std::uint64_t& steps);
    void push(Key pair, std::uint64_t& steps);

    std::u16string_view first_, second_;
    std::int32_t firstLength_, secondLength_;
    RemainderLcsTable& lengths_;
    std::uint64_t laterCandidatesWork_;
    std::uint64_t mostSteps_;
    const OccurrenceIndex &firstIndex_, &secondIndex_;
    std::unordered_map<Key, Expansion> expansions_;            // what each pair reaches, for every call
    std::unordered_map<Key, std::uint64_t> weights_;           // of the call under proof, not yet pushed
    std::priority_queue<std::pair<std::uint64_t, Key>> heap_;  // weights as they were set
    std::vector<std::uint64_t> skipTimes_;                     // per skipped character, the calls made with it
    std::uint64_t proved_ = 0;
    std::uint64_t spent_ = 0;     // steps of the call's proof so far
    std::size_t remembered_ = 0;  // pairs reached, over all expansions remembered
};

}  // namespace velmora

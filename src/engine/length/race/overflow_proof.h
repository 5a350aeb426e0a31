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
#include <utility>
#include <vector>

#include "engine/base/large_tables.h"
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
    // Nothing more will be proved of this call: it is exhausted or has taken its most steps.
    bool finished() const { return exhausted() || spent_ >= mostSteps_; }

private:
    using Key = PairKey;
    using Id = std::uint32_t;  // a pair's place in pairs_, given when the proof first meets it
    // One pair's scan up to where it goes on as a fresh one: its own calls, and the pairs
    // its calls and its continuation reach, with how many times each.
    struct Expansion {
        std::uint64_t calls = 0;
        std::uint32_t firstReached = 0, reachedCount = 0;  // in reached_
    };
    // What the proof knows of one pair: its expansion, kept for every call, and its weight
    // in the call under proof, which counts only if set during that call.
    struct PairState {
        Key key;
        bool expanded = false;
        std::uint32_t weighedIn = 0;  // the call (start) that set the weight
        std::uint64_t weight = 0;
        Expansion expansion;
    };
    Id idOf(Key pair);
    void growIds();
    std::uint64_t& weightOf(Id pair);
    const Expansion& expand(Id pair, std::uint64_t& steps);
    // The calls at a mismatch (i, j), with the pairs they reach by key.
    void weighCandidates(std::int32_t i, std::int32_t j, std::uint64_t& calls,
                         std::vector<std::pair<Key, std::uint64_t>>& reached, std::uint64_t& steps);
    void push(Id pair, std::uint64_t& steps);

    std::u16string_view first_, second_;
    std::int32_t firstLength_, secondLength_;
    RemainderLcsTable& lengths_;
    std::uint64_t laterCandidatesWork_;
    std::uint64_t mostSteps_;
    const OccurrenceIndex &firstIndex_, &secondIndex_;
    // Looked up by key only when a pair is first reached; the proof's own steps then go by
    // id. Open addressing on the key (never 0, which marks a free slot), at most half full.
    // These grow to millions of entries on long runs: in huge pages, a page fault each
    // took a tenth of such a computation.
    std::vector<std::pair<Key, Id>, TableAllocator<std::pair<Key, Id>>> idSlots_;
    std::vector<PairState, TableAllocator<PairState>> pairs_;
    // Every expansion's, end to end.
    std::vector<std::pair<Id, std::uint64_t>, TableAllocator<std::pair<Id, std::uint64_t>>> reached_;
    std::uint32_t call_ = 0;                                  // the call under proof, counted from 1
    std::priority_queue<std::pair<std::uint64_t, Id>> heap_;  // weights as they were set
    std::vector<std::uint64_t> skipTimes_;                    // per skipped character, the calls made with it
    std::vector<std::pair<Key, std::uint64_t>> reachedKeys_;  // scratch for an expansion
    std::uint64_t proved_ = 0;
    std::uint64_t spent_ = 0;     // steps of the call's proof so far
    std::size_t remembered_ = 0;  // pairs reached, over all expansions remembered
};

}  // namespace velmora

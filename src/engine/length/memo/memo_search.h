#pragma once
// The memoised CommonLength: the same result and the same growth of the call count as the
// invocation-by-invocation search, in time polynomial in the texts.
//
// Every invocation works on a pair of remainders of two fixed texts, and the scan inside
// an invocation goes on exactly like a fresh invocation on the remaining pair. So each
// pair (i, j) is evaluated once: its length and the nested invocations its scan makes are
// remembered, and a repeated call adds the remembered count at once. The pending work is
// kept on an explicit stack, so no nesting depth can exhaust the thread's stack.
//
// Once a candidate of a scan is rejected, every later one is too, and the scan goes on in
// the next column. Long runs of such candidates (or candidates a period apart), long runs
// of skipped characters and the walk along a run of columns are weighed as a whole from
// the exits of the diagonals through blocks of agreeing stretches (BlockExits), whose
// exits are evaluated quietly: they count only through the candidates that use them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/base/pair_key.h"
#include "engine/length/call_counter.h"
#include "engine/length/engine_tuning.h"
#include "engine/length/memo/search_frame.h"
#include "engine/length/rejected_run.h"
#include "engine/text_index/text_pair_index.h"

namespace velmora {

class MemoSearch {
public:
    // Once a candidate of a scan is rejected, all later ones are too, and the scan goes
    // on at (i, j + 1). Which of the two is evaluated first changes nothing in the result
    // or the count, only how soon a count past the limit shows: on some texts the large
    // counts lie behind the candidates, on others behind the continuation.
    enum class Order : std::uint8_t { CandidatesFirst, ContinuationFirst };

    // Engines on the same texts share one index of them, and may share one memo (memoOf
    // makes it): what a pair gives does not depend on the order in which it was found, so
    // each engine uses what the other has evaluated. Beyond tuning.mostDenseCells pairs the
    // memo is a hash.
    explicit MemoSearch(std::shared_ptr<const TextPairIndex> texts, const EngineTuning& tuning = {},
                        Order order = Order::CandidatesFirst, std::shared_ptr<PairMemo> sharedMemo = nullptr);
    // The texts must outlive this object.
    MemoSearch(std::u16string_view first, std::u16string_view second, const EngineTuning& tuning = {},
               Order order = Order::CandidatesFirst);
    static std::shared_ptr<PairMemo> memoOf(const TextPairIndex& texts,
                                            std::size_t mostDenseCells = EngineTuning::kMostDenseCells);
    // One call on two strings of their own.
    static std::int16_t lengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                 const EngineTuning& tuning = {}, Order order = Order::CandidatesFirst);
    bool memoHashed() const { return memo_->hashed(); }

    // Thrown once more than the budget's pairs have been evaluated: on some texts a
    // bottom-up sweep of every pair is cheaper, and the caller can turn to it.
    struct WorkBudgetExceeded {};
    void limitWork(std::uint64_t pairs) { workBudget_ = pairs; }

    // CommonLength(first[i..], second[j..]) for 1-based i and j (one past the end is the
    // empty remainder), counting its invocations into counter.
    std::int16_t invoke(std::int32_t i, std::int32_t j, CallCounter& counter);

    // The same call in slices: start() counts the invocation, advance() evaluates at most
    // steps frames and is true once result() holds the length. A new start() abandons an
    // unfinished call; what it has evaluated completely stays remembered.
    void start(std::int32_t i, std::int32_t j, CallCounter& counter);
    bool advance(CallCounter& counter, std::uint64_t steps);
    std::int16_t result() const { return returned_.length; }

    // The alignment's run of rejected candidates weighed as a whole: startWeighing() is
    // false when the run is too short to weigh as a whole; otherwise advance() until true,
    // and weighed() holds the answer (nothing when some candidate would outlast the
    // characters weighed).
    bool startWeighing(const RejectedCandidates& weighing, CallCounter& counter);
    const std::optional<RunWeight>& weighed() const { return weight_; }

private:
    using BlockShape = memo::BlockShape;
    using Phase = memo::Phase;
    using Frame = memo::Frame;
    using Advance = memo::Advance;
    std::int32_t commonPrefix(std::int32_t i, std::int32_t j) const;
    const CommonExtension& extension() const;
    Advance walkWithoutCalls(std::int32_t i, std::int32_t j) const;
    bool crossRun(Advance& advance) const;
    bool step(Frame& frame, CallCounter& counter);
    bool request(std::int32_t i, std::int32_t j, bool invocation, CallCounter& counter, bool quiet,
                 bool speculative = false);
    bool enterColumnShift(Frame& frame);
    std::optional<ScanOutcome> shiftedOutcome(std::int32_t i, std::int32_t j) const;
    std::optional<bool> verifyColumnShift(Frame& frame, bool arrived);
    void checkPendingCalls(CallCounter& counter) const;
    bool enterRunOfCandidates(Frame& frame);
    void enterCandidateBlock(Frame& frame, const BlockShape& shape);
    bool fillBlock(Frame& frame, Phase waiting);
    void enterColumns(Frame& frame);
    std::optional<bool> weighColumns(Frame& frame, CallCounter& counter);
    std::optional<__int128> weighColumnsOfRun(const Frame& frame, std::int32_t begin, std::int32_t firstEnd) const;
    void enterBlock(Frame& frame, const BlockShape& shape, std::int32_t from, std::int32_t to, bool skips);
    bool weighRunOfCandidates(Frame& frame, CallCounter& counter);
    std::optional<BlockShape> candidateBlock(std::int32_t candidate, std::int32_t j) const;
    BlockExits& blockAt(const BlockShape& shape, std::int32_t d);
    bool weighSkippedCharacters(Frame& frame, CallCounter& counter, bool newCandidate);
    bool reuseWeighedCharacters(Frame& frame, CallCounter& counter, std::int32_t offset);
    bool enterRunOfSkippedCharacters(Frame& frame);
    void weighRunOfSkippedCharacters(Frame& frame, CallCounter& counter);
    static void count(Frame& frame, CallCounter& counter, std::uint64_t calls);
    bool finish(Frame& frame, std::int16_t bonus, std::int32_t i, std::int32_t j, CallCounter& counter);

    Order order_;
    std::int32_t weighedRun_;
    std::int32_t weighedColumns_;
    std::int32_t columnCheckpoint_;
    std::int32_t shiftedColumns_, shiftCheckedRows_;
    std::shared_ptr<const TextPairIndex> texts_;
    std::u16string_view first_, second_;
    std::int32_t firstLength_, secondLength_;
    const OccurrenceIndex &firstIndex_, &secondIndex_;
    const PassOverIndex& passOver_;
    const std::vector<std::int32_t>&firstRuns_, &secondRuns_;
    std::unordered_map<std::uint64_t, BlockExits> blocks_;  // by the ends of their two runs
    // Per run of the second text (by its end): the column whose outcome every column
    // before it shares, in the rows checked so far.
    struct ColumnShift {
        std::int32_t target = 0;
        std::int32_t checkedFrom = 0;  // rows from here down agree in target and target + 1
        std::int32_t disagreesAt = 0;  // a row that does not: no row above it is shifted
    };
    std::unordered_map<std::int32_t, ColumnShift> shifts_;
    // Frames pushed, and how many of them were speculative: checks of runs start only
    // while they have cost at most half the search's own frames (and a few thousand).
    std::uint64_t framesPushed_ = 0, speculativeFrames_ = 0;
    // Where walks end, from about one in 16 of the pairs at which one of their steps began
    // (see walkWithoutCalls).
    static bool isCheckpoint(std::int32_t i, std::int32_t j);
    mutable std::unordered_map<PairKey, Advance> walkEnds_;
    // and the characters matched before each
    mutable std::vector<std::pair<PairKey, std::int16_t>> passedCheckpoints_;
    CallCounter quietCounter_{0, CallCounter::kNoLimit};
    std::optional<RunWeight> weight_;
    std::shared_ptr<PairMemo> memo_;
    // Pushing a frame never moves the frames beneath it: step() keeps working on its frame
    // by reference while it requests values that push new ones.
    memo::FrameStack stack_;
    std::uint64_t workBudget_ = UINT64_MAX;
    ScanOutcome returned_;
};

}  // namespace velmora

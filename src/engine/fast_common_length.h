#pragma once
// The fast CommonLength: the same result and the same growth of the call count as the
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
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/block_exits.h"
#include "engine/call_counter.h"
#include "engine/common_extension.h"
#include "engine/occurrence_index.h"
#include "engine/pass_over_index.h"
#include "engine/skip_profile.h"
#include "engine/suffix_pair_memo.h"

namespace velmora {

class FastCommonLength {
public:
    // Once a candidate of a scan is rejected, all later ones are too, and the scan goes
    // on at (i, j + 1). Which of the two is evaluated first changes nothing in the result
    // or the count, only how soon a count past the limit shows: on some texts the large
    // counts lie behind the candidates, on others behind the continuation.
    enum class Order : std::uint8_t { CandidatesFirst, ContinuationFirst };

    // Runs of at least this many candidates, or skipped characters, are weighed as a
    // whole (see startWeighing); a larger value weighs more of them one by one.
    static constexpr std::int32_t kWeighedRun = 16;

    // The texts must outlive this object. Beyond mostDenseCells pairs the memo is a hash.
    // Engines on the same texts may share one memo (memoOf makes it): what a pair gives
    // does not depend on the order in which it was found, so each engine uses what the
    // other has evaluated.
    FastCommonLength(std::u16string_view first, std::u16string_view second,
                     std::size_t mostDenseCells = SuffixPairMemo::kMostDenseCells, Order order = Order::CandidatesFirst,
                     std::int32_t weighedRun = kWeighedRun, std::shared_ptr<SuffixPairMemo> sharedMemo = nullptr);
    static std::shared_ptr<SuffixPairMemo> memoOf(std::u16string_view first, std::u16string_view second,
                                                  std::size_t mostDenseCells = SuffixPairMemo::kMostDenseCells);
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

    // The alignment's look-ahead makes one take call per candidate, and once a candidate
    // is rejected every later one is too. A long run of later candidates is weighed as a
    // whole: given what the skipped characters of the rejected candidate gave, the
    // invocations of all the run's calls and the last candidate's take and skip lengths. startWeighing() is false when the run is too short to weigh
    // as a whole; otherwise advance() until true, and weighed() holds the answer (nothing
    // when some candidate would outlast the characters weighed).
    struct RejectedCandidates {
        std::int32_t j, candidate;  // column, and the first candidate of the run
        const SkipProfile& skips;
    };
    struct RunWeight {
        std::uint64_t calls;  // saturating
        std::int16_t lastTakeLength, lastSkipLength;
        std::int32_t candidates;
    };
    bool startWeighing(const RejectedCandidates& weighing, CallCounter& counter);
    const std::optional<RunWeight>& weighed() const { return weight_; }

private:
    // A block of two agreeing stretches: where they end, their period, and how many
    // candidates the first one holds from where it was found.
    struct BlockShape {
        std::int32_t firstEnd, secondEnd, period, candidates;
    };
    enum class Phase : std::uint8_t {
        Start,
        NextCandidate,
        AfterTake,
        AfterSkip,
        AfterEarlyContinuation,
        FillingBlock,
        AfterBlockExit,
        FillingColumns,
        AfterColumnExit,
        AfterContinuation
    };
    struct Frame {
        std::int32_t i, j;
        // A quiet frame evaluates an exit that a block needs, which the search may never
        // invoke: its work counts only when a scan weighs the candidates that lead to it.
        bool quiet = false;
        Phase phase = Phase::Start;
        bool rejected = false;               // a candidate was rejected: so will every later one
        bool weighOnly = false;              // weighs one run of candidates for the alignment,
        bool takeOnce = false;               // whose candidates make one take call each
        BlockExits* block = nullptr;         // the block whose exits are being filled,
        std::int32_t fillDiagonal = 0;       // and the diagonal whose exit is requested
        std::int16_t continuationBonus = 0;  // characters matched before the continuation
        bool continued = false;              // a candidate was rejected and (i, j + 1) is known:
        ScanOutcome continuation{};          // its outcome
        std::int32_t skipped = 0;            // m: the skipped character under test
        char16_t partnerOf = 0;              // the last skipped character looked up,
        std::int32_t partner = -1;           // and its partner in second[j..] (0: none; -1: not yet)
        std::int16_t takeLength = 0;
        std::uint64_t takeCalls = 0;
        std::uint64_t nestedCalls = 0;
        OccurrenceIndex::Iterator candidate{};
        // Each later candidate weighs the same skipped characters again, against the same
        // partners: what they gave.
        SkipProfile skips{};
        std::int16_t lastSkipLength = 0;        // that rejected the last candidate weighed as a run
        bool fillingSkips = false;              // the block filled is that of a run of skipped characters
        std::int32_t fillFrom = 0, fillTo = 0;  // the diagonals it must hold
        // After a rejection: the columns up to columnsEnd (the end of the second text's
        // run), the next run of candidates to weigh over them, and what those weighed gave.
        std::int32_t columnsEnd = 0;
        OccurrenceIndex::Iterator columnCandidate{};
        __int128 columnCalls = 0;
    };

    struct Advance {
        std::int32_t i, j;
        std::int16_t matched;
        OccurrenceIndex::Iterator candidate;  // the first candidate at (i, j)
    };
    std::int32_t commonPrefix(std::int32_t i, std::int32_t j) const;
    const CommonExtension& extension() const;
    Advance walkWithoutCalls(std::int32_t i, std::int32_t j) const;
    bool crossRun(Advance& advance) const;
    bool step(Frame& frame, CallCounter& counter);
    bool request(std::int32_t i, std::int32_t j, bool invocation, CallCounter& counter, bool quiet);
    static constexpr std::size_t kBoundEvery = 64;  // steps at least between checks of the pending calls
    void checkPendingCalls(CallCounter& counter) const;
    bool enterRunOfCandidates(Frame& frame);
    void enterCandidateBlock(Frame& frame, const BlockShape& shape);
    bool fillBlock(Frame& frame, Phase waiting);
    void enterColumns(Frame& frame);
    std::optional<bool> weighColumns(Frame& frame, CallCounter& counter);
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
    std::u16string_view first_, second_;
    std::int32_t firstLength_, secondLength_;
    OccurrenceIndex firstIndex_, secondIndex_;
    PassOverIndex passOver_;
    std::vector<std::int32_t> firstRuns_, secondRuns_;
    std::unordered_map<std::uint64_t, BlockExits> blocks_;  // by the ends of their two runs
    // Where walks end, from about one in 16 of the pairs at which one of their steps began
    // (see walkWithoutCalls).
    static bool isCheckpoint(std::int32_t i, std::int32_t j);
    mutable std::unordered_map<std::uint32_t, Advance> walkEnds_;
    mutable std::vector<std::pair<std::uint32_t, std::int16_t>>
        passedCheckpoints_;  // and the characters matched before
    CallCounter quietCounter_{0, CallCounter::kNoLimit};
    std::optional<RunWeight> weight_;
    std::shared_ptr<SuffixPairMemo> memo_;
    mutable std::unique_ptr<CommonExtension> extension_;  // built on the first long agreement
    // A deque, so that pushing a frame never moves the frames beneath it: step() keeps
    // working on its frame by reference while it requests values that push new ones.
    std::deque<Frame> stack_;
    std::uint64_t workBudget_ = UINT64_MAX;
    ScanOutcome returned_;
};

// One call on two strings of their own, with the fast engine.
std::int16_t FastCommonLengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                                std::size_t mostDenseCells = SuffixPairMemo::kMostDenseCells,
                                FastCommonLength::Order order = FastCommonLength::Order::CandidatesFirst,
                                std::int32_t weighedRun = FastCommonLength::kWeighedRun);

}  // namespace velmora

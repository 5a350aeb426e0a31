#pragma once
// The state of the memoised search: one frame per pair whose scan is under way, on an
// explicit stack, so that no nesting depth can exhaust the thread's stack. A frame's
// phase says where its scan waits for a value that a frame above it is evaluating.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>

#include "engine/length/memo/block_exits.h"
#include "engine/length/memo/pair_memo.h"
#include "engine/length/skip_profile.h"
#include "engine/text_index/occurrence_index.h"

namespace velmora::memo {

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
    VerifyingShift,
    AfterShiftValue,
    AfterContinuation
};
struct Frame {
    std::int32_t i, j;
    // A quiet frame evaluates an exit that a block needs, which the search may never
    // invoke: its work counts only when a scan weighs the candidates that lead to it.
    bool quiet = false;
    // A speculative frame evaluates a pair only to compare it with another, which the
    // search may never invoke: quiet, and its work never counts towards the limit.
    bool speculative = false;
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
    bool columnsByDiagonal = false;  // columnsEnd is the next checkpoint, not the run's end
    OccurrenceIndex::Iterator columnCandidate{};
    __int128 columnCalls = 0;
    // Whether the frame may take its outcome from a column further on in its run of the
    // second text (that run's end), and, while the rows are checked, the outcome of the
    // row under check in the first of the two columns compared.
    bool shiftTried = false;
    std::int32_t shiftRunEnd = 0;
    bool shiftSecondColumn = false;
    ScanOutcome shiftFirstOutcome{};
};

// The frames under way, bottom first. A popped frame stays for the next push, with the
// room its skip profile has grown: a search pushes and pops millions of frames, and
// allocating a profile (and, at the stack's block boundaries, the stack's own memory)
// each time took a tenth of a long run's time. Frames never move, so a reference to one
// stays valid while frames above it come and go.
class FrameStack {
public:
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    Frame& back() { return frames_[size_ - 1]; }
    void clear() { size_ = 0; }
    void pop_back() { --size_; }
    Frame& push_back(Frame frame)
    {
        if (size_ == frames_.size()) {
            Frame& added = frames_.emplace_back(std::move(frame));
            ++size_;  // once it is there: a failed allocation leaves the stack as it was
            return added;
        }
        Frame& slot = frames_[size_++];
        SkipProfile room = std::move(slot.skips);
        room.clear();
        slot = std::move(frame);
        slot.skips = std::move(room);
        return slot;
    }
    auto begin() const { return frames_.begin(); }
    auto end() const { return frames_.begin() + static_cast<std::ptrdiff_t>(size_); }

private:
    std::deque<Frame> frames_;
    std::size_t size_ = 0;
};

struct Advance {
    std::int32_t i, j;
    std::int16_t matched;
    OccurrenceIndex::Iterator candidate;  // the first candidate at (i, j)
};

}  // namespace velmora::memo

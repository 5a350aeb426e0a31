#pragma once
// Every threshold at which the length engines change their layout, hand over or take
// turns, in one place. None of them changes a result or a count, only how soon it comes;
// tests move the adjustable ones to reach every path at small sizes.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace velmora {

// How the two racing orders and the overflow proof share a call. A frame can cost a
// quarter of a microsecond or, filling a block, tens of them, so the proof joins by the
// clock: its table costs about 25 ms for the longest texts, which a call that has run this
// long may well save. Tests shorten the turn, so that the orders take turns, and use each
// other's pairs, on small texts too, and let the proof join at once with many steps a
// round, so that it stops races there too.
struct RacePace {
    std::uint64_t turn = 1 << 14;                  // frames an order evaluates per turn
    std::chrono::microseconds proofAfter{20'000};  // how long a call runs before the proof joins
    std::uint64_t proofStepsPerFrame = 2;          // the proof's steps for each frame the orders evaluate
    // Where the machine has a second core, the proof runs on it beside the orders, as fast
    // as it goes, instead of in turns at the pace above.
    bool proofAlongside = true;
};

struct EngineTuning {
    // Up to 16 Mi pairs (texts of about 4,000 characters each) the memo is a table indexed
    // by the pair, which costs at most 160 MiB of address space and is backed only where
    // written; beyond, an open-addressing hash.
    static constexpr std::size_t kMostDenseCells = std::size_t{1} << 24;
    std::size_t mostDenseCells = kMostDenseCells;

    // Without a count limit the memoised search counts in 64 bits; past this count (none:
    // as far as 64 bits hold it) the column sweep takes over.
    std::optional<std::uint64_t> fastCountBound{};

    // Runs of at least this many candidates, or skipped characters, are weighed as a
    // whole; a larger value weighs more of them one by one.
    static constexpr std::int32_t kWeighedRun = 16;
    std::int32_t weighedRun = kWeighedRun;
    // A run of columns whose candidates are rejected at different skipped characters is
    // weighed diagonal by diagonal, as far as the next column that is a multiple of this;
    // the scan is remembered there, so that a call in any of the run's columns costs at
    // most this many columns' diagonals before it meets a remembered pair.
    static constexpr std::int32_t kColumnCheckpoint = 64;
    // Columns of a run of the second text whose scans are all rejected are weighed as a
    // whole from this many on: each column walked is a frame of its own, while the block
    // that weighs them is shared by every row that passes over the same run.
    static constexpr std::int32_t kWeighedColumns = 2;
    std::int32_t weighedColumns = kWeighedColumns;
    // A call in a long run of columns takes its outcome from a column near the run's end
    // once two columns there are seen to agree in every row from the call's down (see
    // column_shift.cpp), if that spares at least shiftedColumns columns and checks at most
    // shiftCheckedRows rows.
    static constexpr std::int32_t kShiftedColumns = 64, kShiftCheckedRows = 4096;
    std::int32_t shiftedColumns = kShiftedColumns;
    std::int32_t shiftCheckedRows = kShiftCheckedRows;
    std::int32_t columnCheckpoint = kColumnCheckpoint;

    // Under a count limit, the literal engine answers a computation's calls until they
    // have cost it this many steps (0: never; none: about what the memoised search's
    // set-up would cost), since on small problems that is the quicker way.
    std::optional<std::uint64_t> literalFirstWork{};

    // Under a count limit, a call (or a run of the alignment's rejected candidates) that
    // the orders have not finished within this many frames (about 20 ms) is answered from
    // a sweep in machine words of the corner of pairs from it to the texts' ends, a few
    // nanoseconds a pair, if that corner has at most so many pairs (about 30 MiB of
    // counts each, and the last two are kept; see swept_corner.h). Tests sweep at once,
    // and corners of any size.
    static constexpr std::uint64_t kFramesBeforeSweep = std::uint64_t{1} << 15;
    static constexpr std::uint64_t kSweptCornerMostPairs = std::uint64_t{1} << 22;
    std::uint64_t framesBeforeSweep = kFramesBeforeSweep;
    std::uint64_t sweptCornerMostPairs = kSweptCornerMostPairs;
    // Calls that each end within a few frames can still, together, evaluate a corner pair
    // by pair: the take calls of a run of candidates deep in the first text, a column
    // further on at every character the alignment passes over. So a call the orders have
    // not evaluated yet is answered from a sweep of a corner once the orders have
    // evaluated, since the last sweep, a kCornerPairsPerPair-th of its pairs (all its rows
    // by all its columns). The corner reaches rows above the call, to twice the pairs of
    // the last such corner, so that a run of candidates is covered after a few sweeps. A
    // pair evaluated costs about 0.3 microseconds and a pair swept a few nanoseconds, so
    // the sweeps cost at most about a quarter of what the orders spent before them, even
    // where a corner then serves no call. 0: only calls that run long are swept.
    static constexpr std::uint64_t kCornerPairsPerPair = 16;
    std::uint64_t cornerPairsPerPair = kCornerPairsPerPair;

    RacePace pace{};
};

namespace tuning {

// The memoised search indexes both texts before its first call, which costs it about as
// much as this many steps of the literal engine per character, plus a constant.
inline constexpr std::uint64_t kSetUpStepsPerCharacter = 8, kSetUpSteps = 1024;

// Without a limit the memoised search evaluates only the pairs a call reaches, but on
// some texts (long runs that each candidate weighs afresh) it reaches more pairs than a
// sweep of them all would cost; past this many it hands over to the sweep.
inline constexpr std::uint64_t memoWorkBudget(std::size_t a, std::size_t b)
{
    return std::uint64_t{a} * b / 128 + 4096;
}

// Runs at least this long are crossed in one step rather than character by character.
inline constexpr std::int32_t kLongRun = 8;
// Past this many equal units the rest of an agreement is looked up instead of compared.
inline constexpr std::int32_t kLongAgreement = 64;
// Steps of the memoised search at least between checks of the calls its pending frames hold.
inline constexpr std::size_t kPendingCheckEvery = 64;

// Frames at most between two rounds of the overflow proof in a race.
inline constexpr std::uint64_t kProofSlice = 1 << 12;
// Steps a pair may spend in the proof on candidates after the first; the others' calls
// are then left out, which only weakens the proof.
inline constexpr std::uint64_t kProofLaterCandidatesWork = 1024;
// Steps a call's proof may take in all: where the counts do not grow by repetition it
// finds little, and what it remembers grows with every step; so many pairs reached are
// remembered for later calls at most.
inline constexpr std::uint64_t kProofMostSteps = std::uint64_t{1} << 22;

// The literal engine: an invocation costs about as much as comparing this many
// characters; and at most a + b invocations nest, of which this many fit on any thread's
// stack.
inline constexpr std::uint64_t kLiteralStepsPerCall = 16;
inline constexpr std::int32_t kShallowEnough = 2000;

}  // namespace tuning
}  // namespace velmora

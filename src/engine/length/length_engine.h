#pragma once
// The one entry to the counted CommonLength: it chooses the engine that answers each call
// on remainders of the two captured texts.
//
// - The literal engine, when asked for: every invocation carried out one by one.
// - Under a count limit: the literal engine answers first, while that costs less than the
//   memoised search's set-up would; then the racing search (two orders of the memoised
//   search, and the overflow proof) answers every later call, except that a call it has
//   not finished within a few thousand frames is answered from a sweep of the corner of
//   pairs it reaches, where that corner is small enough (SweptCorner); and so is a call
//   it has not evaluated, once it has evaluated enough pairs since the last sweep to pay
//   for one (short calls that together reach every pair of a corner).
// - Without a limit: the memoised search counts in 64 bits while it can, and while it has
//   evaluated fewer pairs than a sweep of them all would cost; past either, the lengths come
//   from the table of remainder lengths (which they equal) and the counts of every later
//   call are summed exactly by one column sweep when the computation settles.
//
// Every engine of one computation shares one index of the two texts.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/length/call_counter.h"
#include "engine/length/engine_tuning.h"
#include "engine/length/rejected_run.h"

namespace velmora {

class MemoSearch;
class RacingSearch;
class SweptCorner;
class TextPairIndex;

enum class EngineKind { Literal, Fast };

class LengthEngine {
public:
    // The texts must outlive this object.
    LengthEngine(EngineKind kind, std::u16string_view text1, std::u16string_view text2,
                 const EngineTuning& tuning = {});
    ~LengthEngine();

    // CommonLength(Text1[pos1..], Text2[pos2..]) with 1-based positions.
    std::int16_t operator()(std::int32_t pos1, std::int32_t pos2, CallCounter& counter);

    // The literal engine is the reference: the look-ahead then scans every skipped
    // character one by one too, taking none of its shortcuts.
    bool isLiteral() const { return literal_; }
    // Whether a run of rejected candidates may be weighed as a whole (under a count limit,
    // with the fast engine); the caller then keeps what the skipped characters gave.
    bool weighsRejectedRuns(const CallCounter& counter) const;
    // The alignment's run of rejected candidates weighed as a whole; nothing when the
    // caller must weigh them one by one.
    std::optional<RunWeight> weighRejectedRun(const RejectedCandidates& weighing, CallCounter& counter);
    // Adds the counts left to the sweep; call once, after the last call.
    void settle(CallCounter& counter);

    // The index of the two texts that the engines share, for the caller's own look-ups.
    const TextPairIndex& texts() const { return *texts_; }

private:
    std::optional<std::int16_t> tryLiteral(std::int32_t pos1, std::int32_t pos2, CallCounter& counter);
    RacingSearch& racing();
    // A call or weighing at (pos1, pos2) under a limit: raced(mostFrames) by the orders, or
    // fromCorner(corner) once it is covered by a swept corner.
    template <class Raced, class FromCorner>
    std::invoke_result_t<Raced, std::optional<std::uint64_t>>
    raceOrSweep(std::int32_t pos1, std::int32_t pos2, const CallCounter& counter, Raced raced, FromCorner fromCorner);
    // Sweeps the corner from (pos1, pos2) to the texts' ends into corner_, if it is small
    // enough and every count in it fits in 64 bits; whether it did.
    bool sweepCorner(std::int32_t pos1, std::int32_t pos2, const CallCounter& counter);
    // Where the orders have evaluated enough pairs since the last sweep to pay for a corner
    // from column pos2 that holds (pos1, pos2) and has at least twice the pairs of the
    // last such corner, that corner's top row: the calls that follow often lie in rows
    // just above.
    std::optional<std::int32_t> paidCornerTop(std::int32_t pos1, std::int32_t pos2) const;
    // All the rows from pos1 by all the columns from pos2 (a bound on a corner's pairs).
    std::uint64_t cornerPairs(std::int32_t pos1, std::int32_t pos2) const;
    std::int16_t deferToSweep(std::int32_t pos1, std::int32_t pos2, CallCounter& counter);

    std::u16string_view text1_, text2_;
    bool literal_;
    EngineTuning tuning_;
    std::shared_ptr<TextPairIndex> texts_;
    std::uint64_t literalWork_;             // what the literal engine may still spend first
    std::unique_ptr<RacingSearch> racing_;  // with a count limit, once the literal engine gives up
    std::unique_ptr<MemoSearch> fast_;      // without one; null for the literal engine and once swept
    bool swept_ = false;                    // once the counts have passed 64 bits
    // Under a limit, the last two corners swept for long calls, the last first.
    std::unique_ptr<SweptCorner> corner_, previousCorner_;
    std::optional<std::pair<std::int32_t, std::int32_t>> cornerPastWords_;  // the last that counted past 64 bits
    std::uint64_t evaluatedAtSweep_ = 0;  // the orders' pairs evaluated when a corner was last swept
    std::uint64_t lastPaidCorner_ = 0;    // the pairs of the last corner swept for calls that ran short
    std::vector<std::pair<std::int32_t, std::int32_t>> deferred_;
};

// One call on two strings of their own, by the chosen engine; exact without a limit.
std::int16_t LengthOf(EngineKind kind, std::u16string_view first, std::u16string_view second, CallCounter& counter,
                      const EngineTuning& tuning = {});

}  // namespace velmora

#pragma once
// Exact invocation counts of CommonLength on every remainder pair of two texts, evaluated
// bottom-up, one column of the second text at a time (from its end to its start), in
// O(length of the first text) values per column and small work per pair.
//
// Why this works: the result of CommonLength is the length of a longest common
// subsequence, so along the candidates of one scan the take values never rise, and either
// the nearest candidate is accepted or every candidate is rejected. A pair's take calls
// lie in the column to its right; its skip calls lie in their partners' columns, anywhere
// further right, so the sweep carries per row the value and count of that row's character
// matched with its nearest partner, renewed whenever it passes a column holding that
// character: the partners' values travel leftwards with the sweep. The rejection point of each candidate is the first skipped character whose skip value
// beats its take value; the running maxima of the skip values form a stack, and the
// candidates rejected at each stack entry form a contiguous run, so the sum of all the
// rejected candidates' calls is kept up to date as the stack changes.
//
// The counts are held in machine words while every pair's count fits in 64 bits, and in
// GMP limb arrays from the first pair that does not (the sweep then starts again; see
// limb_sweep.h).

#include <cstdint>
#include <gmpxx.h>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/base/computation_control.h"
#include "engine/base/large_tables.h"
#include "engine/length/call_counter.h"

namespace velmora {

class ColumnSweep {
public:
    enum class Arithmetic {
        MachineWordsFirst,  // 64-bit counts, limb arrays only once a count needs them
        LimbArrays,         // GMP limb arrays laid end to end per column, throughout
        GmpIntegers,        // one GMP integer per value throughout: the plain form the others are checked against
    };

    // The texts must outlive this object; each at most 32,766 characters.
    ColumnSweep(std::u16string_view first, std::u16string_view second,
                Arithmetic arithmetic = Arithmetic::MachineWordsFirst);

    // A remainder pair (1-based; one past the end is an empty remainder) whose
    // invocation the caller wants counted.
    struct Pair {
        std::int32_t i, j;
    };

    // Sweeps the columns from the last to the first and returns the invocations of one
    // call on each of the pairs (a pair listed twice counts twice), and in *firstLength
    // CommonLength(first, second). Two threads work on neighbouring columns, the second a
    // block of rows behind the first. Checks the control's cancel request and reports the
    // fraction done.
    mpz_class countCalls(const std::vector<Pair>& pairs, ComputationControl* control = nullptr,
                         std::int16_t* firstLength = nullptr);

    // The invocations of one call on each of the pairs, pair by pair, in one sweep.
    std::vector<mpz_class> countEach(const std::vector<Pair>& pairs, ComputationControl* control = nullptr);

    // The invocations of one call on every pair (i, j), at (j - 1) * first's length + i - 1,
    // while every pair's count fits in 64 bits; nothing once one does not, where the caller
    // has a limit far below and a sweep in limbs would cost more than it saves.
    std::optional<LargeTable<std::uint64_t>> countEveryPairInMachineWords(ComputationControl* control = nullptr);

    // CommonLength(first, second) counted exactly by the sweep (no limit on the count).
    static std::int16_t lengthOf(std::u16string_view first, std::u16string_view second, CallCounter& counter);

    // How many columns one thread of the limb sweep takes side by side, in bands wider
    // than one how many prefix sums of take calls a column keeps per block, and the
    // fewest limbs of a chunk its columns are laid in (0, the defaults: as suits the size
    // of the table); and whether each thread keeps bands of its own width (half of
    // `columns` and one and a half) rather than widths by the threads' speed.
    void setBand(std::int32_t columns, std::int32_t prefixSumsPerBlock = 0, std::int32_t chunkLimbs = 0,
                 bool unevenBands = false)
    {
        band_ = columns;
        prefixSumsPerBlock_ = prefixSumsPerBlock;
        chunkLimbs_ = chunkLimbs;
        unevenBands_ = unevenBands;
    }

    // Whether the last countCalls needed numbers past 64 bits.
    bool usedExactIntegers() const { return usedExactIntegers_; }

private:
    mpz_class sweep(const std::vector<Pair>& pairs, ComputationControl* control, std::int16_t* firstLength,
                    std::vector<mpz_class>* each);

    std::u16string_view first_, second_;
    Arithmetic arithmetic_;
    std::int32_t band_ = 0, prefixSumsPerBlock_ = 0, chunkLimbs_ = 0;
    bool unevenBands_ = false;
    bool usedExactIntegers_ = false;
};

}  // namespace velmora

#pragma once
// The candidates a column of the limb sweep has met so far (farthest first, so their take
// values never fall) with the prefix sums of their take calls. Rows mostly need the sum of
// all of them, and the rows that reject them at several skipped characters a sum up to
// the candidates a skip value beats, which on random texts lies a few hundred candidates back
// at most (a text against an edited copy reaches further). Every column of a band keeps
// such sums side by side, about a quarter of a column each on four letters, so a band
// keeps only the latest: two blocks of `perBlock` sums. Asked for one it has forgotten,
// it throws, and the sweep starts again keeping them all.

#include <cstdint>
#include <vector>

#include "engine/length/sweep/limb_column.h"
#include "engine/length/sweep/skip_maxima.h"

namespace velmora::sweep {

// A sum further back than a column keeps was needed.
struct PrefixSumForgotten {};

class TakeCallSums {
public:
    TakeCallSums(std::size_t rows, std::size_t smallestChunk) : sums_(rows, smallestChunk) {}

    // A new column: no candidate yet. `perBlock` sums per block, or 0 to keep all.
    void clear(std::int32_t perBlock);
    // The next candidate: its take value, and the invocations nested in its take call.
    void add(std::int16_t takeValue, Limbs nested);

    const TakeValues& takeValues() const { return values_; }
    mp_limb_t candidates() const { return static_cast<mp_limb_t>(values_.size()); }
    // The take calls of all the candidates so far.
    Limbs total() const { return sums_[values_.size()]; }
    // The take calls of the first k candidates.
    Limbs before(std::size_t k) const
    {
        if (k != 0 && k < keptFrom_) throw PrefixSumForgotten{};
        return sums_[k];
    }

private:
    TakeValues values_;
    LimbStore sums_;
    std::size_t perBlock_ = 0, keptFrom_ = 0;
};

}  // namespace velmora::sweep

#pragma once
// Exact counts of any remainder pairs, many times over, without sweeping the whole table
// each time: one sweep keeps its state after every so many columns, and each later count
// sweeps only from the nearest kept column to the right of the pairs asked for, over the
// rows from the lowest of them. So a walk down a tree of invocations, which asks for the
// children of one pair at a time, costs a few columns per level rather than the table.

#include <cstdint>
#include <gmpxx.h>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/base/computation_control.h"
#include "engine/length/sweep/column_sweep.h"
#include "engine/length/sweep/limb_sweep.h"

namespace velmora {

class SweepCheckpoints {
public:
    // Sweeps the whole table once, keeping its state every `every` columns (0: at most 64
    // states, and about 512 MiB of them at most; none for the longest texts). The texts
    // must outlive this object.
    SweepCheckpoints(std::u16string_view first, std::u16string_view second, ComputationControl* control = nullptr,
                     std::int32_t every = 0);

    // The invocations of one call on each pair, itself included, as ColumnSweep::countEach.
    std::vector<mpz_class> countEach(const std::vector<ColumnSweep::Pair>& pairs,
                                     ComputationControl* control = nullptr) const;

    std::int32_t every() const { return every_; }

private:
    std::u16string_view first_, second_;
    std::int32_t every_;
    std::vector<std::unique_ptr<sweep::SweepState>> kept_;  // after columns every, 2 every, ...
};

}  // namespace velmora

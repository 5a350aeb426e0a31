#pragma once
// How the limb sweep lays out its work for a table of a given size.

#include <cstdint>

#include "engine/length/sweep/limb_sweep.h"

namespace velmora::sweep {

// How one thread sweeps the columns: how many side by side, and how many of a column's
// prefix sums of take calls each keeps (0: all). Bands keep the reading in cache: each
// column reads what its neighbour has just written, and the skip calls of a block of rows
// serve the whole band. Even at 1,000 to 3,000 characters, whose columns of counts (up to
// 3 MB) once stayed in cache, bands of eight took half the time of single columns when the
// machine's cache was shared with others (3,000 random ACGT: 0.74-0.80 s against 1.55 s);
// sixteen, once each thread's bands grew or shrank by its speed, a tenth less again at
// 3,000 characters and the same at 1,000. Only a band's last column is kept whole, and it
// goes back to a pool as the next band reads past its rows (a column grows with the square
// of the texts' length: 47 MB at 12,000 random ACGT, about 350 MB at 32,766). The other
// columns of a band keep the latest 512 to 1,024 sums each: at 32,766 characters bands of
// sixteen take 9 to 11 minutes and 1.38 GiB (eight, before the pool: 10 min 53 s and 1.74
// GiB); keeping every sum, bands of two took 15 min 44 s and 1.80 GiB (before the rows
// rejected deeper read the stack directly).
struct SweepLayout {
    std::int32_t band, prefixSumsPerBlock;
};

// The layout for `rows` by `columns` pairs, as `options` ask; after a column needed a
// sum it had forgotten, one that keeps them all.
SweepLayout layoutFor(std::int32_t rows, std::int32_t columns, const LimbSweepOptions& options, bool keepsAllSums);

}  // namespace velmora::sweep

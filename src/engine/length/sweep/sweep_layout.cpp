#include "engine/length/sweep/sweep_layout.h"

namespace velmora::sweep {
namespace {

// Sums a column of a band keeps per block, two blocks at a time. On random texts of four
// and 26 letters no row needed a sum more than 511 candidates back; a text against a
// copy with a few substitutions may, and is then swept again.
constexpr std::int32_t kPrefixSumsPerBlock = 512;
// Up to about 400 x 400 pairs a sweep takes milliseconds either way, and a band's sixteen
// workers (a stack as tall as the first text each) are not worth setting up for the
// corners the counts of a tree's children sweep over and over.
constexpr std::int64_t kSmallTable = std::int64_t{400} * 400;

}  // namespace

SweepLayout layoutFor(std::int32_t rows, std::int32_t columns, const LimbSweepOptions& options, bool keepsAllSums)
{
    const std::int64_t pairs = std::int64_t{rows} * columns;
    std::int32_t band = 1;
    if (options.band > 0)
        band = options.band;
    else if (keepsAllSums)
        // Every column of a band keeps a quarter of a column of sums on four letters: the
        // bands narrow so that the longest texts stay under 2 GiB.
        band = pairs <= kSmallTable                   ? 1
               : pairs <= std::int64_t{4000} * 4000   ? 8
               : pairs <= std::int64_t{14000} * 14000 ? 16
               : pairs <= std::int64_t{24000} * 24000 ? 8
               : pairs <= std::int64_t{29000} * 29000 ? 4
                                                      : 2;
    else
        band = pairs <= kSmallTable ? 1 : 16;
    if (keepsAllSums || band == 1) return {band, 0};
    return {band, options.prefixSumsPerBlock > 0 ? options.prefixSumsPerBlock : kPrefixSumsPerBlock};
}

}  // namespace velmora::sweep

#include "engine/run_block_exits.h"

#include <algorithm>

namespace velmora {

RunBlockExits::RunBlockExits(std::int32_t firstBegin, std::int32_t firstEnd, std::int32_t secondBegin,
                             std::int32_t secondEnd)
    : firstEnd_(firstEnd),
      secondEnd_(secondEnd),
      lowest_(firstBegin - (secondEnd - 1)),
      reach_(static_cast<std::size_t>((firstEnd - 1 - secondBegin) - lowest_ + 1), 0),
      sums_(reach_.size() + 1, 0)
{
}

std::pair<std::int32_t, std::int32_t> RunBlockExits::exit(std::int32_t d) const
{
    // The first run ends first where its end lies on the diagonal within the second run.
    if (firstEnd_ - d <= secondEnd_) return {firstEnd_, firstEnd_ - d};
    return {secondEnd_ + d, secondEnd_};
}

std::int32_t RunBlockExits::nextToFill(std::int32_t to) const
{
    if (!filled()) return to;
    return high_ < to ? high_ + 1 : low_ - 1;
}

void RunBlockExits::keepOnlyNear(std::int32_t from, std::int32_t to)
{
    if (filled() && (high_ + 1 < from || to + 1 < low_)) {
        low_ = 1;
        high_ = 0;
    }
}

void RunBlockExits::fill(std::int32_t d, const ScanOutcome& exitOutcome)
{
    const std::size_t at = index(d);
    reach_[at] = std::min(firstEnd_ - d, secondEnd_) + exitOutcome.length;
    const auto calls = static_cast<__int128>(exitOutcome.nestedCalls);
    if (!filled()) {
        low_ = high_ = d;
        sums_[at] = 0;
        sums_[at + 1] = calls;
    } else if (d == high_ + 1) {
        high_ = d;
        sums_[at + 1] = sums_[at] + calls;
    } else {
        low_ = d;
        sums_[at] = sums_[at + 1] - calls;
    }
}

unsigned __int128 RunBlockExits::exitCalls(std::int32_t from, std::int32_t to) const
{
    return static_cast<unsigned __int128>(sums_[index(to) + 1] - sums_[index(from)]);
}

}  // namespace velmora

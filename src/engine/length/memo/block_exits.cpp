#include "engine/length/memo/block_exits.h"

#include <algorithm>

namespace velmora {

BlockExits::BlockExits(std::int32_t firstEnd, std::int32_t secondEnd, std::int32_t period)
    : firstEnd_(firstEnd),
      secondEnd_(secondEnd),
      period_(period)
{
}

std::pair<std::int32_t, std::int32_t> BlockExits::exit(std::int32_t d) const
{
    // The first stretch ends first where its end lies on the diagonal within the second.
    if (firstEnd_ - d <= secondEnd_) return {firstEnd_, firstEnd_ - d};
    return {secondEnd_ + d, secondEnd_};
}

void BlockExits::keepOnlyNear(std::int32_t from, std::int32_t to)
{
    if (!filled() || (high_ + period_ >= from && to + period_ >= low_)) return;
    low_ = 1;
    high_ = 0;
    reachRight_.clear();
    reachLeft_.clear();
    sumRight_.clear();
    sumLeft_.clear();
    sumsRight_.assign(1, 0);
    sumsLeft_.assign(1, 0);
}

std::int32_t BlockExits::nextToFill(std::int32_t to) const
{
    if (!filled()) return to;
    return high_ < to ? high_ + period_ : low_ - period_;
}

void BlockExits::fill(std::int32_t d, const ScanOutcome& exitOutcome)
{
    const std::int32_t reached = std::min(firstEnd_ - d, secondEnd_) + exitOutcome.length;
    const auto calls = static_cast<__int128>(exitOutcome.nestedCalls);
    if (!filled()) {
        anchor_ = low_ = high_ = d;
        reachRight_.push_back(reached);
        sumRight_.push_back(calls);
    } else if (d > high_) {
        high_ = d;
        reachRight_.push_back(reached);
        sumRight_.push_back(sumRight_.back() + calls);
    } else {
        low_ = d;
        reachLeft_.push_back(reached);
        sumLeft_.push_back((sumLeft_.empty() ? 0 : sumLeft_.back()) + calls);
        sumsLeft_.push_back(sumsLeft_.back() + sumLeft_.back());
        return;
    }
    sumsRight_.push_back(sumsRight_.back() + sumRight_.back());
}

std::int32_t BlockExits::reach(std::int32_t d) const
{
    if (d >= anchor_) return reachRight_[static_cast<std::size_t>((d - anchor_) / period_)];
    return reachLeft_[static_cast<std::size_t>((anchor_ - d) / period_ - 1)];
}

__int128 BlockExits::sumTo(std::int32_t d) const
{
    if (d >= anchor_) return sumRight_[static_cast<std::size_t>((d - anchor_) / period_)];
    const auto between = static_cast<std::size_t>((anchor_ - d) / period_ - 1);
    return between == 0 ? 0 : -sumLeft_[between - 1];
}

__int128 BlockExits::sumOfSums(std::int32_t from, std::int32_t to) const
{
    __int128 total = 0;
    // Right of the anchor sumTo(d) is sumRight_[d - anchor]; left of it, sumTo(d) is 0 at
    // anchor - 1 and -sumLeft_[anchor - d - 2] below.
    if (to >= anchor_) {
        const std::int32_t low = std::max(from, anchor_);
        total += sumsRight_[static_cast<std::size_t>(to - anchor_ + 1)] -
                 sumsRight_[static_cast<std::size_t>(low - anchor_)];
    }
    if (from < anchor_ - 1) {
        const std::int32_t high = std::min(to, anchor_ - 2);
        total -= sumsLeft_[static_cast<std::size_t>(anchor_ - from - 1)] -
                 sumsLeft_[static_cast<std::size_t>(anchor_ - high - 2)];
    }
    return total;
}

unsigned __int128 BlockExits::exitCalls(std::int32_t from, std::int32_t to) const
{
    return static_cast<unsigned __int128>(sumTo(to) - sumTo(from - period_));
}

}  // namespace velmora

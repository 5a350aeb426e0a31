#include "engine/length/sweep/take_call_sums.h"

#include <algorithm>

#include "engine/length/sweep/limb_arithmetic.h"

namespace velmora::sweep {

void TakeCallSums::clear(std::int32_t perBlock)
{
    values_.clear();
    sums_.clear();
    sums_.setZero(0);
    perBlock_ = static_cast<std::size_t>(perBlock);
    keptFrom_ = 0;
    if (perBlock_ != 0 && !sums_.rolling()) sums_.makeRolling();
}

void TakeCallSums::add(std::int16_t takeValue, Limbs nested)
{
    const Limbs before = total();
    values_.push(takeValue);
    const std::size_t k = values_.size();
    // A new block overwrites the one before the last; the sum before it is the last
    // block's, in the other half.
    if (perBlock_ != 0 && k % perBlock_ == 0) {
        keptFrom_ = k - perBlock_;
        sums_.beginBlock(k);
    }
    mp_limb_t* sum = sums_.reserve(std::max(before.size, nested.size) + 2);
    sums_.commit(k, sum, addSmall(sum, addLimbs(sum, before, nested), 1));
}

}  // namespace velmora::sweep

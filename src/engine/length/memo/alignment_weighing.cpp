// The memoised search weighing a run of the alignment's own rejected candidates.
#include "engine/length/memo/memo_search.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "engine/base/checked_arithmetic.h"
#include "engine/base/text_limits.h"
#include "engine/text_index/common_extension.h"
#include "engine/text_index/pass_over_index.h"

namespace velmora {

bool MemoSearch::startWeighing(const RejectedCandidates& weighing, CallCounter& counter)
{
    stack_.clear();
    weight_.reset();
    quietCounter_ = CallCounter(0, CallCounter::kNoLimit, counter.control());
    const std::int32_t candidate = weighing.candidate, j = weighing.j;
    if (candidate < 1 || candidate > firstLength_ || j < 1 || j > secondLength_ ||
        first_[static_cast<std::size_t>(candidate - 1)] != second_[static_cast<std::size_t>(j - 1)] ||
        weighing.skips.empty())
        return false;
    const auto shape = candidateBlock(candidate, j);
    if (!shape) return false;
    Frame& frame = stack_.push_back(Frame{0, j});
    frame.rejected = frame.weighOnly = frame.takeOnce = true;
    frame.candidate = firstIndex_.occurrencesFrom(first_[static_cast<std::size_t>(candidate - 1)], candidate);
    frame.skips = weighing.skips;
    enterCandidateBlock(frame, *shape);
    return true;
}

}  // namespace velmora

#include "engine/text_index/text_pair_index.h"

#include <algorithm>

#include "engine/base/text_limits.h"
#include "engine/text_index/common_extension.h"
#include "engine/text_index/pass_over_index.h"
#include "engine/text_index/remainder_lcs_table.h"
#include "engine/text_index/run_lengths.h"

namespace velmora {
namespace {

std::u16string_view cut(std::u16string_view text)
{
    return text.substr(0, std::min<std::size_t>(text.size(), kLongestText + 1));
}

}  // namespace

TextPairIndex::TextPairIndex(std::u16string_view first, std::u16string_view second)
    : first_(cut(first)),
      second_(cut(second)),
      firstOccurrences_(first_),
      secondOccurrences_(second_)
{
}

TextPairIndex::~TextPairIndex() = default;

const PassOverIndex& TextPairIndex::passOver() const
{
    if (!passOver_) passOver_ = std::make_unique<PassOverIndex>(firstOccurrences_, second_);
    return *passOver_;
}

const std::vector<std::int32_t>& TextPairIndex::firstRuns() const
{
    if (!firstRuns_) firstRuns_ = std::make_unique<std::vector<std::int32_t>>(remainingRuns(first_));
    return *firstRuns_;
}

const std::vector<std::int32_t>& TextPairIndex::secondRuns() const
{
    if (!secondRuns_) secondRuns_ = std::make_unique<std::vector<std::int32_t>>(remainingRuns(second_));
    return *secondRuns_;
}

const std::vector<std::int32_t>& TextPairIndex::lastSharedInFirst() const
{
    if (!lastSharedInFirst_) {
        auto last = std::make_unique<std::vector<std::int32_t>>(second_.size());
        std::int32_t below = 0;
        for (std::size_t j = second_.size(); j-- > 0;)
            (*last)[j] = below = std::max(below, firstOccurrences_.last(second_[j]));
        lastSharedInFirst_ = std::move(last);
    }
    return *lastSharedInFirst_;
}

const CommonExtension& TextPairIndex::extension() const
{
    if (!extension_) extension_ = std::make_unique<CommonExtension>(first_, second_);
    return *extension_;
}

RemainderLcsTable& TextPairIndex::lcsTable(const ComputationControl* control) const
{
    if (!lcsTable_) lcsTable_ = std::make_unique<RemainderLcsTable>(first_, second_, control);
    return *lcsTable_;
}

}  // namespace velmora

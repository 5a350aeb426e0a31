#include "engine/method/comparison_session.h"

#include <algorithm>
#include <limits>

namespace velmora {
namespace {

// A length as the 32-bit Len1/Len2 hold it; anything longer fails at the start of the
// alignment anyway, as every text over 32,766 characters does.
std::int32_t lengthOf(const std::u16string& text)
{
    return static_cast<std::int32_t>(
        std::min<std::size_t>(text.size(), static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
}

}  // namespace

void ComparisonSession::start()
{
    state_.CurrentRow = -1;
    state_.ModeMark = kNoResultMark;
}

void ComparisonSession::takeLengths()
{
    state_.Len1 = lengthOf(state_.Text1);
    state_.Len2 = lengthOf(state_.Text2);
}

void ComparisonSession::capture(Direction direction, std::u16string_view upper, std::u16string_view lower)
{
    captureText1(upperLeads(direction) ? upper : lower);
    captureText2(upperLeads(direction) ? lower : upper);
    takeLengths();
}

AlignmentReport ComparisonSession::compute(Direction direction, std::u16string_view upper, std::u16string_view lower,
                                           WindowOperations& window, const AlignmentOptions& options)
{
    capture(direction, upper, lower);
    return Align(state_, direction, window, options);
}

void ComparisonSession::edit()
{
    state_.CallCount = 0;
    state_.Text1.clear();
    state_.Text2.clear();
    state_.ModeMark = kNoResultMark;
}

}  // namespace velmora

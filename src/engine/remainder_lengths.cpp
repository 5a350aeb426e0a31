#include "engine/remainder_lengths.h"

#include "engine/common_length.h"

namespace velmora {

RemainderLengths::RemainderLengths(EngineKind kind, std::u16string_view text1, std::u16string_view text2)
    : text1_(text1), text2_(text2)
{
    if (kind == EngineKind::Fast) fast_ = std::make_unique<FastCommonLength>(text1, text2);
}

std::int16_t RemainderLengths::operator()(std::int32_t pos1, std::int32_t pos2, CallCounter& counter)
{
    if (fast_) return fast_->invoke(pos1, pos2, counter);
    return CommonLength(text1_.substr(static_cast<std::size_t>(pos1 - 1)),
                        text2_.substr(static_cast<std::size_t>(pos2 - 1)), counter);
}

}  // namespace velmora

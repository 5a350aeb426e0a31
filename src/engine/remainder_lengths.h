#pragma once
// CommonLength on remainders of the two captured texts, by the engine of the caller's choice.

#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/call_counter.h"
#include "engine/fast_common_length.h"

namespace velmora {

enum class EngineKind { Literal, Fast };

class RemainderLengths {
public:
    RemainderLengths(EngineKind kind, std::u16string_view text1, std::u16string_view text2);

    // CommonLength(Text1[pos1..], Text2[pos2..]) with 1-based positions.
    std::int16_t operator()(std::int32_t pos1, std::int32_t pos2, CallCounter& counter);

private:
    std::u16string_view text1_, text2_;
    std::unique_ptr<FastCommonLength> fast_;  // null for the literal engine
};

}  // namespace velmora

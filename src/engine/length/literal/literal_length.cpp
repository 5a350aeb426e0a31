#include "engine/length/literal/literal_length.h"

#include <algorithm>

#include "engine/base/large_stack.h"
#include "engine/base/text_limits.h"
#include "engine/length/engine_tuning.h"
#include "engine/length/literal/literal_scan.h"

namespace velmora {
namespace {

using literal::kGaveUp;
using std::int16_t;

// What a bounded search may still spend: steps of its scans, and levels of nesting.
struct Allowance {
    std::uint64_t work;
    std::int32_t depth;
};

template <bool kBounded>
int16_t literalCommonLength(std::u16string_view A, std::u16string_view B, CallCounter& counter, Allowance* allowance);

// The hooks of one invocation's scan. afford() takes steps from a bounded search's
// allowance, false once it is spent; an unbounded search (no allowance) can always afford
// them, and pays nothing for asking. invoke() nests a call on the remainders.
template <bool kBounded>
struct Invocation {
    std::u16string_view A, B;
    CallCounter& counter;
    Allowance* allowance;

    bool afford(std::uint64_t steps)
    {
        if constexpr (!kBounded) return true;
        if (steps > allowance->work) return false;
        allowance->work -= steps;
        return true;
    }
    int16_t invoke(literal::CallRole, int16_t i, int16_t j)
    {
        return literalCommonLength<kBounded>(A.substr(static_cast<std::size_t>(i - 1)),
                                             B.substr(static_cast<std::size_t>(j - 1)), counter, allowance);
    }
};

template <bool kBounded>
int16_t literalCommonLength(std::u16string_view A, std::u16string_view B, CallCounter& counter, Allowance* allowance)
{
    counter.add(1);
    Invocation<kBounded> invocation{A, B, counter, allowance};
    if (!invocation.afford(tuning::kLiteralStepsPerCall)) return kGaveUp;
    if (B.empty() || A.empty()) return 0;
    if constexpr (kBounded)
        if (--allowance->depth < 0) return kGaveUp;
    checkTextLengths(A.size(), B.size());
    const int16_t count = literal::scanRemainders(A, B, invocation);
    if constexpr (kBounded)
        if (count != kGaveUp) ++allowance->depth;
    return count;
}

}  // namespace

int16_t CommonLength(std::u16string_view first, std::u16string_view second, CallCounter& counter)
{
    if (first.size() + second.size() < tuning::kShallowEnough)
        return literalCommonLength<false>(first, second, counter, nullptr);
    int16_t result = 0;
    runOnLargeStack([&] { result = literalCommonLength<false>(first, second, counter, nullptr); });
    return result;
}

int16_t CommonLengthWithin(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                           std::uint64_t& work)
{
    Allowance allowance{work, tuning::kShallowEnough};
    const int16_t result = literalCommonLength<true>(first, second, counter, &allowance);
    work = allowance.work;
    if (result == kGaveUp) throw LiteralWorkExceeded{};
    return result;
}

}  // namespace velmora

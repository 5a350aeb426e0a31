#include "engine/common_length.h"

#include <algorithm>

#include "engine/checked_arithmetic.h"
#include "engine/large_stack.h"

namespace velmora {
namespace {

using std::int16_t;

int16_t add16(int16_t a, int16_t b) { return checkedAdd<int16_t>(a, b); }

// Offset n of the first occurrence of c in B at or after j (1-based), or b - j + 1.
int16_t partnerOffset(std::u16string_view B, int16_t j, char16_t c)
{
    const auto found = B.find(c, static_cast<std::size_t>(j - 1));
    const auto offset = found == std::u16string_view::npos ? B.size() + 1 : found + 1;
    return static_cast<int16_t>(offset - static_cast<std::size_t>(j));
}

std::u16string_view remainder(std::u16string_view s, int16_t p) { return s.substr(static_cast<std::size_t>(p - 1)); }

// What a bounded search may still spend: steps of its scans, and levels of nesting.
struct Allowance {
    std::uint64_t work;
    std::int32_t depth;
};

// An invocation costs about as much as comparing this many characters.
constexpr std::uint64_t kStepsPerCall = 16;
// What a bounded search returns, all the way up, once its allowance is spent: unwinding
// by exception would cost more than the search it abandons.
constexpr int16_t kGaveUp = -1;

// Takes steps from a bounded search's allowance; false once it is spent. An unbounded
// search (no allowance) can always afford them, and pays nothing for asking.
template <bool kBounded>
bool afford(Allowance* allowance, std::uint64_t steps)
{
    if constexpr (!kBounded) return true;
    if (steps > allowance->work) return false;
    allowance->work -= steps;
    return true;
}

template <bool kBounded>
int16_t literalCommonLength(std::u16string_view A, std::u16string_view B, CallCounter& counter, Allowance* allowance)
{
    counter.add(1);
    if (!afford<kBounded>(allowance, kStepsPerCall)) return kGaveUp;
    if (B.empty() || A.empty()) return 0;
    if constexpr (kBounded)
        if (--allowance->depth < 0) return kGaveUp;
    const auto a = narrowTo<int16_t>(A.size(), OverflowLimit::TextLength);
    const auto b = narrowTo<int16_t>(B.size(), OverflowLimit::TextLength);
    checkedAdd<int16_t>(std::max(a, b), 1, OverflowLimit::TextLength);  // the remainder length

    int16_t i = 1, j = 1, count = 0;
    while (i <= a && j <= b) {
        if (!afford<kBounded>(allowance, 1)) return kGaveUp;
        if (A[i - 1] == B[j - 1]) {
            count = add16(count, 1);
            i = add16(i, 1);
            j = add16(j, 1);
            continue;
        }
        bool accepted = false;
        int16_t k = 0;
        for (; add16(i, k) <= a; k = add16(k, 1)) {
            if (!afford<kBounded>(allowance, 1)) return kGaveUp;
            if (A[i + k - 1] != B[j - 1]) continue;
            bool rejected = false;
            for (int16_t m = 1; m <= k && !rejected; m = add16(m, 1)) {
                const char16_t c = A[i + m - 2];
                const int16_t n = partnerOffset(B, j, c);
                if (!afford<kBounded>(allowance, static_cast<std::uint64_t>(n))) return kGaveUp;
                const int16_t r1 =
                    literalCommonLength<kBounded>(remainder(A, add16(i, k)), remainder(B, j), counter, allowance);
                if (r1 == kGaveUp) return kGaveUp;
                if (add16(j, n) > b) continue;
                const int16_t r2 = literalCommonLength<kBounded>(remainder(A, add16(i, m - 1)),
                                                                 remainder(B, add16(j, n)), counter, allowance);
                if (r2 == kGaveUp) return kGaveUp;
                rejected = r2 > r1;
            }
            if (!rejected) {
                accepted = true;
                break;
            }
        }
        if (accepted) {
            count = add16(count, 1);
            i = add16(add16(i, k), 1);
        }
        j = add16(j, 1);
    }
    if constexpr (kBounded) ++allowance->depth;
    return count;
}

}  // namespace

// At most a + b invocations nest; this many fit on any thread's stack.
constexpr std::int32_t kShallowEnough = 2000;

int16_t CommonLength(std::u16string_view first, std::u16string_view second, CallCounter& counter)
{
    if (first.size() + second.size() < kShallowEnough)
        return literalCommonLength<false>(first, second, counter, nullptr);
    int16_t result = 0;
    runOnLargeStack([&] { result = literalCommonLength<false>(first, second, counter, nullptr); });
    return result;
}

int16_t CommonLengthWithin(std::u16string_view first, std::u16string_view second, CallCounter& counter,
                           std::uint64_t& work)
{
    Allowance allowance{work, kShallowEnough};
    const int16_t result = literalCommonLength<true>(first, second, counter, &allowance);
    work = allowance.work;
    if (result == kGaveUp) throw LiteralWorkExceeded{};
    return result;
}

}  // namespace velmora

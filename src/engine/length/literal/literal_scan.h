#pragma once
// The scan of one invocation of CommonLength, written once: the literal engine carries it
// out, and the invocation tree replays it to learn which calls an invocation makes.
//
// The scan walks A and B from their starts. Equal characters are matched. At a mismatch
// each later occurrence of B[j] in A is a candidate: for every character the candidate
// would skip, the take call weighs the candidate's remainder and, where the skipped
// character has a partner in B, the skip call weighs the remainder from that character
// and its partner. A skip length beating the take length rejects the candidate; the first
// unrejected candidate is taken. Either way the scan goes on with the next character of B.

#include <cstdint>
#include <string_view>

#include "engine/base/checked_arithmetic.h"

namespace velmora::literal {

// What a scan returns, all the way up, once its hooks have given up: unwinding by
// exception would cost more than the search it abandons.
inline constexpr std::int16_t kGaveUp = -1;

enum class CallRole { Take, Skip };

// Scans A and B (the caller has checked that their lengths fit in 16 bits), telling hooks
//   bool afford(std::uint64_t steps): of the steps it takes (a character compared, or the
//       n characters looked at to find a partner n places on); false gives up;
//   std::int16_t invoke(CallRole role, std::int16_t i, std::int16_t j): of each call it
//       makes on A[i..] and B[j..] (1-based), which answers with the call's length or kGaveUp.
// Returns the count of characters taken, or kGaveUp. Inlined into each invocation: the
// literal engine's recursion runs through it, and a call of its own cost a tenth more time.
template <class Hooks>
[[gnu::always_inline]] inline std::int16_t scanRemainders(std::u16string_view A, std::u16string_view B, Hooks& hooks)
{
    using std::int16_t;
    const auto add16 = [](int16_t x, int16_t y) { return checkedAdd<int16_t>(x, y); };
    const auto a = static_cast<int16_t>(A.size()), b = static_cast<int16_t>(B.size());
    // Offset n of the first occurrence of c in B at or after j, or b - j + 1.
    const auto partnerOffset = [&](int16_t j, char16_t c) {
        const auto found = B.find(c, static_cast<std::size_t>(j - 1));
        const auto offset = found == std::u16string_view::npos ? B.size() + 1 : found + 1;
        return static_cast<int16_t>(offset - static_cast<std::size_t>(j));
    };

    int16_t i = 1, j = 1, count = 0;
    while (i <= a && j <= b) {
        if (!hooks.afford(1)) return kGaveUp;
        if (A[i - 1] == B[j - 1]) {
            count = add16(count, 1);
            i = add16(i, 1);
            j = add16(j, 1);
            continue;
        }
        bool accepted = false;
        int16_t k = 0;
        for (; add16(i, k) <= a; k = add16(k, 1)) {
            if (!hooks.afford(1)) return kGaveUp;
            if (A[i + k - 1] != B[j - 1]) continue;
            bool rejected = false;
            for (int16_t m = 1; m <= k && !rejected; m = add16(m, 1)) {
                const int16_t n = partnerOffset(j, A[i + m - 2]);
                if (!hooks.afford(static_cast<std::uint64_t>(n))) return kGaveUp;
                const int16_t r1 = hooks.invoke(CallRole::Take, add16(i, k), j);
                if (r1 == kGaveUp) return kGaveUp;
                if (add16(j, n) > b) continue;
                const int16_t r2 = hooks.invoke(CallRole::Skip, add16(i, m - 1), add16(j, n));
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
    return count;
}

}  // namespace velmora::literal

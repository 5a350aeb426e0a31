#include "support/longest_common_subsequence.h"

#include <algorithm>
#include <vector>

namespace velmora {

std::int16_t longestCommonSubsequence(std::u16string_view a, std::u16string_view b)
{
    std::vector<std::int16_t> row(b.size() + 1, 0), next(b.size() + 1, 0);
    for (std::size_t i = a.size(); i-- > 0;) {
        for (std::size_t j = b.size(); j-- > 0;)
            row[j] = a[i] == b[j] ? static_cast<std::int16_t>(next[j + 1] + 1) : std::max(next[j], row[j + 1]);
        row.swap(next);
    }
    return next[0];
}

}  // namespace velmora

#pragma once
// The pairs whose counts a sweep hands back, arranged the way it meets them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace velmora::sweep {

// Per column, the rows to count, bottom first, each with the index of its pair.
using QueriedPairs = std::vector<std::vector<std::pair<std::int32_t, std::size_t>>>;

// The pairs (anything with 1-based `i` and `j`) inside a table of `rows` by `columns`, as
// the sweep meets them. A pair with an empty remainder makes no call below itself and is
// left out.
template <class Pair>
QueriedPairs arrangeQueries(const std::vector<Pair>& pairs, std::int32_t rows, std::int32_t columns)
{
    QueriedPairs queries(static_cast<std::size_t>(columns) + 1);
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const Pair& pair = pairs[k];
        if (pair.i >= 1 && pair.i <= rows && pair.j >= 1 && pair.j <= columns)
            queries[static_cast<std::size_t>(pair.j)].emplace_back(pair.i, k);
    }
    for (auto& queried : queries) std::sort(queried.begin(), queried.end(), std::greater<>());
    return queries;
}

}  // namespace velmora::sweep

#include "engine/occurrence_index.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace velmora {

OccurrenceIndex::OccurrenceIndex(std::u16string_view text)
{
    entries_.reserve(text.size());
    for (std::size_t p = 0; p < text.size(); ++p) entries_.emplace_back(text[p], static_cast<std::int32_t>(p + 1));
    std::sort(entries_.begin(), entries_.end());
}

OccurrenceIndex::Iterator OccurrenceIndex::occurrencesFrom(char16_t c, std::int32_t from) const
{
    return std::lower_bound(entries_.begin(), entries_.end(), Entry{c, from});
}

std::int32_t OccurrenceIndex::last(char16_t c) const
{
    const auto after = std::upper_bound(entries_.begin(), entries_.end(), Entry{c, INT32_MAX});
    return after != entries_.begin() && std::prev(after)->first == c ? std::prev(after)->second : 0;
}

std::int32_t OccurrenceIndex::next(char16_t c, std::int32_t from) const
{
    const auto found = occurrencesFrom(c, from);
    return isOccurrence(found, c) ? found->second : 0;
}

}  // namespace velmora

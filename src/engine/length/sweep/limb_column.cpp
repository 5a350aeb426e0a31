#include "engine/length/sweep/limb_column.h"

#include <algorithm>

namespace velmora::sweep {
mp_limb_t* LimbStore::reserve(mp_size_t bound)
{
    const auto need = static_cast<std::size_t>(bound);
    std::vector<Chunk>& chunks = chunks_[half_];
    while (chunk_ < chunks.size() && chunks[chunk_].size - used_ < need) {
        ++chunk_;
        used_ = 0;
    }
    if (chunk_ == chunks.size()) {
        // Chunks of one size, so that the next column, whose numbers are a little larger,
        // reuses them with little left over.
        const std::size_t size = std::max(need, smallestChunk_);
        chunks.push_back({std::make_unique_for_overwrite<mp_limb_t[]>(size), size});
        used_ = 0;
    }
    return chunks[chunk_].limbs.get() + used_;
}

void LimbStore::commit(std::size_t row, const mp_limb_t* limbs, mp_size_t size)
{
    while (size > 0 && limbs[size - 1] == 0) --size;
    values_[row] = {limbs, size};
    owned_[row] = true;
    used_ += static_cast<std::size_t>(size);
}

void LimbStore::copy(std::size_t row, Limbs value)
{
    if (value.size == 0) {
        setZero(row);
        return;
    }
    mp_limb_t* room = reserve(value.size);
    mpn_copyi(room, value.limbs, value.size);
    commit(row, room, value.size);
}

void LimbStore::share(std::size_t row, const LimbStore& from, std::size_t fromRow)
{
    const bool kept = !from.rolling_ || (rolling_ && fromRow <= from.blockFirstRow_);
    if (from.owned_[fromRow] && kept) {
        values_[row] = from.values_[fromRow];
        owned_[row] = false;
    } else {
        copy(row, from.values_[fromRow]);
    }
}

}  // namespace velmora::sweep

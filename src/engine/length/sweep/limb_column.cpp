#include "engine/length/sweep/limb_column.h"

#include <algorithm>
#include <utility>

namespace velmora::sweep {
LimbChunk ChunkPool::take(std::size_t need, std::size_t smallest)
{
    {
        const std::lock_guard lock(mutex_);
        if (!free_.empty() && free_.back().size >= need) {
            LimbChunk chunk = std::move(free_.back());
            free_.pop_back();
            return chunk;
        }
    }
    const std::size_t size = std::max(need, smallest);
    return {std::make_unique_for_overwrite<mp_limb_t[]>(size), size};
}

void ChunkPool::give(LimbChunk chunk)
{
    const std::lock_guard lock(mutex_);
    free_.push_back(std::move(chunk));
}

void LimbStore::giveEveryChunkBack()
{
    const std::lock_guard lock(*chunksLock_);
    half_ = 0;
    chunk_ = 0;
    used_ = 0;
    for (std::size_t c = givenBack_; c < chunks_[0].size(); ++c) pool_->give(std::move(chunks_[0][c]));
    chunks_[0].clear();
    lastRowOf_.clear();
    givenBack_ = 0;
}

void LimbStore::drawFrom(ChunkPool* pool)
{
    clear();
    chunks_[0].clear();
    pool_ = pool;
    chunksLock_ = std::make_unique<std::mutex>();
}

void LimbStore::forgetRowsFrom(std::size_t row)
{
    if (!pool_) return;
    const std::lock_guard lock(*chunksLock_);
    // Rows are written from the end up, so the first chunks hold the rows furthest down.
    while (givenBack_ < chunk_ && lastRowOf_[givenBack_] >= row) {
        pool_->give(std::move(chunks_[0][givenBack_]));
        ++givenBack_;
    }
}

void LimbStore::nextChunk(std::size_t need)
{
    std::vector<LimbChunk>& chunks = chunks_[half_];
    if (pool_) {
        LimbChunk fresh = pool_->take(need, smallestChunk_);
        const std::lock_guard lock(*chunksLock_);
        if (chunk_ < chunks.size()) ++chunk_;  // the current one is full
        chunks.push_back(std::move(fresh));
        lastRowOf_.push_back(values_.size());
        used_ = 0;
        return;
    }
    if (chunk_ < chunks.size()) {
        ++chunk_;
        used_ = 0;
    }
    while (chunk_ < chunks.size() && chunks[chunk_].size < need) ++chunk_;
    if (chunk_ == chunks.size()) {
        // Chunks of one size, so that the next column, whose numbers are a little larger,
        // reuses them with little left over.
        const std::size_t size = std::max(need, smallestChunk_);
        chunks.push_back({std::make_unique_for_overwrite<mp_limb_t[]>(size), size});
    }
    used_ = 0;
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
    if (from.owned_[fromRow] != 0 && kept) {
        values_[row] = from.values_[fromRow];
        owned_[row] = 0;
    } else {
        copy(row, from.values_[fromRow]);
    }
}

}  // namespace velmora::sweep

#pragma once
// Numbers of a limb sweep stored by index as GMP limb arrays laid end to end in large
// chunks: one column's counts by row, or one column's prefix sums. A store is written
// once, in order, and cleared for reuse without giving its memory back, so a sweep
// allocates only while its numbers grow. A rolling store keeps only the last two blocks
// of rows, for a column that only its neighbour reads, a block behind (or of entries, for
// the latest prefix sums of a column's take calls). A store that draws from a pool gives
// its chunks back there instead, as soon as its reader has passed their rows.

#include <cstdint>
#include <gmp.h>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/length/sweep/column_pipeline.h"

namespace velmora::sweep {

// A count's limbs, least significant first, without high zero limbs (size 0 is zero).
struct Limbs {
    const mp_limb_t* limbs = nullptr;
    mp_size_t size = 0;
};

// A piece of memory numbers are laid in, end to end.
struct LimbChunk {
    std::unique_ptr<mp_limb_t[]> limbs;
    std::size_t size = 0;
};

// Chunks that a band's last column hands back once the next band has read past them, for
// the last columns being written: so the sweep holds about one last column in all rather
// than one per slot of the ring (about 350 MB each at the longest texts).
class ChunkPool {
public:
    // A chunk of at least `need` limbs, and of `smallest` if a new one is made.
    LimbChunk take(std::size_t need, std::size_t smallest);
    void give(LimbChunk chunk);

private:
    std::mutex mutex_;
    std::vector<LimbChunk> free_;
};

class LimbStore {
public:
    // A store keeps its numbers in chunks of at least `smallestChunk` limbs.
    explicit LimbStore(std::size_t rows, std::size_t smallestChunk = std::size_t{1} << 19)
        : values_(rows),
          owned_(rows),
          smallestChunk_(smallestChunk)
    {
    }

    Limbs operator[](std::size_t row) const { return values_[row]; }

    // Forgets every value; the chunks stay for the next column (or go back to the pool).
    // Every segment of skipped characters clears its suffix sums: inline where no pool is.
    void clear()
    {
        if (pool_) {
            giveEveryChunkBack();
            return;
        }
        half_ = 0;
        chunk_ = 0;
        used_ = 0;
    }
    // From now on chunks come from `pool`, and go back to it once their rows are forgotten.
    void drawFrom(ChunkPool* pool);
    // Rows from `row` to the end will not be read again: the chunks that hold only such
    // rows go back to the pool. Another thread may call it while the column is written,
    // as long as the rows lie behind the one being written.
    void forgetRowsFrom(std::size_t row);
    bool handsRowsBack() const { return pool_ != nullptr; }
    // From now on the store holds the values of two blocks of rows only: a new block's
    // values overwrite those of the block before the last.
    void makeRolling() { rolling_ = true; }
    bool rolling() const { return rolling_; }
    // A new block of rows begins at `firstRow` (rows go upwards): in a rolling store, the
    // values of the block before the last are forgotten.
    void beginBlock(std::size_t firstRow)
    {
        blockFirstRow_ = firstRow;
        if (!rolling_) return;
        half_ ^= 1;
        chunk_ = 0;
        used_ = 0;
    }
    // Room for a value of up to `bound` limbs at the end of the column.
    mp_limb_t* reserve(mp_size_t bound)
    {
        const auto need = static_cast<std::size_t>(bound);
        const std::vector<LimbChunk>& chunks = chunks_[half_];
        if (chunk_ >= chunks.size() || chunks[chunk_].size - used_ < need) nextChunk(need);
        return chunks_[half_][chunk_].limbs.get() + used_;
    }
    // The value just built in the reserved room becomes row `row`'s.
    void commit(std::size_t row, const mp_limb_t* limbs, mp_size_t size)
    {
        while (size > 0 && limbs[size - 1] == 0) --size;
        values_[row] = {limbs, size};
        owned_[row] = 1;
        used_ += static_cast<std::size_t>(size);
        if (pool_) lastRowOf_[chunk_] = row;
    }
    void setZero(std::size_t row)
    {
        values_[row] = {};
        owned_[row] = 1;
    }
    void copy(std::size_t row, Limbs value);
    // Row `row` takes the value of `from`'s row `fromRow`: the very limbs where that column
    // holds them itself and keeps them, a copy where it holds another column's or rolls.
    // So a value lives at most one column to the right of its row's column, which must
    // outlive the readers of this one (the ring of last columns: see limb_sweep.cpp).
    // Two rolling columns of a band go through each block one after the other, right
    // first, and a rolling column is read at most a block behind: it may hold limbs of
    // its neighbour's current block, which outlive those reads.
    void share(std::size_t row, const LimbStore& from, std::size_t fromRow);
    // Row `row` reads limbs held elsewhere, which must outlive this store's readers.
    void refer(std::size_t row, Limbs value)
    {
        values_[row] = value;
        owned_[row] = 0;
    }

private:
    void giveEveryChunkBack();
    // Moves on to a chunk with room for `need` limbs.
    void nextChunk(std::size_t need);

    std::vector<Limbs> values_;
    // Whether a row's limbs are in this column's chunks: a byte each, as every row sets
    // one, and a bit took a read and a write.
    std::vector<std::uint8_t> owned_;
    std::vector<LimbChunk> chunks_[2];  // the second only in a rolling store, for every other block
    std::size_t half_ = 0, chunk_ = 0, used_ = 0;
    // Drawing from a pool: the last row each chunk holds, and how many chunks from the
    // first have gone back. The chunks only change under the lock, which the writer takes
    // when it moves to the next chunk and the reader when it hands chunks back.
    ChunkPool* pool_ = nullptr;
    std::unique_ptr<std::mutex> chunksLock_;
    std::vector<std::size_t> lastRowOf_;
    std::size_t givenBack_ = 0;
    std::size_t blockFirstRow_ = 0;  // rows from here down to the current are this block's
    bool rolling_ = false;
    std::size_t smallestChunk_;
};

// One column of a limb sweep: per row the length and the count, and how far down the
// column is final.
struct LimbColumn : LimbStore {
    LimbColumn(std::size_t rows, std::size_t smallestChunk) : LimbStore(rows, smallestChunk), length(rows) {}

    std::vector<std::int16_t> length;
    ColumnProgress progress;
};

}  // namespace velmora::sweep
